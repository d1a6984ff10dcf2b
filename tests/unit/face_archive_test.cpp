#include "install/FaceArchive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace fa = face_archive;

namespace {

TEST(FaceArchiveFormat, DecodesLittleEndianHeaderFieldsAndIgnoresTheRest) {
    std::uint8_t bytes[fa::kHeaderSize];
    for (std::uint32_t i = 0; i < fa::kHeaderSize; ++i) bytes[i] = static_cast<std::uint8_t>(0xA0 + i);
    const std::uint8_t slotCount[4] = {0x04, 0x04, 0x00, 0x00};
    const std::uint8_t slotTable[4] = {0x20, 0x00, 0x01, 0x80};
    const std::uint8_t entryTable[4] = {0x78, 0x56, 0x34, 0x12};
    std::copy(slotCount, slotCount + 4, bytes + 4);
    std::copy(slotTable, slotTable + 4, bytes + 8);
    std::copy(entryTable, entryTable + 4, bytes + 16);

    const fa::Header header = fa::DecodeHeader(bytes);
    EXPECT_EQ(header.slotCount, 0x0404u);
    EXPECT_EQ(header.slotTableOffset, 0x80010020u);
    EXPECT_EQ(header.entryTableOffset, 0x12345678u);

    const std::uint8_t entry[fa::kSlotEntrySize] = {0x10, 0x20, 0x30, 0x40, 0xFF, 0x00, 0x00, 0x01};
    const fa::SlotEntry slot = fa::DecodeSlotEntry(entry);
    EXPECT_EQ(slot.dataOffset, 0x40302010u);
    EXPECT_EQ(slot.dataLength, 0x010000FFu);
}

TEST(FaceArchiveFormat, EntryWordsBecomeF000F000AndTheOtherBytesStay) {
    std::uint8_t entry[fa::kEntrySize] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    fa::SetEntryWords(entry);
    const std::uint8_t expected[fa::kEntrySize] = {1, 2, 3, 4, 0xF0, 0x00, 0xF0, 0x00, 9, 10, 11, 12};
    EXPECT_EQ(std::vector<std::uint8_t>(entry, entry + 12), std::vector<std::uint8_t>(expected, expected + 12));
}

TEST(FaceArchiveFormat, SlotBitIsLeastSignificantFirst) {
    struct Case {
        std::uint32_t slot;
        std::uint32_t byte;
        std::uint8_t mask;
    };
    for (const Case c : {Case{1027, 128, 0x08}, Case{0, 0, 0x01}, Case{7, 0, 0x80}, Case{1103, 137, 0x80}}) {
        std::uint8_t bitmap[fa::kBitmapSize] = {};
        bitmap[c.byte] = 0x22;
        fa::SetBitmapBit(bitmap, c.slot);
        for (std::uint32_t i = 0; i < fa::kBitmapSize; ++i) {
            const std::uint8_t want = i == c.byte ? static_cast<std::uint8_t>(0x22 | c.mask) : 0;
            ASSERT_EQ(bitmap[i], want) << "slot " << c.slot << " byte " << i;
        }
    }
}

TEST(FaceArchiveFormat, PositionsAreThirtyTwoBitFromTheTables) {
    fa::Header header;
    header.slotTableOffset = 32;
    header.entryTableOffset = 100;
    EXPECT_EQ(fa::SlotEntryPosition(header, 1027), 32u + 8216u);
    EXPECT_EQ(fa::EntryPosition(header, 3), 136u);
    EXPECT_EQ(fa::BitmapPosition(fa::SlotEntry{5000, 250}), 5250u);
}

// A well-formed large archive of 1030 slots; each case breaks one thing.
struct Layout {
    std::uint64_t fileLength = 60000;
    fa::Header header{1030, 32, 32 + 8 * 1030};
    fa::SlotEntry target{30000, 100};
    fa::SlotEntry last{40000, 10};
    fa::PatchPlan plan{1027, 64, true};
};

fa::Flaw Check(const Layout& layout) {
    const fa::Flaw headerFlaw = fa::CheckHeader(layout.fileLength, layout.header, layout.plan);
    if (headerFlaw != fa::Flaw::None) return headerFlaw;
    return fa::CheckSlots(layout.fileLength, layout.target,
                          layout.plan.touchesEntriesAndBitmap ? &layout.last : nullptr, layout.plan);
}

struct ValidationCase {
    std::string name;
    std::function<void(Layout&)> change;
    fa::Flaw expected;
};

constexpr std::uint64_t k4GiB = std::uint64_t{1} << 32;

TEST(FaceArchiveValidation, EachRuleRejectsWhatBreaksItAndAcceptsItsLimit) {
    const std::vector<ValidationCase> cases = {
        {"well formed", [](Layout&) {}, fa::Flaw::None},
        {"file shorter than header", [](Layout& l) { l.fileLength = 31; }, fa::Flaw::FileShorterThanHeader},
        {"no slots", [](Layout& l) { l.header.slotCount = 0; }, fa::Flaw::NoSlots},
        {"slot equals slotCount", [](Layout& l) { l.header.slotCount = 1027; }, fa::Flaw::SlotNotInArchive},
        {"slot last of slotCount", [](Layout& l) { l.header.slotCount = 1028; }, fa::Flaw::None},
        {"slot beyond bitmap",
         [](Layout& l) {
             l.header.slotCount = 2000;
             l.header.entryTableOffset = 32 + 8 * 2000;
             l.plan.slot = 1104;
         },
         fa::Flaw::SlotNotInBitmap},
        {"slot table one byte past the end", [](Layout& l) { l.fileLength = 32 + 8 * 1030 - 1; },
         fa::Flaw::SlotTableOutside},
        {"slot table wrapping 32 bits",
         [](Layout& l) {
             l.fileLength = 2 * k4GiB;
             l.header.slotTableOffset = 0xFFFFFF00u;
         },
         fa::Flaw::SlotTableOutside},
        {"slot count so large the table cannot fit",
         [](Layout& l) {
             l.header.slotCount = 0xFFFFFFFFu;
             l.fileLength = 2 * k4GiB;
         },
         fa::Flaw::SlotTableOutside},
        {"entry table one byte past the end", [](Layout& l) { l.header.entryTableOffset = 60000 - 12 * 1030 + 1; },
         fa::Flaw::EntryTableOutside},
        {"entry table ending at the end", [](Layout& l) { l.header.entryTableOffset = 60000 - 12 * 1030; },
         fa::Flaw::None},
        {"entry table outside is no matter where it is not patched",
         [](Layout& l) {
             l.header.entryTableOffset = 0xFFFFFFF0u;
             l.plan.touchesEntriesAndBitmap = false;
         },
         fa::Flaw::None},
        {"block past the end",
         [](Layout& l) {
             l.target = {59950, 51};
         },
         fa::Flaw::BlockOutside},
        {"block ending at the end",
         [](Layout& l) {
             l.target = {59900, 100};
         },
         fa::Flaw::None},
        {"block wrapping 32 bits",
         [](Layout& l) {
             l.fileLength = 2 * k4GiB;
             l.target = {0xFFFFFFF0u, 0x20};
         },
         fa::Flaw::BlockOutside},
        {"image longer than block", [](Layout& l) { l.plan.imageSize = 101; }, fa::Flaw::ImageLongerThanBlock},
        {"image as long as block", [](Layout& l) { l.plan.imageSize = 100; }, fa::Flaw::None},
        {"bitmap one byte past the end",
         [](Layout& l) {
             l.last = {59800, 63};
         },
         fa::Flaw::BitmapOutside},
        {"bitmap ending at the end",
         [](Layout& l) {
             l.last = {59800, 62};
         },
         fa::Flaw::None},
        {"bitmap position wrapping 32 bits",
         [](Layout& l) {
             l.fileLength = 2 * k4GiB;
             l.last = {0xFFFFFFFFu, 2};
         },
         fa::Flaw::BitmapOutside},
        {"bitmap outside is no matter where it is not patched",
         [](Layout& l) {
             l.last = {59800, 1000};
             l.plan.touchesEntriesAndBitmap = false;
         },
         fa::Flaw::None},
    };
    for (const ValidationCase& c : cases) {
        Layout layout;
        c.change(layout);
        EXPECT_EQ(Check(layout), c.expected) << c.name;
    }
}

}  // namespace
