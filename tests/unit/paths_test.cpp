#include "install/Paths.h"

#include "install/InstallMessages.h"
#include "platform/fake/FakePlatform.h"
#include "tests/unit/TestScene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

namespace {

using platform::fake::Fault;
using platform::fake::Op;
using platform::fake::ScopedFakeOs;

std::string EndingWith(std::string text, char last) {
    text.back() = last;
    return text;
}

struct DocumentsCase {
    const char* name;
    std::optional<std::string> folder;  // nullopt: the lookup fails
    std::string expected;
    std::uint32_t codePage = 950;
    bool reportedWithBackslash = false;  // as Wine's shell reports it
};
void PrintTo(const DocumentsCase& c, std::ostream* out) { *out << c.name; }

class DocumentsRootTest : public ::testing::TestWithParam<DocumentsCase> {};

TEST_P(DocumentsRootTest, AddsOneBackslashCharacterWhereItFits) {
    const DocumentsCase& c = GetParam();
    ScopedFakeOs os;
    os->SetAnsiCodePage(c.codePage);
    os->SetPersonalFolder(c.folder, c.reportedWithBackslash);
    std::string root = "stale";
    GetDocumentsRoot(root);
    EXPECT_EQ(root, c.expected);
    EXPECT_LE(root.size(), kMaxPathBytes);
}

const std::string k258 = "C:\\" + std::string(255, 'd');
const std::string k259 = "C:\\" + std::string(256, 'd');
// 許 (B3 5C), 功 (A5 5C), 蓋 (BB 5C) in code page 950: each ends with the backslash byte.
const std::string kXu = "\xB3\x5C";
const std::string kDocumentsBig5 =
    "C:\\Users\\" + kXu + "\xA7\xD3\xA9\xFA\\" + kXu + "\xA5\x5C\xBB\x5C\xAA\xBA\xA4\xE5\xA5\xF3";
// The same characters in UTF-8, where no byte of them is 0x5C: 許 is E8 A8 B1.
const std::string kXuUtf8 = "\xE8\xA8\xB1";
const std::string kDocumentsUtf8 =
    "C:\\Users\\" + kXuUtf8 + "\xE5\x8A\x9F\xE8\x93\x8B\xE7\x9A\x84\xE6\x96\x87\xE4\xBB\xB6";  // 許功蓋的文件
std::string Utf8Xus(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += kXuUtf8;
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DocumentsRootTest,
    ::testing::Values(
        DocumentsCase{"WithoutBackslash", std::string("C:\\Users\\u\\Documents"), "C:\\Users\\u\\Documents\\"},
        DocumentsCase{"ReportedWithBackslash", std::string("C:\\Users\\u\\Documents"), "C:\\Users\\u\\Documents\\", 950,
                      true},
        DocumentsCase{"Empty", std::string(), ""}, DocumentsCase{"LookupFails", std::nullopt, ""},
        DocumentsCase{"Takes259thByte", k258, k258 + "\\"}, DocumentsCase{"NoRoomLeft", k259, k259},
        DocumentsCase{"FullWithBackslash", EndingWith(k259, '\\'), EndingWith(k259, '\\'), 950, true},
        DocumentsCase{"DriveRoot", std::string("D:\\"), "D:\\"},
        // A last character whose second byte is 0x5C is no backslash.
        DocumentsCase{"Big5EndingWithXu", std::string("D:\\\xB8\xEA\xAE\xC6") + kXu,
                      "D:\\\xB8\xEA\xAE\xC6" + kXu + "\\"},
        DocumentsCase{"Big5ReportedWithBackslash", kDocumentsBig5, kDocumentsBig5 + "\\", 950, true},
        DocumentsCase{"GbkEndingWithCheng", std::string("C:\\\x81\x5C"), "C:\\\x81\x5C\\", 936},
        DocumentsCase{"ShiftJisEndingWithHyo", std::string("C:\\\x95\x5C"), "C:\\\x95\x5C\\", 932},
        DocumentsCase{"ShiftJisEndingWithSo", std::string("C:\\\x83\x5C"), "C:\\\x83\x5C\\", 932},
        // In a single-byte code page the same bytes are two characters, the last a backslash.
        DocumentsCase{"Cp1252SameBytesEndWithBackslash", std::string("C:\\\xB3\x5C"), "C:\\\xB3\x5C", 1252},
        DocumentsCase{"Big5Takes259thByte", k258.substr(0, 256) + kXu, k258.substr(0, 256) + kXu + "\\"},
        DocumentsCase{"Big5NoRoomLeft", k259.substr(0, 257) + kXu, k259.substr(0, 257) + kXu},
        DocumentsCase{"Utf8", kDocumentsUtf8, kDocumentsUtf8 + "\\", 65001},
        DocumentsCase{"Utf8ReportedWithBackslash", kDocumentsUtf8, kDocumentsUtf8 + "\\", 65001, true},
        // 258 and 259 bytes made of three-byte characters.
        DocumentsCase{"Utf8Takes259thByte", "C:\\" + Utf8Xus(85), "C:\\" + Utf8Xus(85) + "\\", 65001},
        DocumentsCase{"Utf8NoRoomLeft", "C:\\a" + Utf8Xus(85), "C:\\a" + Utf8Xus(85), 65001}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DocumentsRoot, IsEmptyWhenTheFolderHasNoNameInTheCodePage) {
    ScopedFakeOs os;
    os->SetPersonalFolderWithoutAnsiName();
    std::string root = "stale";
    GetDocumentsRoot(root);
    EXPECT_EQ(root, "");
}

// Under UTF-8 the shell's UTF-16 name goes through the conversion Windows
// allows there: every character comes through, a name that takes more than
// 259 bytes does not.
TEST(DocumentsRoot, ConvertsTheShellsNameUnderUtf8) {
    struct Case {
        const char* name;
        std::u16string shellName;
        std::string expected;
    };
    const Case cases[] = {
        {"Chinese", u"C:\\Users\\\u8A31\u529F\u84CB\u7684\u6587\u4EF6", kDocumentsUtf8 + "\\"},
        {"Cyrillic, Devanagari and an emoji", u"D:\\\u0414\u0435\u0432\u0928\u092E\xD83D\xDE00",
         "D:\\\xD0\x94\xD0\xB5\xD0\xB2\xE0\xA4\xA8\xE0\xA4\xAE\xF0\x9F\x98\x80\\"},
        {"259 bytes", u"C:\\a" + std::u16string(85, u'\u8A31'), "C:\\a" + Utf8Xus(85)},
        {"262 bytes", u"C:\\" + std::u16string(86, u'\u8A31') + u"a", ""},
        {"an unpaired surrogate", u"C:\\Users\\\xDC00", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedFakeOs os;
        os->SetAnsiCodePage(65001);
        os->SetPersonalFolderName(c.shellName);
        std::string root = "stale";
        GetDocumentsRoot(root);
        EXPECT_EQ(root, c.expected);
    }
}

TEST(DocumentsRoot, IsEmptyWhenTheCodePageIsUnknown) {
    ScopedFakeOs os;
    os->InjectFault(Fault{Op::GetAnsiCodePage, 1, platform::win::kErrorInvalidParameter, false});
    std::string root = "stale";
    GetDocumentsRoot(root);
    EXPECT_EQ(root, "");
}

TEST(PathTables, TempAndSourcePathsFollowTheArchiveOfTheSameIndex) {
    const char sizes[kFaceArchiveCount] = {'L', 'M', 'S'};
    const std::string folder = "ZAVO\\Vantaris77 Tc\\";
    for (int i = 0; i < kFaceArchiveCount; ++i) {
        const std::string archive = FaceArchivePaths[i];
        const std::string stem = archive.substr(0, archive.size() - 4);
        EXPECT_EQ(archive, folder + "GRP\\EDIT_KAO_" + sizes[i] + ".V77");
        EXPECT_EQ(std::string(FaceArchiveTempPaths[i]), stem + kTempSuffix);
        EXPECT_EQ(folder + FaceArchiveSourcePaths[i], archive);
    }
    EXPECT_EQ(std::string(kRecordFolder), folder + "EDIT\\BUSHOU\\");
    EXPECT_EQ(std::string(kSetDataFolder), folder + "EDIT\\SETDATA\\");
}

TEST(PathTables, BuildTheWorkedExample) {
    ScopedFakeOs os;
    os->SetPersonalFolder(std::string("C:\\Users\\u\\Documents"));
    std::string root;
    GetDocumentsRoot(root);
    EXPECT_EQ(root + FaceArchivePaths[0], "C:\\Users\\u\\Documents\\ZAVO\\Vantaris77 Tc\\GRP\\EDIT_KAO_L.V77");
    EXPECT_EQ(std::string("D:\\Games\\V\\") + FaceArchiveSourcePaths[0], "D:\\Games\\V\\GRP\\EDIT_KAO_L.V77");
}

// `characters` times 功 (A5 5C).
std::string Big5Name(std::size_t characters) {
    std::string name;
    for (std::size_t i = 0; i < characters; ++i) name += "\xA5\x5C";
    return name;
}

// A path of `length` bytes: "C:\d\" and a file name.
std::string PathOfLength(std::size_t length) {
    const std::string folder = "C:\\d\\";
    return folder + std::string(length - folder.size(), 'f');
}

struct ChainCase {
    const char* name;
    std::vector<std::string> existing;
    std::string path;
    int result;
    std::vector<std::string> created;
    std::uint32_t codePage = 950;
};
void PrintTo(const ChainCase& c, std::ostream* out) { *out << c.name; }

class CreateDirectoryChainTest : public ::testing::TestWithParam<ChainCase> {};

TEST_P(CreateDirectoryChainTest, CreatesEachMissingFolderThatEndsWithABackslash) {
    const ChainCase& c = GetParam();
    ScopedFakeOs os;
    os->SetAnsiCodePage(c.codePage);
    for (const std::string& folder : c.existing) os->AddFolder(folder);
    const auto before = os->ListAll();

    EXPECT_EQ(CreateDirectoryChain(c.path.c_str()), c.result);

    for (const std::string& folder : c.created) EXPECT_TRUE(os->IsFolder(folder)) << folder;
    EXPECT_EQ(os->ListAll().size(), before.size() + c.created.size());
    EXPECT_EQ(os->Calls(Op::CreateDirectory), c.created.size());
}

INSTANTIATE_TEST_SUITE_P(
    Paths, CreateDirectoryChainTest,
    ::testing::Values(
        ChainCase{"FilePath", {}, "C:\\a\\b\\c.V77", 1, {"C:\\a", "C:\\a\\b"}},
        ChainCase{"FolderWithoutBackslash", {}, "C:\\a\\b", 1, {"C:\\a"}},
        ChainCase{"FolderWithBackslash", {}, "C:\\a\\b\\", 1, {"C:\\a", "C:\\a\\b"}},
        ChainCase{"AllPresent", {"C:\\a\\b"}, "C:\\a\\b\\c.V77", 1, {}},
        ChainCase{"SomePresent", {"C:\\a"}, "C:\\a\\b\\c\\", 1, {"C:\\a\\b", "C:\\a\\b\\c"}},
        ChainCase{"Empty", {}, "", 1, {}}, ChainCase{"Exactly260Bytes", {}, PathOfLength(260), 1, {"C:\\d"}},
        ChainCase{"Over260Bytes", {}, PathOfLength(261), 0, {}},
        // Names whose characters end with the byte 0x5C: one folder each, no
        // stray folder for a "prefix" cut inside a character.
        ChainCase{"Big5Documents", {kDocumentsBig5}, kDocumentsBig5 + "\\ZAVO\\a.V77", 1, {kDocumentsBig5 + "\\ZAVO"}},
        ChainCase{"Big5Folders",
                  {},
                  "C:\\" + kXu + "\xA5\x5C\\" + kXu + "\\f",
                  1,
                  {"C:\\" + kXu + "\xA5\x5C", "C:\\" + kXu + "\xA5\x5C\\" + kXu}},
        ChainCase{"Big5FolderEndingWithXu", {}, std::string("C:\\\xB8\xEA\xAE\xC6") + kXu, 1, {}},
        ChainCase{"GbkFolders", {}, "C:\\\x81\x5C\\\x81\x5C\\f", 1, {"C:\\\x81\x5C", "C:\\\x81\x5C\\\x81\x5C"}, 936},
        ChainCase{
            "ShiftJisFolders", {}, "C:\\\x95\x5C\\\x83\x5C\\", 1, {"C:\\\x95\x5C", "C:\\\x95\x5C\\\x83\x5C"}, 932},
        // The same bytes in a single-byte code page: B3 is a character and 5C separates.
        ChainCase{"Cp1252SameBytes", {}, "C:\\" + kXu + "\xA5\x5C\\f", 1, {"C:\\\xB3", "C:\\\xB3\\\xA5"}, 1252},
        ChainCase{"Big5EndingWithLeadByte", {}, "C:\\a\\\xB3", 0, {}},
        ChainCase{"Exactly260BytesOfBig5", {}, "C:\\" + Big5Name(127) + "\\" + kXu, 1, {"C:\\" + Big5Name(127)}},
        ChainCase{"Utf8Folders",
                  {},
                  "C:\\" + kXuUtf8 + "\xE5\x8A\x9F\\" + kXuUtf8 + "\\f",
                  1,
                  {"C:\\" + kXuUtf8 + "\xE5\x8A\x9F", "C:\\" + kXuUtf8 + "\xE5\x8A\x9F\\" + kXuUtf8},
                  65001},
        ChainCase{"Utf8EndingWithCutCharacter", {}, "C:\\a\\" + kXuUtf8.substr(0, 2), 0, {}, 65001},
        ChainCase{"Exactly260BytesOfUtf8", {}, "C:\\" + Utf8Xus(85) + "\\a", 1, {"C:\\" + Utf8Xus(85)}, 65001},
        ChainCase{"Over260BytesOfUtf8", {}, "C:\\" + Utf8Xus(85) + "\\ab", 0, {}, 65001},
        ChainCase{"Over260BytesOfBig5", {}, "C:\\" + Big5Name(127) + "\\" + kXu + "x", 0, {}},
        // Nothing at or above a root is created.
        ChainCase{"Share", {"\\\\srv\\docs"}, "\\\\srv\\docs\\a\\b.V77", 1, {"\\\\srv\\docs\\a"}},
        ChainCase{"Big5Share",
                  {"\\\\" + kXu + "\\" + kXu},
                  "\\\\" + kXu + "\\" + kXu + "\\" + kXu + "\\",
                  1,
                  {"\\\\" + kXu + "\\" + kXu + "\\" + kXu}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CreateDirectoryChain, PathOver260BytesTouchesNothing) {
    ScopedFakeOs os;
    EXPECT_EQ(CreateDirectoryChain(PathOfLength(261).c_str()), 0);
    EXPECT_EQ(os->TotalCalls(), 0u);
}

TEST(CreateDirectoryChain, FailsOnAMissingDrive) {
    ScopedFakeOs os;
    EXPECT_EQ(CreateDirectoryChain("Q:\\a\\b\\c.V77"), 0);
    EXPECT_EQ(os->Calls(Op::CreateDirectory), 1u);  // Q:\a; nothing deeper is tried
}

// The folders that are looked at: only those below the root.
TEST(CreateDirectoryChain, AsksForNothingAtOrAboveTheRoot) {
    struct Case {
        const char* path;
        std::uint64_t lookedAt;
    };
    const Case cases[] = {
        {"C:\\a\\b.V77", 1},
        {"\\\\srv\\docs\\a\\b.V77", 1},
        {"\\\\srv\\docs\\b.V77", 0},
        {"\\\\srv\\docs", 0},
        {"\\\\?\\C:\\a\\b.V77", 1},
        // The double knows no "\\?\\" paths, so the first folder fails and ends the chain.
        {"\\\\?\\UNC\\srv\\docs\\a\\b\\c.V77", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        ScopedFakeOs os;
        os->AddShare("\\\\srv\\docs");
        CreateDirectoryChain(c.path);
        // A folder that is not there is looked for twice: as a folder, and
        // as a file bearing its name.
        EXPECT_EQ(os->Calls(Op::GetFileAttributes), 2 * c.lookedAt);
        EXPECT_LE(os->Calls(Op::CreateDirectory), c.lookedAt);
    }
}

TEST(CreateDirectoryChain, FailsWhenTheCodePageIsUnknown) {
    ScopedFakeOs os;
    os->InjectFault(Fault{Op::GetAnsiCodePage, 1, platform::win::kErrorInvalidParameter, false});
    EXPECT_EQ(CreateDirectoryChain("C:\\a\\b.V77"), 0);
    EXPECT_FALSE(os->Exists("C:\\a"));
}

TEST(CreateDirectoryChain, StopsAtTheFirstFolderThatCannotBeCreated) {
    ScopedFakeOs os;
    os->InjectFault(Fault{Op::CreateDirectory, 2, platform::win::kErrorDiskFull, false});

    EXPECT_EQ(CreateDirectoryChain("C:\\a\\b\\c\\d.V77"), 0);

    EXPECT_TRUE(os->IsFolder("C:\\a"));  // created before the failure, and kept
    EXPECT_FALSE(os->Exists("C:\\a\\b"));
    EXPECT_EQ(os->Calls(Op::CreateDirectory), 2u);
}

class PrepareRecordFolderStepTest : public ::testing::Test {
protected:
    PrepareRecordFolderStepTest() : dialog_(*os_) { test_scene::SetUpDocuments(*os_); }

    ScopedFakeOs os_;
    test_scene::ScopedProgressDialog dialog_;
    const std::string recordFolder_ = test_scene::InDocuments(kRecordFolder);
};

TEST_F(PrepareRecordFolderStepTest, CreatesTheRecordFolderAndEveryFolderAboveIt) {
    EXPECT_EQ(PrepareRecordFolderStep(), 1);
    EXPECT_TRUE(os_->IsFolder(test_scene::kGameDocuments));
    EXPECT_TRUE(os_->IsFolder(recordFolder_));
    EXPECT_TRUE(dialog_.Posts().empty());
}

TEST_F(PrepareRecordFolderStepTest, LeavesAnExistingFolderAlone) {
    os_->AddFolder(recordFolder_);
    EXPECT_EQ(PrepareRecordFolderStep(), 1);
    EXPECT_EQ(os_->Calls(Op::CreateDirectory), 0u);
    EXPECT_TRUE(dialog_.Posts().empty());
}

// Without a usable documents folder nothing is created anywhere and the run stops.
TEST(PrepareRecordFolderStep, ReportsAnUnusableDocumentsFolder) {
    const std::vector<std::pair<const char*, std::function<void(platform::fake::FakePlatform&)>>> cases = {
        {"unknown", [](platform::fake::FakePlatform& f) { f.SetPersonalFolder(std::nullopt); }},
        {"no name in the code page", [](platform::fake::FakePlatform& f) { f.SetPersonalFolderWithoutAnsiName(); }},
        {"a Thai name in code page 950",
         [](platform::fake::FakePlatform& f) { f.SetPersonalFolderName(u"C:\\Users\\\u0E44\u0E17\u0E22"); }},
        {"code page unknown",
         [](platform::fake::FakePlatform& f) {
             f.InjectFault(Fault{Op::GetAnsiCodePage, 1, 87, true});
         }},
        {"no name in UTF-8",
         [](platform::fake::FakePlatform& f) {
             f.SetAnsiCodePage(65001);
             f.SetPersonalFolderWithoutAnsiName();
         }},
        {"over 259 bytes in UTF-8",
         [](platform::fake::FakePlatform& f) {
             f.SetAnsiCodePage(65001);
             f.SetPersonalFolderName(u"C:\\" + std::u16string(87, u'\u8A31'));
         }},
        {"a Chinese name in code page 1252",
         [](platform::fake::FakePlatform& f) {
             f.SetAnsiCodePage(1252);
             f.SetPersonalFolderName(u"C:\\Users\\\u8A31");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        ScopedFakeOs os;
        test_scene::ScopedProgressDialog dialog(*os);
        test_scene::SetUpDocuments(*os);
        os->AddFolder("C:\\work");  // where relative paths would land
        c.second(*os);
        const auto before = os->ListAll();

        EXPECT_EQ(PrepareRecordFolderStep(), 0);

        EXPECT_EQ(os->ListAll(), before);
        EXPECT_EQ(os->Calls(Op::CreateDirectory), 0u);
        ASSERT_EQ(dialog.Posts().size(), 1u);
        EXPECT_EQ(dialog.Posts()[0].message, WM_INSTALL_ERROR);
        EXPECT_EQ(dialog.Posts()[0].wParam, static_cast<std::uintptr_t>(kErrorDocumentsFolder));
    }
}

// A documents folder named with characters whose second byte is 0x5C, in a
// folder the player may not write: only folders inside it are made.
TEST(PrepareRecordFolderStep, CreatesFoldersOnlyInsideABig5DocumentsFolder) {
    ScopedFakeOs os;
    test_scene::ScopedProgressDialog dialog(*os);
    os->AddFolder(kDocumentsBig5);
    os->SetPersonalFolder(kDocumentsBig5);
    const auto before = os->ListAll();

    EXPECT_EQ(PrepareRecordFolderStep(), 1);

    const std::string inside = kDocumentsBig5 + "\\";
    for (const std::string& path : os->ListAll()) {
        if (std::find(before.begin(), before.end(), path) != before.end()) continue;
        EXPECT_EQ(path.rfind(inside, 0), 0u) << path;
    }
    EXPECT_TRUE(os->IsFolder(inside + kRecordFolder));
    EXPECT_EQ(os->ListAll().size(), before.size() + 4) << "ZAVO, Vantaris77 Tc, EDIT and BUSHOU, and nothing else";
    EXPECT_TRUE(dialog.Posts().empty());
}

// Writing the record tells it later, with its own code.
TEST_F(PrepareRecordFolderStepTest, SucceedsSilentlyWhenTheFolderCannotBeCreatedOnAFullDisk) {
    os_->InjectFault(Fault{Op::CreateDirectory, 1, platform::win::kErrorDiskFull, true});
    EXPECT_EQ(PrepareRecordFolderStep(), 1);
    EXPECT_FALSE(os_->Exists(recordFolder_));
    EXPECT_TRUE(dialog_.Posts().empty());
}

struct FolderChainCase {
    const char* name;
    std::function<void(platform::fake::FakePlatform&)> arrange;
    FolderChain result;
    bool made;  // the folder C:\a\b is there afterwards
};

void PrintTo(const FolderChainCase& c, std::ostream* out) { *out << c.name; }

class MakeFolderChainTest : public ::testing::TestWithParam<FolderChainCase> {};

TEST_P(MakeFolderChainTest, TellsWhyAFolderCouldNotBeMade) {
    ScopedFakeOs os;
    GetParam().arrange(*os);

    EXPECT_EQ(MakeFolderChain("C:\\a\\b\\c.V77"), GetParam().result);

    EXPECT_EQ(os->IsFolder("C:\\a\\b"), GetParam().made);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MakeFolderChainTest,
    ::testing::Values(
        FolderChainCase{"nothing in the way", [](platform::fake::FakePlatform&) {}, FolderChain::kMade, true},
        // A folder of that name being deleted refuses a new one for a moment.
        FolderChainCase{"refused for a moment",
                        [](platform::fake::FakePlatform& f) {
                            f.InjectFault(Fault{Op::CreateDirectory, 2, platform::win::kErrorAccessDenied, false});
                        },
                        FolderChain::kMade, true},
        FolderChainCase{"refused for good", [](platform::fake::FakePlatform& f) { f.RefuseWritesUnder("C:\\a"); },
                        FolderChain::kRefused, false},
        FolderChainCase{"a file named like the folder",
                        [](platform::fake::FakePlatform& f) { f.AddFile("C:\\a\\b", {'x'}); },
                        FolderChain::kFileInTheWay, false},
        // Made by someone else between the look and the making: it is there.
        FolderChainCase{"a folder made meanwhile",
                        [](platform::fake::FakePlatform& f) {
                            f.AddFolder("C:\\a\\b");
                            f.InjectFault(Fault{Op::GetFileAttributes, 2, platform::win::kErrorFileNotFound, false});
                            f.InjectFault(Fault{Op::GetFileAttributes, 3, platform::win::kErrorFileNotFound, false});
                        },
                        FolderChain::kMade, true},
        FolderChainCase{"a full disk",
                        [](platform::fake::FakePlatform& f) {
                            f.InjectFault(Fault{Op::CreateDirectory, 1, platform::win::kErrorDiskFull, true});
                        },
                        FolderChain::kFailed, false}));

TEST_F(PrepareRecordFolderStepTest, RefusedForGoodEndsTheRunWith106) {
    os_->RefuseWritesUnder(test_scene::kDocumentsFolder);
    EXPECT_EQ(PrepareRecordFolderStep(), 0);
    EXPECT_EQ(dialog_.Posts(), std::vector<test_scene::Post>{test_scene::Error(kErrorDocumentsRefused)});
}

}  // namespace
