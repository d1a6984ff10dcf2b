#include "install/FaceArchive.h"

namespace face_archive {

namespace {

std::uint32_t ReadLe32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

void WriteLe16(std::uint8_t* bytes, std::uint16_t value) {
    bytes[0] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[1] = static_cast<std::uint8_t>(value >> 8);
}

// Positions are 32-bit, so a region must also end within 4 GiB.
constexpr std::uint64_t kPositionLimit = std::uint64_t{1} << 32;

bool RegionFits(std::uint64_t fileLength, std::uint64_t start, std::uint64_t size) {
    const std::uint64_t end = start + size;
    return end <= fileLength && end <= kPositionLimit;
}

}  // namespace

Header DecodeHeader(const std::uint8_t (&bytes)[kHeaderSize]) {
    Header header;
    header.slotCount = ReadLe32(bytes + 4);
    header.slotTableOffset = ReadLe32(bytes + 8);
    header.entryTableOffset = ReadLe32(bytes + 16);
    return header;
}

SlotEntry DecodeSlotEntry(const std::uint8_t (&bytes)[kSlotEntrySize]) {
    return SlotEntry{ReadLe32(bytes), ReadLe32(bytes + 4)};
}

void SetEntryWords(std::uint8_t (&entry)[kEntrySize]) {
    WriteLe16(entry + kEntryWordAOffset, kEntryWordValue);
    WriteLe16(entry + kEntryWordBOffset, kEntryWordValue);
}

void SetBitmapBit(std::uint8_t (&bitmap)[kBitmapSize], std::uint32_t slot) {
    bitmap[slot >> 3] = static_cast<std::uint8_t>(bitmap[slot >> 3] | (1u << (slot & 7)));
}

std::uint32_t SlotEntryPosition(const Header& header, std::uint32_t slot) {
    return header.slotTableOffset + kSlotEntrySize * slot;
}

std::uint32_t EntryPosition(const Header& header, std::uint32_t entry) {
    return header.entryTableOffset + kEntrySize * entry;
}

std::uint32_t BitmapPosition(const SlotEntry& lastSlot) { return lastSlot.dataOffset + lastSlot.dataLength; }

Flaw CheckHeader(std::uint64_t fileLength, const Header& header, const PatchPlan& plan) {
    if (fileLength < kHeaderSize) return Flaw::FileShorterThanHeader;
    if (header.slotCount == 0) return Flaw::NoSlots;
    if (plan.slot >= header.slotCount) return Flaw::SlotNotInArchive;
    if (plan.slot >= kBitmapSlots) return Flaw::SlotNotInBitmap;
    if (!RegionFits(fileLength, header.slotTableOffset, std::uint64_t{kSlotEntrySize} * header.slotCount))
        return Flaw::SlotTableOutside;
    if (plan.touchesEntriesAndBitmap &&
        !RegionFits(fileLength, header.entryTableOffset, std::uint64_t{kEntrySize} * header.slotCount))
        return Flaw::EntryTableOutside;
    return Flaw::None;
}

Flaw CheckSlots(std::uint64_t fileLength, const SlotEntry& target, const SlotEntry* lastSlot, const PatchPlan& plan) {
    if (!RegionFits(fileLength, target.dataOffset, target.dataLength)) return Flaw::BlockOutside;
    if (plan.imageSize > target.dataLength) return Flaw::ImageLongerThanBlock;
    if (plan.touchesEntriesAndBitmap) {
        if (lastSlot == nullptr) return Flaw::BitmapOutside;
        const std::uint64_t bitmap = std::uint64_t{lastSlot->dataOffset} + lastSlot->dataLength;
        if (!RegionFits(fileLength, bitmap, kBitmapSize)) return Flaw::BitmapOutside;
    }
    return Flaw::None;
}

}  // namespace face_archive
