#include "tools/bench/SyntheticFaceArchive.h"

#include "install/FaceArchive.h"

namespace bench {

namespace {

void PutLe32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

std::vector<std::uint8_t> SyntheticFaceArchive(const ArchiveShape& shape) {
    namespace fa = face_archive;
    const std::uint32_t slotTable = fa::kHeaderSize;
    const std::uint32_t entryTable = slotTable + fa::kSlotEntrySize * shape.slotCount;
    const std::uint32_t dataStart = entryTable + fa::kEntrySize * shape.slotCount;

    std::uint32_t blocksSize = 0;
    for (std::uint32_t slot = 0; slot < shape.slotCount; ++slot) {
        blocksSize += slot == shape.targetSlot ? shape.targetBlockSize : shape.otherBlockSize;
    }
    std::vector<std::uint8_t> bytes(dataStart + blocksSize + fa::kBitmapSize, 0);
    bytes[0] = 'K';
    bytes[1] = 'A';
    bytes[2] = 'O';
    PutLe32(bytes, 4, shape.slotCount);
    PutLe32(bytes, 8, slotTable);
    PutLe32(bytes, 16, entryTable);

    std::uint32_t blockOffset = dataStart;
    for (std::uint32_t slot = 0; slot < shape.slotCount; ++slot) {
        const std::uint32_t length = slot == shape.targetSlot ? shape.targetBlockSize : shape.otherBlockSize;
        PutLe32(bytes, slotTable + fa::kSlotEntrySize * slot, blockOffset);
        PutLe32(bytes, slotTable + fa::kSlotEntrySize * slot + 4, length);
        PutLe32(bytes, entryTable + fa::kEntrySize * slot, slot);
        blockOffset += length;
    }
    return bytes;
}

}  // namespace bench
