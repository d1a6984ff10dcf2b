#include "install/Payload.h"

#include "platform/fake/FakePlatform.h"
#include "tests/unit/TestScene.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using platform::fake::ScopedFakeOs;

std::uint32_t Le32(const std::uint8_t* bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | bytes[at + i];
    return value;
}

TEST(PayloadLookup, GivesTheResourceBytesAndSize) {
    ScopedFakeOs os;
    test_scene::AddPayload(*os);
    struct Item {
        std::uint16_t id;
        std::uint32_t size;
    };
    for (const Item item : {Item{kPayloadBaseRecord, 383}, Item{kPayloadExpansionRecord, 387},
                            Item{kPayloadFaceL, 262200}, Item{kPayloadFaceM, 65592}, Item{kPayloadFaceS, 16440}}) {
        const std::uint8_t* bytes = LoadPayload(item.id);
        ASSERT_NE(bytes, nullptr) << item.id;
        EXPECT_EQ(PayloadSize(item.id), item.size) << item.id;
        // No copy: the program's own resource memory.
        EXPECT_EQ(static_cast<const void*>(bytes),
                  platform::Os().LoadResource(platform::Os().FindResource(item.id, "BINARY")));
    }
    EXPECT_EQ(std::memcmp(LoadPayload(kPayloadBaseRecord), "VANT77EDIT_V6", 13), 0);
    EXPECT_EQ(std::memcmp(LoadPayload(kPayloadExpansionRecord), "VANT77EDIT_V7", 13), 0);
    EXPECT_EQ(Le32(LoadPayload(kPayloadFaceS), 8), PayloadSize(kPayloadFaceS));
}

TEST(PayloadLookup, AnAbsentIdGivesNullAndZeroSilently) {
    ScopedFakeOs os;
    test_scene::AddPayload(*os);
    // The same id under another type is not the payload.
    os->AddResource(142, "TEXT", {1, 2, 3});
    EXPECT_EQ(LoadPayload(142), nullptr);
    EXPECT_EQ(PayloadSize(142), 0u);
    EXPECT_TRUE(os->MessageBoxes().empty());
}

// Neither needs the other to have been asked first.
TEST(PayloadLookup, SizeAndBytesAreLookedUpIndependently) {
    {
        ScopedFakeOs os;
        test_scene::AddPayload(*os);
        EXPECT_EQ(PayloadSize(kPayloadFaceM), 65592u);
    }
    {
        ScopedFakeOs os;
        test_scene::AddPayload(*os);
        const std::uint8_t* bytes = LoadPayload(kPayloadFaceM);
        ASSERT_NE(bytes, nullptr);
        EXPECT_EQ(Le32(bytes, 8), 65592u);
    }
}

}  // namespace
