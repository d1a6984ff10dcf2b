// The double's reading of names that only it can show: network shares, the
// shell's form of the documents folder, code page 932's single-byte kana and
// UTF-8's replacement of bytes that form no character.
#include "platform/fake/FakePlatform.h"

#include <gtest/gtest.h>

#include <optional>
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
    std::string folder;
    bool withBackslash;
    std::string reported;
};

TEST(FakeShell, ReportsTheDocumentsFolderAsWindowsOrWineDoes) {
    const ReportedCase cases[] = {
        {"Windows drops the backslash", "C:\\Users\\u\\Docs\\", false, "C:\\Users\\u\\Docs"},
        {"Wine adds one", "C:\\Users\\u\\Docs", true, "C:\\Users\\u\\Docs\\"},
        {"a drive root keeps its own", "D:\\", false, "D:\\"},
        {"a last character ending with 0x5C stays whole", std::string("D:\\") + kXu, false, std::string("D:\\") + kXu},
        {"Wine's form of it", std::string("D:\\") + kXu, true, std::string("D:\\") + kXu + "\\"},
    };
    for (const ReportedCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform fake;
        fake.SetPersonalFolder(c.folder, c.withBackslash);
        char buffer[260] = {};
        ASSERT_TRUE(fake.GetPersonalFolderPath(buffer));
        EXPECT_EQ(std::string(buffer), c.reported);
    }
}

TEST(FakeShell, AFolderWithoutAnAnsiNameIsNotReported) {
    for (const std::uint32_t codePage : {950u, 1252u, 65001u}) {
        SCOPED_TRACE(codePage);
        FakePlatform fake;
        fake.SetAnsiCodePage(codePage);
        fake.SetPersonalFolderWithoutAnsiName();
        char buffer[260] = {};
        EXPECT_FALSE(fake.GetPersonalFolderPath(buffer));
        EXPECT_EQ(fake.LastError(), win::kErrorNoUnicodeTranslation);
    }
}

// 許功蓋的文件 and 😀 in UTF-16, and in UTF-8.
const char16_t kDocumentsName16[] = u"C:\\Users\\\u8A31\u529F\u84CB\u7684\u6587\u4EF6\\\xD83D\xDE00";
const char kDocumentsNameUtf8[] =
    "C:\\Users\\\xE8\xA8\xB1\xE5\x8A\x9F\xE8\x93\x8B\xE7\x9A\x84\xE6\x96\x87\xE4\xBB\xB6\\\xF0\x9F\x98\x80";

// The shell holds the name in UTF-16; under UTF-8 the lookup writes every
// character, with the trailing backslash where Wine's shell puts one.
TEST(FakeShell, WritesTheShellsNameInUtf8) {
    for (const bool withBackslash : {false, true}) {
        FakePlatform fake;
        fake.SetAnsiCodePage(65001);
        fake.SetPersonalFolderName(kDocumentsName16, withBackslash);
        char buffer[260] = {};
        ASSERT_TRUE(fake.GetPersonalFolderPath(buffer)) << "error " << fake.LastError();
        EXPECT_EQ(std::string(buffer), std::string(kDocumentsNameUtf8) + (withBackslash ? "\\" : ""));
    }
}

// 87 characters of three bytes each after "C:\": 264 bytes, which do not fit.
TEST(FakeShell, ANameLongerThanTheBufferInTheCodePageIsNotReported) {
    FakePlatform fake;
    fake.SetAnsiCodePage(65001);
    fake.SetPersonalFolderName(u"C:\\" + std::u16string(87, u'\u8A31'));
    char buffer[260] = {};
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
    ASSERT_TRUE(fake.CreateDirectory("C:\\a\xFF" "b"));
    EXPECT_TRUE(fake.IsFolder("C:\\a\xFE" "b"));
    EXPECT_TRUE(fake.IsFolder("C:\\a\xEF\xBF\xBD" "b"));
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
