// Names in the system's ANSI code page are read as characters: the second
// byte of a double-byte character may be 0x5C, the backslash, and then
// separates nothing; case is folded only for single-byte letters. In UTF-8
// every 0x5C byte separates, and bytes that form no character read as
// U+FFFD. Converting UTF-16 into the code page follows Windows' rules for
// the arguments, which Wine does not enforce.
#include "tests/contract/ContractFixture.h"

#include <ostream>

namespace contract {
namespace {

using namespace platform::win;

struct CodePageNames {
    std::uint32_t codePage;
    std::string endsWithBackslashByte;  // a character whose second byte is 0x5C
    std::string endsWithLowerA;         // a character whose second byte is 'a'
    std::string endsWithUpperA;         // the same first byte and 'A': another character
};
void PrintTo(const CodePageNames& c, std::ostream* out) { *out << c.codePage; }

class CodePageContract : public PlatformContract, public ::testing::WithParamInterface<CodePageNames> {
protected:
    void SetUp() override {
        PlatformContract::SetUp();
        if (!env().UseAnsiCodePage(GetParam().codePage)) {
            GTEST_SKIP() << "the system's code page is not " << GetParam().codePage;
        }
    }
    const CodePageNames& names() const { return GetParam(); }
};

const Bytes kData = {'d', 'a', 't', 'a'};

TEST_P(CodePageContract, ReportsItsNumberAndLeadBytes) {
    platform::AnsiCodePage codePage;
    ASSERT_TRUE(os().GetAnsiCodePage(&codePage));
    EXPECT_EQ(names().codePage, codePage.number);
    EXPECT_TRUE(codePage.IsLeadByte(static_cast<unsigned char>(names().endsWithBackslashByte[0])));
    EXPECT_TRUE(codePage.IsLeadByte(static_cast<unsigned char>(names().endsWithLowerA[0])));
    EXPECT_FALSE(codePage.IsLeadByte('\\'));
    EXPECT_FALSE(codePage.IsLeadByte('A'));
}

TEST_P(CodePageContract, ABackslashByteInsideACharacterSeparatesNothing) {
    const std::string x = names().endsWithBackslashByte;
    ASSERT_TRUE(os().CreateDirectory(Path(x).c_str())) << "error " << os().LastError();
    ASSERT_TRUE(os().CreateDirectory(Path(x + "\\" + x + x).c_str())) << "its parent is found by its whole name";
    ASSERT_TRUE(MakeFile(x + "\\" + x + x + "\\f" + x, kData));

    EXPECT_EQ(kData, Content(x + "\\" + x + x + "\\F" + x));
    EXPECT_NE(0u, os().GetFileAttributes(Path(x + "\\").c_str()) & kFileAttributeDirectory)
        << "a backslash after the character ends the folder's name";
    EXPECT_NE(0u, os().GetFileAttributes(Path(x + "\\" + x + x).c_str()) & kFileAttributeDirectory);
    EXPECT_FALSE(os().PathFileExists(Path(x + x).c_str()));

    ASSERT_TRUE(os().MoveFileEx(Path(x + "\\" + x + x + "\\f" + x).c_str(), Path(x + "\\g" + x).c_str(), 0));
    EXPECT_EQ(kData, Content(x + "\\g" + x));
}

TEST_P(CodePageContract, OnlySingleByteLettersCompareWithoutCase) {
    ASSERT_TRUE(MakeFile(names().endsWithLowerA + ".bin", kData));
    EXPECT_TRUE(os().PathFileExists(Path(names().endsWithLowerA + ".BIN").c_str()));
    EXPECT_FALSE(os().PathFileExists(Path(names().endsWithUpperA + ".bin").c_str()))
        << "a second byte 'a' is part of another character than one with 'A'";
    ASSERT_TRUE(MakeFile(names().endsWithUpperA + ".bin", Bytes{'u'}));
    EXPECT_EQ(kData, Content(names().endsWithLowerA + ".bin"));
}

INSTANTIATE_TEST_SUITE_P(DoubleByte, CodePageContract,
                         ::testing::Values(CodePageNames{950, "\xB3\x5C", "\xA4\x61", "\xA4\x41"},   // 許; 兀 and 乙
                                           CodePageNames{936, "\x81\x5C", "\x81\x61", "\x81\x41"},   // 乗; 乤 and 丄
                                           CodePageNames{932, "\x95\x5C", "\x83\x61", "\x83\x41"}),  // 表; ヂ and ア
                         [](const auto& info) { return std::to_string(info.param.codePage); });

// Conversion into a code page other than UTF-8, with the arguments the
// documents-folder lookup uses there and the code page's own number. The
// double knows only a few characters of each (platform/fake/FakeConversion.h):
// the cases keep to those, to ASCII and to what no code page can write.
struct ConversionCase {
    std::uint32_t codePage;
    std::u16string character;
    std::string bytes;
};
void PrintTo(const ConversionCase& c, std::ostream* out) { *out << c.codePage; }

class NonUtf8ConversionContract : public PlatformContract, public ::testing::WithParamInterface<ConversionCase> {
protected:
    void SetUp() override {
        PlatformContract::SetUp();
        if (!env().UseAnsiCodePage(GetParam().codePage)) {
            GTEST_SKIP() << "the system's code page is not " << GetParam().codePage;
        }
    }
    std::uint32_t number() const { return GetParam().codePage; }
};

TEST_P(NonUtf8ConversionContract, ReportsACharacterItLacksAsAStandIn) {
    char buffer[16] = {};
    bool usedDefault = true;
    const std::u16string name = u"C:\\" + GetParam().character;
    const std::string bytes = "C:\\" + GetParam().bytes;
    EXPECT_EQ(static_cast<int>(bytes.size()) + 1,
              os().WideCharToAnsi(number(), name.c_str(), kWcNoBestFitChars, buffer, sizeof buffer, &usedDefault));
    EXPECT_EQ(std::string(buffer), bytes);
    EXPECT_FALSE(usedDefault);

    // An unpaired surrogate is no character of any code page.
    EXPECT_EQ(3, os().WideCharToAnsi(number(), u"a\xD800", kWcNoBestFitChars, buffer, sizeof buffer, &usedDefault));
    EXPECT_EQ(std::string(buffer), "a?");
    EXPECT_TRUE(usedDefault);

    EXPECT_EQ(0, os().WideCharToAnsi(number(), u"abcd", kWcNoBestFitChars, buffer, 4, &usedDefault));
    EXPECT_EQ(kErrorInsufficientBuffer, os().LastError());
}

TEST_P(NonUtf8ConversionContract, RefusesTheFlagThatBelongsToUtf8) {
    if (env().UnderWine()) GTEST_SKIP() << "Wine accepts WC_ERR_INVALID_CHARS in every code page";
    char buffer[16] = {};
    for (const std::uint32_t codePage : {number(), kCpAcp}) {
        EXPECT_EQ(0, os().WideCharToAnsi(codePage, u"a", kWcErrInvalidChars, buffer, sizeof buffer, nullptr));
        EXPECT_EQ(kErrorInvalidFlags, os().LastError());
    }
}

INSTANTIATE_TEST_SUITE_P(AnsiCodePages, NonUtf8ConversionContract,
                         ::testing::Values(ConversionCase{1252, u"\u00B3", "\xB3"},      // ³
                                           ConversionCase{950, u"\u8A31", "\xB3\x5C"},   // 許
                                           ConversionCase{936, u"\u4E57", "\x81\x5C"},   // 乗
                                           ConversionCase{932, u"\u8868", "\x95\x5C"}),  // 表
                         [](const auto& info) { return std::to_string(info.param.codePage); });

// UTF-8 as the system's code page (the option "use Unicode UTF-8 for
// worldwide language support").
class Utf8CodePageContract : public PlatformContract {
protected:
    void SetUp() override {
        PlatformContract::SetUp();
        if (!env().UseAnsiCodePage(65001)) GTEST_SKIP() << "the system's code page is not 65001";
    }
};

const std::string kXuGong = "\xE8\xA8\xB1\xE5\x8A\x9F";  // 許功
const std::string kXu = "\xE8\xA8\xB1";                  // 許

TEST_F(Utf8CodePageContract, HasNoLeadBytes) {
    platform::AnsiCodePage codePage;
    ASSERT_TRUE(os().GetAnsiCodePage(&codePage));
    EXPECT_EQ(65001u, codePage.number);
    EXPECT_TRUE(codePage.utf8);
    for (unsigned byte = 0; byte < 256; ++byte) {
        EXPECT_FALSE(codePage.IsLeadByte(static_cast<unsigned char>(byte))) << byte;
    }
}

TEST_F(Utf8CodePageContract, EveryBackslashByteSeparatesAndOnlyAsciiLettersFold) {
    ASSERT_TRUE(os().CreateDirectory(Path(kXuGong).c_str())) << "error " << os().LastError();
    ASSERT_TRUE(os().CreateDirectory(Path(kXuGong + "\\" + kXu).c_str()));
    ASSERT_TRUE(MakeFile(kXuGong + "\\" + kXu + "\\f" + kXu + ".bin", kData));

    EXPECT_EQ(kData, Content(kXuGong + "\\" + kXu + "\\F" + kXu + ".BIN"));
    EXPECT_NE(0u, os().GetFileAttributes(Path(kXuGong + "\\").c_str()) & kFileAttributeDirectory);
    EXPECT_FALSE(os().PathFileExists(Path(kXuGong + kXu).c_str()));
}

// Windows reads them as U+FFFD: names that differ only there are one name.
TEST_F(Utf8CodePageContract, BytesThatFormNoCharacterReadAsAReplacementCharacter) {
    ASSERT_TRUE(
        MakeFile("a\xFF"
                 "b",
                 kData));
    EXPECT_EQ(kData, Content("a\xFE"
                             "b"));
    EXPECT_EQ(kData, Content("a\xEF\xBF\xBD"
                             "b"));

    ASSERT_TRUE(MakeFile("c" + kXu.substr(0, 2), kData)) << "a character cut at the end";
    EXPECT_EQ(kData, Content("c\xEF\xBF\xBD"));
    EXPECT_FALSE(os().PathFileExists(Path("c").c_str()));
}

// With the arguments the documents-folder lookup uses in UTF-8.
TEST_F(Utf8CodePageContract, WritesEveryCharacterButAnUnpairedSurrogate) {
    char buffer[32] = {};
    EXPECT_EQ(14, os().WideCharToAnsi(kCpUtf8, u"C:\\\u8A31\u529F\xD83D\xDE00", kWcErrInvalidChars, buffer,
                                      sizeof buffer, nullptr));
    EXPECT_EQ(std::string(buffer), "C:\\" + kXuGong + "\xF0\x9F\x98\x80");

    for (const char16_t* unpaired : {u"a\xD800z", u"a\xDC00z", u"a\xDE00\xD83D"}) {
        EXPECT_EQ(0, os().WideCharToAnsi(kCpUtf8, unpaired, kWcErrInvalidChars, buffer, sizeof buffer, nullptr));
        EXPECT_EQ(kErrorNoUnicodeTranslation, os().LastError());
    }
    EXPECT_EQ(6, os().WideCharToAnsi(kCpUtf8, u"a\xD800z", 0, buffer, sizeof buffer, nullptr))
        << "without the flag it stands in as U+FFFD";
    EXPECT_EQ(std::string(buffer), "a\xEF\xBF\xBDz");

    EXPECT_EQ(0, os().WideCharToAnsi(kCpUtf8, u"\u8A31\u529F", kWcErrInvalidChars, buffer, 6, nullptr));
    EXPECT_EQ(kErrorInsufficientBuffer, os().LastError());
}

TEST_F(Utf8CodePageContract, RefusesBestFitFlagsAndTheUsedDefaultPointer) {
    if (env().UnderWine()) GTEST_SKIP() << "Wine accepts both in UTF-8";
    char buffer[16] = {};
    bool usedDefault = false;
    for (const std::uint32_t flags : {kWcNoBestFitChars, kWcNoBestFitChars | kWcErrInvalidChars}) {
        EXPECT_EQ(0, os().WideCharToAnsi(kCpUtf8, u"a", flags, buffer, sizeof buffer, nullptr));
        EXPECT_EQ(kErrorInvalidFlags, os().LastError());
    }
    for (const std::uint32_t flags : {0u, kWcErrInvalidChars}) {
        EXPECT_EQ(0, os().WideCharToAnsi(kCpUtf8, u"a", flags, buffer, sizeof buffer, &usedDefault));
        EXPECT_EQ(kErrorInvalidParameter, os().LastError());
    }
}

// WC_ERR_INVALID_CHARS is documented with CP_UTF8 itself, not with CP_ACP
// that happens to be UTF-8: the lookup passes the number.
TEST_F(Utf8CodePageContract, RefusesTheUtf8FlagWithTheAnsiCodePagesAlias) {
    if (env().UnderWine()) GTEST_SKIP() << "Wine accepts WC_ERR_INVALID_CHARS with CP_ACP";
    char buffer[16] = {};
    EXPECT_EQ(0, os().WideCharToAnsi(kCpAcp, u"a", kWcErrInvalidChars, buffer, sizeof buffer, nullptr));
    EXPECT_EQ(kErrorInvalidFlags, os().LastError());
    EXPECT_EQ(2, os().WideCharToAnsi(kCpAcp, u"a", 0, buffer, sizeof buffer, nullptr))
        << "without it, CP_ACP writes UTF-8";
}

using SingleByteCodePageContract = PlatformContract;

TEST_F(SingleByteCodePageContract, EveryBackslashByteSeparates) {
    if (!env().UseAnsiCodePage(1252)) GTEST_SKIP() << "the system's code page is not 1252";
    ASSERT_TRUE(os().CreateDirectory(Path("\xB3").c_str()));
    ASSERT_TRUE(
        MakeFile("\xB3\x5C"
                 "f",
                 kData));
    EXPECT_EQ(kData, Content("\xB3\\f"));
}

}  // namespace
}  // namespace contract
