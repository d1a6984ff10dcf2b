// Small face archives built byte by byte for the patching tests, with the
// positions of every region recorded so that a test can say which bytes a
// patch may change.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace face_archive_fixture {

constexpr std::uint32_t kSlot = 1027;
constexpr std::uint32_t kBitmapSize = 138;

struct ArchiveLayout {
    std::uint32_t slotCount = 1030;
    std::uint32_t otherBlockLength = 4;
    std::uint32_t targetBlockLength = 96;
    // Slot 1027's block after the bitmap instead of among the other blocks.
    bool targetBlockAfterBitmap = false;
    bool bit1027AlreadySet = false;
    std::uint8_t seed = 1;
};

struct Archive {
    std::vector<std::uint8_t> bytes;
    std::uint32_t slotCount = 0;
    std::uint32_t slotTable = 0;
    std::uint32_t entryTable = 0;
    std::uint32_t targetBlock = 0;
    std::uint32_t targetLength = 0;
    std::uint32_t bitmap = 0;
};

inline void PutLe32(std::vector<std::uint8_t>& bytes, std::uint32_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline std::uint32_t GetLe32(const std::vector<std::uint8_t>& bytes, std::uint32_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | bytes[at + i];
    return value;
}

// Bytes that differ from place to place, so that a moved or misplaced write
// shows in a comparison.
inline void FillPattern(std::vector<std::uint8_t>& bytes, std::uint8_t seed) {
    std::uint32_t state = 0x9E3779B9u * (seed + 1u);
    for (auto& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
}

// Header, slot table, entry table, the blocks of every slot in slot order,
// the bitmap behind the last slot's block, and (when asked) slot 1027's
// block after the bitmap.
inline Archive BuildArchive(const ArchiveLayout& layout = {}) {
    Archive archive;
    archive.slotCount = layout.slotCount;
    archive.slotTable = 32;
    archive.entryTable = archive.slotTable + 8 * layout.slotCount;
    std::uint32_t next = archive.entryTable + 12 * layout.slotCount;
    std::vector<std::uint32_t> offsets(layout.slotCount);
    std::vector<std::uint32_t> lengths(layout.slotCount);
    for (std::uint32_t n = 0; n < layout.slotCount; ++n) {
        const bool target = n == kSlot;
        lengths[n] = target ? layout.targetBlockLength : layout.otherBlockLength;
        if (target && layout.targetBlockAfterBitmap) continue;
        offsets[n] = next;
        next += lengths[n];
    }
    archive.bitmap = next;
    next += kBitmapSize;
    if (layout.targetBlockAfterBitmap && kSlot < layout.slotCount) {
        offsets[kSlot] = next;
        next += lengths[kSlot];
    }
    archive.bytes.resize(next);
    FillPattern(archive.bytes, layout.seed);
    PutLe32(archive.bytes, 4, layout.slotCount);
    PutLe32(archive.bytes, 8, archive.slotTable);
    PutLe32(archive.bytes, 16, archive.entryTable);
    for (std::uint32_t n = 0; n < layout.slotCount; ++n) {
        PutLe32(archive.bytes, archive.slotTable + 8 * n, offsets[n]);
        PutLe32(archive.bytes, archive.slotTable + 8 * n + 4, lengths[n]);
    }
    std::uint8_t& byte128 = archive.bytes[archive.bitmap + 128];
    byte128 = static_cast<std::uint8_t>(layout.bit1027AlreadySet ? (byte128 | 0x08) : (byte128 & ~0x08));
    if (kSlot < layout.slotCount) {
        archive.targetBlock = offsets[kSlot];
        archive.targetLength = lengths[kSlot];
    }
    return archive;
}

inline std::vector<std::uint8_t> Image(std::uint32_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> image(size);
    FillPattern(image, static_cast<std::uint8_t>(seed + 100));
    return image;
}

// What a patch of the archive must produce, written from the layout the
// fixture chose rather than from what the header says.
inline std::vector<std::uint8_t> ExpectedAfterPatch(const Archive& archive, bool large,
                                                    const std::vector<std::uint8_t>& image) {
    std::vector<std::uint8_t> expected = archive.bytes;
    if (large) {
        for (std::uint32_t k = 0; k < archive.slotCount; ++k) {
            const std::uint8_t words[4] = {0xF0, 0x00, 0xF0, 0x00};
            std::memcpy(&expected[archive.entryTable + 12 * k + 4], words, 4);
        }
    }
    std::memcpy(&expected[archive.targetBlock], image.data(), image.size());
    if (large) expected[archive.bitmap + 128] |= 0x08;
    return expected;
}

}  // namespace face_archive_fixture
