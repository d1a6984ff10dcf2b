// What the fuzz targets share: a check that stops the run so that libFuzzer
// keeps the input, and the little-endian reads their models make.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace fuzz_check {

// abort() rather than an exception: libFuzzer treats the signal as a crash
// and writes the input out as an artifact.
inline void Require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz oracle violated: %s\n", what);
    std::abort();
}

inline std::uint32_t Le32(const std::vector<std::uint8_t>& bytes, std::uint64_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | bytes[at + static_cast<std::uint64_t>(i)];
    return value;
}

}  // namespace fuzz_check
