// The committed payload files that the program embeds: their framing is what
// the game reads, so it is checked here independently of the generator.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadResource(const std::string& relative) {
    std::ifstream in(std::string(INSTALLER_SOURCE_DIR) + "/resources/" + relative, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t U32(const Bytes& b, std::size_t at) {
    return std::uint32_t{b.at(at)} | std::uint32_t{b.at(at + 1)} << 8 | std::uint32_t{b.at(at + 2)} << 16 |
           std::uint32_t{b.at(at + 3)} << 24;
}

std::uint16_t U16(const Bytes& b, std::size_t at) { return static_cast<std::uint16_t>(b.at(at) | b.at(at + 1) << 8); }

std::string Text(const Bytes& b, std::size_t at, std::size_t size) {
    return std::string(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + size));
}

std::string ZeroTerminated(const Bytes& b, std::size_t at) {
    std::string text;
    while (b.at(at) != 0) text.push_back(static_cast<char>(b.at(at++)));
    return text;
}

std::string Cp950ToUtf8(const std::string& cp950) {
    iconv_t converter = iconv_open("UTF-8", "CP950");
    if (converter == reinterpret_cast<iconv_t>(-1)) return "<no converter>";
    std::string in = cp950;
    std::string out(in.size() * 3 + 4, '\0');
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    const bool converted = iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(converter);
    if (!converted) return "<not code page 950>";
    out.resize(out.size() - outLeft);
    return out;
}

struct RecordCase {
    const char* file;
    std::size_t size;
    const char* tag;
    const char* innerTag;
    std::uint32_t version;
};

const RecordCase kRecords[] = {
    {"payload/record_base.bin", 383, "VANT77EDIT_V6   ", "VANT77EDITB_V6  ", 6},
    {"payload/record_expansion.bin", 387, "VANT77EDIT_V7   ", "VANT77EDITB_V7  ", 7},
};

TEST(PayloadRecordFiles, CarryTheEditionFramingAndTheWarlordTheSetDataFlagLooksFor) {
    for (const RecordCase& c : kRecords) {
        SCOPED_TRACE(c.file);
        const Bytes record = ReadResource(c.file);
        ASSERT_EQ(record.size(), c.size);
        EXPECT_EQ(Text(record, 0, 16), c.tag);
        EXPECT_EQ(Text(record, 16, 16), c.innerTag);
        EXPECT_EQ(U32(record, 32), c.version);
        EXPECT_EQ(Cp950ToUtf8(ZeroTerminated(record, 52)), u8"碧原");
        EXPECT_EQ(static_cast<std::int32_t>(U32(record, 375)), 1532);
    }
}

TEST(PayloadRecordFiles, ExpansionRecordIsTheBaseRecordWithItsOwnTagsVersionAndTrailer) {
    const Bytes base = ReadResource("payload/record_base.bin");
    const Bytes expansion = ReadResource("payload/record_expansion.bin");
    ASSERT_EQ(base.size(), 383u);
    ASSERT_EQ(expansion.size(), 387u);
    const std::set<std::size_t> differing = {12, 29, 32};
    for (std::size_t i = 0; i < base.size(); ++i) {
        if (differing.count(i) == 0) {
            EXPECT_EQ(base[i], expansion[i]) << "byte " << i;
        }
    }
    EXPECT_EQ(base[12], '6');
    EXPECT_EQ(expansion[12], '7');
    EXPECT_EQ(base[29], '6');
    EXPECT_EQ(expansion[29], '7');
    EXPECT_EQ(U32(expansion, 383), 1u);
}

TEST(PayloadRecordFiles, WarlordTextsAreZeroTerminatedCodePage950) {
    const Bytes record = ReadResource("payload/record_base.bin");
    ASSERT_EQ(record.size(), 383u);
    const std::size_t textFields[] = {52, 64, 132};  // family name, given name, biography
    for (std::size_t at : textFields) {
        const std::string text = ZeroTerminated(record, at);
        EXPECT_FALSE(text.empty()) << "field at " << at;
        EXPECT_NE(Cp950ToUtf8(text), "<not code page 950>") << "field at " << at;
    }
    for (std::size_t at = 108; at < 115; ++at) {
        EXPECT_GE(record[at], 1) << "rating at " << at;
        EXPECT_LE(record[at], 100) << "rating at " << at;
    }
}

struct FaceCase {
    const char* file;
    std::size_t side;
};

const FaceCase kFaces[] = {{"payload/face_l.bin", 256}, {"payload/face_m.bin", 128}, {"payload/face_s.bin", 64}};

TEST(PayloadFaceFiles, SizeFieldMatchesTheFileAndTheSide) {
    for (const FaceCase& c : kFaces) {
        SCOPED_TRACE(c.file);
        const Bytes image = ReadResource(c.file);
        ASSERT_EQ(image.size(), 56 + 4 * c.side * c.side);
        EXPECT_EQ(U32(image, 8), image.size());
        EXPECT_EQ(U32(image, 12), c.side);
        EXPECT_EQ(U32(image, 16), c.side);
    }
}

TEST(PayloadFaceFiles, FigureStandsOnATransparentBackgroundAndIsNotOneFlatColour) {
    for (const FaceCase& c : kFaces) {
        SCOPED_TRACE(c.file);
        const Bytes image = ReadResource(c.file);
        ASSERT_EQ(image.size(), 56 + 4 * c.side * c.side);
        std::size_t transparent = 0;
        std::set<std::uint32_t> opaqueColours;
        for (std::size_t at = 56; at < image.size(); at += 4) {
            const std::uint8_t alpha = image[at + 3];
            if (alpha == 0) ++transparent;
            if (alpha == 255) opaqueColours.insert(U32(image, at) & 0x00FFFFFFu);
        }
        EXPECT_GT(transparent, 0u);
        EXPECT_GT(opaqueColours.size(), 16u);
        // The top-left corner lies outside the figure.
        EXPECT_EQ(image[56 + 3], 0);
    }
}

TEST(ProgramIcon, HoldsThe48And32And16PixelImagesAt256Colours) {
    const Bytes icon = ReadResource("icon/app.ico");
    ASSERT_GE(icon.size(), 6u + 3 * 16);
    EXPECT_EQ(U16(icon, 0), 0);
    EXPECT_EQ(U16(icon, 2), 1);
    ASSERT_EQ(U16(icon, 4), 3);
    const std::uint8_t sides[] = {48, 32, 16};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(sides[i]);
        const std::size_t entry = 6 + 16 * i;
        EXPECT_EQ(icon[entry], sides[i]);
        EXPECT_EQ(icon[entry + 1], sides[i]);
        EXPECT_EQ(U16(icon, entry + 6), 8);
        const std::uint32_t size = U32(icon, entry + 8);
        const std::uint32_t offset = U32(icon, entry + 12);
        ASSERT_LE(std::size_t{offset} + size, icon.size());
        // The image itself: a 40-byte header, 256 palette entries, 8-bit
        // colour rows, then the 1-bit AND mask rows.
        const std::size_t maskStride = (std::size_t{sides[i]} + 31) / 32 * 4;
        EXPECT_EQ(size, 40u + 1024u + sides[i] * sides[i] + maskStride * sides[i]);
        EXPECT_EQ(U32(icon, offset), 40u);
        EXPECT_EQ(U32(icon, offset + 4), sides[i]);
        EXPECT_EQ(U32(icon, offset + 8), 2u * sides[i]);
        EXPECT_EQ(U16(icon, offset + 14), 8);
    }
}

}  // namespace
