#include "install/Paths.h"

#include "platform/fake/FakePlatform.h"
#include "tests/unit/TestScene.h"

#include <gtest/gtest.h>

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
    std::optional<std::string> reported;
    std::string expected;
};
void PrintTo(const DocumentsCase& c, std::ostream* out) { *out << c.name; }

class DocumentsRootTest : public ::testing::TestWithParam<DocumentsCase> {};

TEST_P(DocumentsRootTest, AddsOneBackslashWhereItFits) {
    ScopedFakeOs os;
    os->SetPersonalFolder(GetParam().reported);
    std::string root = "stale";
    GetDocumentsRoot(root);
    EXPECT_EQ(root, GetParam().expected);
    EXPECT_LE(root.size(), kMaxPathBytes);
}

const std::string k258 = "C:\\" + std::string(255, 'd');
const std::string k259 = "C:\\" + std::string(256, 'd');

INSTANTIATE_TEST_SUITE_P(
    Paths, DocumentsRootTest,
    ::testing::Values(
        DocumentsCase{"WithoutBackslash", std::string("C:\\Users\\u\\Documents"), "C:\\Users\\u\\Documents\\"},
        DocumentsCase{"WithBackslash", std::string("C:\\Users\\u\\Documents\\"), "C:\\Users\\u\\Documents\\"},
        DocumentsCase{"Empty", std::string(), ""},
        DocumentsCase{"LookupFails", std::nullopt, ""},
        DocumentsCase{"Takes259thByte", k258, k258 + "\\"},
        DocumentsCase{"NoRoomLeft", k259, k259},
        DocumentsCase{"FullWithBackslash", EndingWith(k259, '\\'), EndingWith(k259, '\\')}),
    [](const auto& info) { return std::string(info.param.name); });

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
};
void PrintTo(const ChainCase& c, std::ostream* out) { *out << c.name; }

class CreateDirectoryChainTest : public ::testing::TestWithParam<ChainCase> {};

TEST_P(CreateDirectoryChainTest, CreatesEachMissingFolderThatEndsWithABackslash) {
    const ChainCase& c = GetParam();
    ScopedFakeOs os;
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
        ChainCase{"Empty", {}, "", 1, {}},
        ChainCase{"Exactly260Bytes", {}, PathOfLength(260), 1, {"C:\\d"}},
        ChainCase{"Over260Bytes", {}, PathOfLength(261), 0, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CreateDirectoryChain, PathOver260BytesTouchesNothing) {
    ScopedFakeOs os;
    EXPECT_EQ(CreateDirectoryChain(PathOfLength(261).c_str()), 0);
    EXPECT_EQ(os->TotalCalls(), 0u);
}

TEST(CreateDirectoryChain, FailsOnAMissingDrive) {
    ScopedFakeOs os;
    EXPECT_EQ(CreateDirectoryChain("Q:\\a\\b.V77"), 0);
    EXPECT_EQ(os->Calls(Op::CreateDirectory), 1u);  // Q:\ itself; nothing deeper is tried
}

TEST(CreateDirectoryChain, StopsAtTheFirstFolderThatCannotBeCreated) {
    ScopedFakeOs os;
    os->InjectFault(Fault{Op::CreateDirectory, 2, platform::win::kErrorAccessDenied, false});

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

TEST_F(PrepareRecordFolderStepTest, SucceedsSilentlyWhenTheFolderCannotBeCreated) {
    os_->InjectFault(Fault{Op::CreateDirectory, 1, platform::win::kErrorAccessDenied, true});
    EXPECT_EQ(PrepareRecordFolderStep(), 1);
    EXPECT_FALSE(os_->Exists(recordFolder_));
    EXPECT_TRUE(dialog_.Posts().empty());
}

}  // namespace
