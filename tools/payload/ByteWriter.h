// Little-endian byte assembly for the generated files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace payload {

using Bytes = std::vector<std::uint8_t>;

inline void PutU16(Bytes& out, std::size_t offset, std::uint16_t value) {
    out.at(offset) = static_cast<std::uint8_t>(value);
    out.at(offset + 1) = static_cast<std::uint8_t>(value >> 8);
}

inline void PutU32(Bytes& out, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.at(offset + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

inline void PutI32(Bytes& out, std::size_t offset, std::int32_t value) {
    PutU32(out, offset, static_cast<std::uint32_t>(value));
}

inline void AppendU16(Bytes& out, std::uint16_t value) {
    out.resize(out.size() + 2);
    PutU16(out, out.size() - 2, value);
}

inline void AppendU32(Bytes& out, std::uint32_t value) {
    out.resize(out.size() + 4);
    PutU32(out, out.size() - 4, value);
}

// The game's tags are space-padded to their field and carry no terminator.
inline void PutRaw(Bytes& out, std::size_t offset, const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) out.at(offset + i) = static_cast<std::uint8_t>(text[i]);
}

// Copies text into a fixed field; the field must keep at least one zero byte.
inline bool PutText(Bytes& out, std::size_t offset, std::size_t fieldSize, const std::string& text) {
    if (text.size() >= fieldSize || offset + fieldSize > out.size()) return false;
    for (std::size_t i = 0; i < fieldSize; ++i) {
        out[offset + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
    }
    return true;
}

}  // namespace payload
