// Names in the system's ANSI code page are read as characters: the second
// byte of a double-byte character may be 0x5C, the backslash, and then
// separates nothing; case is folded only for single-byte letters.
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

INSTANTIATE_TEST_SUITE_P(
    DoubleByte, CodePageContract,
    ::testing::Values(CodePageNames{950, "\xB3\x5C", "\xA4\x61", "\xA4\x41"},  // 許; 兀 and 乙
                      CodePageNames{936, "\x81\x5C", "\x81\x61", "\x81\x41"},  // 乗; 乤 and 丄
                      CodePageNames{932, "\x95\x5C", "\x83\x61", "\x83\x41"}), // 表; ヂ and ア
    [](const auto& info) { return std::to_string(info.param.codePage); });

using SingleByteCodePageContract = PlatformContract;

TEST_F(SingleByteCodePageContract, EveryBackslashByteSeparates) {
    if (!env().UseAnsiCodePage(1252)) GTEST_SKIP() << "the system's code page is not 1252";
    ASSERT_TRUE(os().CreateDirectory(Path("\xB3").c_str()));
    ASSERT_TRUE(MakeFile("\xB3\x5C" "f", kData));
    EXPECT_EQ(kData, Content("\xB3\\f"));
}

}  // namespace
}  // namespace contract
