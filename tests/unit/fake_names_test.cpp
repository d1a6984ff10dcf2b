// The double's reading of names that only it can show: network shares, the
// shell's form of the documents folder, code page 932's single-byte kana and
// UTF-8's replacement of bytes that form no character.
#include "platform/fake/FakePlatform.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>

namespace {

using platform::fake::FakePlatform;
namespace win = platform::win;

const char kXu[] = "\xB3\x5C";  // 許 in code page 950

TEST(FakeShares, AShareRootExistsOnceTheShareDoes) {
    FakePlatform fake;
    EXPECT_EQ(fake.GetFileAttributes("\\\\srv\\docs\\"), win::kInvalidFileAttributes);
    fake.AddShare("\\\\srv\\docs");

    for (const char* root : {"\\\\srv\\docs", "\\\\srv\\docs\\", "\\\\SRV\\Docs\\"}) {
        SCOPED_TRACE(root);
        EXPECT_NE(fake.GetFileAttributes(root) & win::kFileAttributeDirectory, 0u);
    }
    EXPECT_FALSE(fake.CreateDirectory("\\\\srv\\docs\\"));
    EXPECT_EQ(fake.LastError(), win::kErrorAccessDenied) << "a root is never created";
    EXPECT_EQ(fake.GetFileAttributes("\\\\srv\\"), win::kInvalidFileAttributes);
    EXPECT_EQ(fake.LastError(), 53u) << "a server alone is no folder";
    EXPECT_EQ(fake.GetFileAttributes("\\\\srv\\other\\a"), win::kInvalidFileAttributes);
    EXPECT_EQ(fake.LastError(), win::kErrorPathNotFound);
}

TEST(FakeShares, FoldersAndFilesBelowAShareRootBehaveAsOnADrive) {
    FakePlatform fake;
    fake.AddShare("\\\\srv\\docs");
    ASSERT_TRUE(fake.CreateDirectory("\\\\srv\\docs\\a"));
    EXPECT_FALSE(fake.CreateDirectory("\\\\srv\\docs\\b\\c"));
    EXPECT_EQ(fake.LastError(), win::kErrorPathNotFound);
    fake.AddFile("\\\\srv\\docs\\a\\f.bin", {1, 2});
    ASSERT_TRUE(fake.MoveFileEx("\\\\srv\\docs\\a\\f.bin", "\\\\SRV\\DOCS\\g.bin", 0));
    EXPECT_EQ(fake.FileBytes("\\\\srv\\docs\\G.BIN"), (std::vector<std::uint8_t>{1, 2}));
    EXPECT_TRUE(fake.IsFolder("\\\\srv\\docs\\a"));
}

TEST(FakeShares, ShareNamesGoByCharacters) {
    FakePlatform fake;
    const std::string share = std::string("\\\\") + kXu + "\\" + kXu;
    const std::size_t before = fake.ListAll().size();
    fake.AddShare(share);
    ASSERT_TRUE(fake.CreateDirectory((share + "\\" + kXu).c_str()));
    EXPECT_TRUE(fake.IsFolder(share + "\\" + kXu));
    EXPECT_EQ(fake.ListAll().size(), before + 2) << "the share's root and one folder";
}

struct ReportedCase {
    const char* name;
    std::string folder;  // bytes of code page 950
    bool withBackslash;
    std::u16string reported;
};

// The shell answers in UTF-16; the bytes a test gives stand for the
// characters they are in the code page.
TEST(FakeShell, ReportsTheDocumentsFolderAsWindowsOrWineDoes) {
    const ReportedCase cases[] = {
        {"Windows drops the backslash", "C:\\Users\\u\\Docs\\", false, u"C:\\Users\\u\\Docs"},
        {"Wine adds one", "C:\\Users\\u\\Docs", true, u"C:\\Users\\u\\Docs\\"},
        {"a drive root keeps its own", "D:\\", false, u"D:\\"},
        {"a last character ending with 0x5C stays whole", std::string("D:\\") + kXu, false, u"D:\\\u8A31"},
        {"Wine's form of it", std::string("D:\\") + kXu, true, u"D:\\\u8A31\\"},
    };
    for (const ReportedCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform fake;
        fake.SetPersonalFolder(c.folder, c.withBackslash);
        char16_t buffer[260] = {};
        ASSERT_TRUE(fake.GetPersonalFolderPath(buffer));
        EXPECT_TRUE(std::u16string(buffer) == c.reported);
    }
}

TEST(FakeShell, BytesThatAreNoCharactersOfTheCodePageAreATestsMistake) {
    FakePlatform fake;
    EXPECT_THROW(fake.SetPersonalFolder(std::string("C:\\Users\\\xB3")), std::invalid_argument) << "half a character";
    fake.SetAnsiCodePage(65001);
    EXPECT_THROW(fake.SetPersonalFolder(std::string("C:\\a\xE8\xA8")), std::invalid_argument) << "a cut sequence";
}

// MAX_PATH units, the terminator included.
TEST(FakeShell, ANameLongerThanTheShellsBufferIsNotReported) {
    FakePlatform fake;
    char16_t buffer[260] = {};
    fake.SetPersonalFolderName(u"C:\\" + std::u16string(256, u'\u8A31'));
    EXPECT_TRUE(fake.GetPersonalFolderPath(buffer));
    fake.SetPersonalFolderName(u"C:\\" + std::u16string(257, u'\u8A31'));
    EXPECT_FALSE(fake.GetPersonalFolderPath(buffer));
    EXPECT_EQ(fake.LastError(), win::kErrorInsufficientBuffer);
}

// In code page 932, A1 to DF are half-width kana, single bytes: a backslash
// after one separates.
TEST(FakeCodePages, ShiftJisKanaAreSingleBytes) {
    FakePlatform fake;
    fake.SetAnsiCodePage(932);
    ASSERT_TRUE(fake.CreateDirectory("C:\\\xB3"));
    ASSERT_TRUE(fake.CreateDirectory("C:\\\xB3\\x"));
    EXPECT_TRUE(fake.IsFolder("C:\\\xB3\\x"));

    FakePlatform big5;  // 0xB3 leads in 950: B3 5C is one character, 許
    EXPECT_TRUE(big5.CreateDirectory("C:\\\xB3\\x")) << "the same bytes name a folder 許x in C:\\";
}

// In UTF-8, bytes that form no character are read as U+FFFD: two names
// that differ only there name the same folder.
TEST(FakeCodePages, Utf8ReadsBytesThatFormNoCharacterAsOneReplacement) {
    FakePlatform fake;
    fake.SetAnsiCodePage(65001);
    ASSERT_TRUE(
        fake.CreateDirectory("C:\\a\xFF"
                             "b"));
    EXPECT_TRUE(
        fake.IsFolder("C:\\a\xFE"
                      "b"));
    EXPECT_TRUE(
        fake.IsFolder("C:\\a\xEF\xBF\xBD"
                      "b"));
    ASSERT_TRUE(fake.CreateDirectory("C:\\c\xE8\xA8")) << "a cut character at the end is no invalid name";
    EXPECT_TRUE(fake.IsFolder("C:\\c\xEF\xBF\xBD"));
    EXPECT_FALSE(fake.IsFolder("C:\\c"));
}

TEST(FakeCodePages, AUnknownCodePageChangesNothing) {
    FakePlatform fake;
    fake.SetAnsiCodePage(1251);
    platform::AnsiCodePage codePage;
    ASSERT_TRUE(fake.GetAnsiCodePage(&codePage));
    EXPECT_EQ(codePage.number, 950u);
}

}  // namespace
