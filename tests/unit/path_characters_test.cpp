#include "install/PathCharacters.h"

#include "platform/fake/FakePlatform.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

platform::AnsiCodePage CodePage(std::uint32_t number) {
    platform::fake::FakePlatform fake;
    fake.SetAnsiCodePage(number);
    platform::AnsiCodePage codePage;
    EXPECT_TRUE(fake.GetAnsiCodePage(&codePage));
    EXPECT_EQ(codePage.number, number);
    return codePage;
}

struct LayoutCase {
    const char* name;
    std::uint32_t codePage;
    std::string path;
    std::size_t rootLength;
    std::vector<std::size_t> folderEnds;
    bool endsWithBackslash;
};
void PrintTo(const LayoutCase& c, std::ostream* out) { *out << c.name; }

class LayOutPathTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayOutPathTest, FindsTheRootAndTheBackslashCharacters) {
    const LayoutCase& c = GetParam();
    const std::optional<PathLayout> layout = LayOutPath(CodePage(c.codePage), c.path);
    ASSERT_TRUE(layout.has_value());
    EXPECT_EQ(layout->rootLength, c.rootLength);
    EXPECT_EQ(layout->folderEnds, c.folderEnds);
    EXPECT_EQ(layout->endsWithBackslash, c.endsWithBackslash);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, LayOutPathTest,
    ::testing::Values(LayoutCase{"Drive", 950, "C:\\a\\b", 3, {5}, false},
                      LayoutCase{"DriveRootOnly", 950, "C:\\", 3, {}, true},
                      LayoutCase{"DriveRelative", 950, "C:a\\b\\", 2, {4, 6}, true},
                      LayoutCase{"CurrentDriveRoot", 950, "\\a\\", 1, {3}, true},
                      LayoutCase{"Relative", 950, "a\\b\\", 0, {2, 4}, true},
                      LayoutCase{"Share", 950, "\\\\srv\\docs\\a\\", 11, {13}, true},
                      LayoutCase{"ShareWithoutBackslash", 950, "\\\\srv\\docs", 10, {}, false},
                      LayoutCase{"ServerOnly", 950, "\\\\srv\\", 6, {}, true},
                      LayoutCase{"LongDrive", 950, "\\\\?\\C:\\a\\b", 7, {9}, false},
                      LayoutCase{"LongShare", 950, "\\\\?\\UNC\\srv\\docs\\a\\", 17, {19}, true},
                      LayoutCase{"LongVolume", 950, "\\\\?\\Volume{1}\\a\\", 14, {16}, true},
                      // 許 is B3 5C, 功 A5 5C: their second byte separates nothing.
                      LayoutCase{"Big5", 950, "C:\\\xB3\x5C\xA5\x5C\\\xB3\x5C", 3, {8}, false},
                      LayoutCase{"Big5ShareNames", 950, "\\\\\xB3\x5C\\\xB3\x5C\\a", 8, {}, false},
                      LayoutCase{"Gbk", 936, "C:\\\x81\x5C\\", 3, {6}, true},
                      LayoutCase{"ShiftJis", 932, "C:\\\x95\x5C\x83\x5C", 3, {}, false},
                      // In code page 932, A0 to DF are single-byte characters (half-width kana).
                      LayoutCase{"ShiftJisKanaThenBackslash", 932, "C:\\\xB3\\\xB3", 3, {5}, false},
                      LayoutCase{"Cp1252", 1252, "C:\\\xB3\x5C\xA5\x5C", 3, {5, 7}, true},
                      // UTF-8: 許 (E8 A8 B1), 功 (E5 8A 9F); no byte of a longer character is 0x5C.
                      LayoutCase{"Utf8", 65001, "C:\\\xE8\xA8\xB1\xE5\x8A\x9F\\\xE8\xA8\xB1\\", 3, {10, 14}, true},
                      LayoutCase{"Utf8FourBytes", 65001, "\\\\\xF0\x9F\x98\x80\\d\\\xF0\x9F\x98\x80", 9, {}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LayOutPath, RefusesAPathThatEndsWithHalfACharacter) {
    EXPECT_FALSE(LayOutPath(CodePage(950), "C:\\a\\\xB3").has_value());
    EXPECT_FALSE(LayOutPath(CodePage(932), "C:\\\x95").has_value());
    EXPECT_TRUE(LayOutPath(CodePage(932), "C:\\\xB3").has_value()) << "a half-width kana is whole";
    EXPECT_TRUE(LayOutPath(CodePage(1252), "C:\\a\\\xB3").has_value());
}

// Windows reads bytes that form no UTF-8 character as U+FFFD: the name would
// be another folder's, so the path is refused wherever they are.
TEST(LayOutPath, RefusesAPathWithBytesThatFormNoUtf8Character) {
    const struct {
        const char* name;
        std::string path;
    } refused[] = {
        {"cut at the end", "C:\\\xE8\xA8"},           {"cut before a backslash", "C:\\\xE8\xA8\\a"},
        {"a continuation byte alone", "C:\\\xB1\\a"}, {"Big5 read as UTF-8", "C:\\\xB3\x5C\\a"},
        {"a byte never in UTF-8", "C:\\a\xFF\\"},     {"an overlong backslash", "C:\\a\xC1\x9C"},
        {"an encoded surrogate", "C:\\\xED\xA0\x80"}, {"past U+10FFFF", "C:\\\xF4\x90\x80\x80"},
    };
    for (const auto& c : refused) {
        EXPECT_FALSE(LayOutPath(CodePage(65001), c.path).has_value()) << c.name;
    }
    EXPECT_TRUE(LayOutPath(CodePage(65001), "C:\\\xE8\xA8\xB1\\\xF4\x8F\xBF\xBF").has_value());
}

}  // namespace
