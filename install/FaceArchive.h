// The face-graphics archive, as far as the installer reads and writes it.
//
// All integers are little-endian; every offset is an absolute 32-bit byte
// position. The regions are found only through the header and the slot
// table, so nothing is assumed about their order in the file.
#pragma once

#include <cstdint>

namespace face_archive {

constexpr std::uint32_t kHeaderSize = 32;
constexpr std::uint32_t kSlotEntrySize = 8;
constexpr std::uint32_t kEntrySize = 12;
constexpr std::uint32_t kBitmapSize = 138;
constexpr std::uint32_t kBitmapSlots = kBitmapSize * 8;  // 1104

// Offsets within one entry of the entry table of the large archive.
constexpr std::uint32_t kEntryWordAOffset = 4;
constexpr std::uint32_t kEntryWordBOffset = 6;
constexpr std::uint16_t kEntryWordValue = 240;

struct Header {
    std::uint32_t slotCount = 0;
    std::uint32_t slotTableOffset = 0;
    std::uint32_t entryTableOffset = 0;
};

struct SlotEntry {
    std::uint32_t dataOffset = 0;
    std::uint32_t dataLength = 0;
};

Header DecodeHeader(const std::uint8_t (&bytes)[kHeaderSize]);
SlotEntry DecodeSlotEntry(const std::uint8_t (&bytes)[kSlotEntrySize]);

// Sets wordA and wordB of one entry; the other bytes stay as read.
void SetEntryWords(std::uint8_t (&entry)[kEntrySize]);
// Sets the bit of `slot` in the bitmap (slot below kBitmapSlots).
void SetBitmapBit(std::uint8_t (&bitmap)[kBitmapSize], std::uint32_t slot);

std::uint32_t SlotEntryPosition(const Header& header, std::uint32_t slot);
std::uint32_t EntryPosition(const Header& header, std::uint32_t entry);
std::uint32_t BitmapPosition(const SlotEntry& lastSlot);

// Why an archive does not fit its header; None when it fits.
enum class Flaw {
    None,
    FileShorterThanHeader,
    NoSlots,
    SlotNotInArchive,  // slot not below slotCount
    SlotNotInBitmap,   // slot not below 1104
    SlotTableOutside,
    EntryTableOutside,
    BlockOutside,  // the target slot's block
    ImageLongerThanBlock,
    BitmapOutside,
};

// What a patch of one archive touches. The entry table and the bitmap are
// touched in the large archive only.
struct PatchPlan {
    std::uint32_t slot = 0;
    std::uint32_t imageSize = 0;
    bool touchesEntriesAndBitmap = false;
};

// Every check that can be made from the header alone: the slot table must
// be inside the file before any slot entry is read from it.
Flaw CheckHeader(std::uint64_t fileLength, const Header& header, const PatchPlan& plan);
// The checks that need the slot entries; `lastSlot` is read (and checked)
// only when the plan touches the bitmap.
Flaw CheckSlots(std::uint64_t fileLength, const SlotEntry& target, const SlotEntry* lastSlot, const PatchPlan& plan);

}  // namespace face_archive
