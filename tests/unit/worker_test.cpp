#include "install/InstallWorker.h"

#include "app/Texts.h"
#include "install/InstallMessages.h"
#include "install/Paths.h"
#include "install/ProgressDialogLink.h"
#include "platform/fake/FakePlatform.h"
#include "tests/unit/TestScene.h"
#include "tests/unit/face_archive_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using platform::fake::ScopedFakeOs;
using test_scene::Done;
using test_scene::Error;
using test_scene::Post;
using test_scene::Step;

std::vector<Post> Steps(int count) { return std::vector<Post>(static_cast<std::size_t>(count), Step()); }

std::vector<Post> Then(std::vector<Post> posts, const Post& last) {
    posts.push_back(last);
    return posts;
}

// Source archives whose slot 1027 holds each payload image.
test_scene::GameSetup PatchableGame() {
    const std::uint32_t imageSizes[kFaceArchiveCount] = {262200, 65592, 16440};
    test_scene::GameSetup setup;
    for (int i = 0; i < kFaceArchiveCount; ++i) {
        face_archive_fixture::ArchiveLayout layout;
        layout.targetBlockLength = imageSizes[i];
        layout.seed = static_cast<std::uint8_t>(i + 1);
        setup.sourceArchives[i] = face_archive_fixture::BuildArchive(layout).bytes;
    }
    return setup;
}

class InstallWorkerTest : public ::testing::Test {
protected:
    InstallWorkerTest() : dialog_(*os_) {
        test_scene::SetUpDocuments(*os_);
        test_scene::AddPayload(*os_);
    }

    std::vector<Post> Run() {
        EXPECT_EQ(InstallWorker(nullptr), 0u);
        return dialog_.Posts();
    }
    bool RecordInstalled(const char* fileName) {
        return os_->Exists(test_scene::InDocuments(std::string(kRecordFolder) + fileName));
    }

    ScopedFakeOs os_;
    test_scene::ScopedProgressDialog dialog_;
};

TEST_F(InstallWorkerTest, GameNotInstalledReportsOnlyThatAndTouchesNothing) {
    const auto before = os_->ListAll();
    EXPECT_EQ(Run(), std::vector<Post>{Error(kErrorGameNotInstalled)});
    EXPECT_EQ(os_->ListAll(), before);
    EXPECT_TRUE(os_->MessageBoxes().empty());
}

// A documents folder the code page cannot name: the run stops before it
// writes anything, anywhere.
TEST_F(InstallWorkerTest, DocumentsFolderWithoutAnAnsiNameStopsTheRunWith105) {
    test_scene::InstallGame(*os_, Edition::Base, PatchableGame());
    os_->AddFolder("C:\\work");  // where relative paths would land
    os_->SetPersonalFolderWithoutAnsiName();
    const auto before = os_->ListAll();
    EXPECT_EQ(Run(), std::vector<Post>{Error(kErrorDocumentsFolder)});
    EXPECT_EQ(os_->ListAll(), before);
    EXPECT_EQ(os_->Calls(platform::fake::Op::CreateDirectory), 0u);
    EXPECT_EQ(os_->Calls(platform::fake::Op::CopyFile), 0u);
}

TEST_F(InstallWorkerTest, FreshBaseInstallationCopiesPatchesAndCompletes) {
    test_scene::InstallGame(*os_, Edition::Base, PatchableGame());
    EXPECT_EQ(Run(), Then(Steps(12), Done()));
    EXPECT_TRUE(RecordInstalled(kBaseRecordFileName));
}

// A player on the system code page UTF-8 whose documents folder is named in
// Chinese installs like everyone else.
TEST_F(InstallWorkerTest, Utf8CodePageInstallsIntoADocumentsFolderNamedInChinese) {
    os_->SetAnsiCodePage(65001);
    test_scene::InstallGame(*os_, Edition::Base, PatchableGame());
    const std::string documents =
        "C:\\Users\\\xE8\xA8\xB1\xE5\x8A\x9F\xE8\x93\x8B\xE7\x9A\x84\xE6\x96\x87\xE4\xBB\xB6\\";
    os_->AddFolder(documents);
    os_->SetPersonalFolderName(u"C:\\Users\\\u8A31\u529F\u84CB\u7684\u6587\u4EF6");

    EXPECT_EQ(Run(), Then(Steps(12), Done()));

    EXPECT_TRUE(os_->Exists(documents + kRecordFolder + kBaseRecordFileName));
    for (const char* archive : FaceArchivePaths) EXPECT_TRUE(os_->Exists(documents + archive)) << archive;
}

TEST_F(InstallWorkerTest, ArchivesAlreadyStagedGiveNineSteps) {
    const test_scene::GameSetup game = PatchableGame();
    test_scene::InstallGame(*os_, Edition::Base, game);
    for (int i = 0; i < kFaceArchiveCount; ++i) {
        os_->AddFolder(test_scene::FaceArchiveFolderInDocuments());
        os_->AddFile(test_scene::InDocuments(FaceArchivePaths[i]), game.sourceArchives[i]);
    }
    EXPECT_EQ(Run(), Then(Steps(9), Done()));
}

TEST_F(InstallWorkerTest, ExpansionWithoutSetDataStillCompletes) {
    test_scene::InstallGame(*os_, Edition::Expansion, PatchableGame());
    EXPECT_EQ(Run(), Then(Steps(12), Done()));
    EXPECT_TRUE(RecordInstalled(kExpansionRecordFileName));
}

TEST_F(InstallWorkerTest, StopsAfterTheFirstFailingStep) {
    test_scene::GameSetup game = PatchableGame();
    game.patchLevel = 1;
    test_scene::InstallGame(*os_, Edition::Base, game);

    const std::vector<Post> posts = Run();

    ASSERT_FALSE(posts.empty());
    EXPECT_EQ(posts.back(), Error(kErrorBasePatchLevel));
    EXPECT_EQ(std::count(posts.begin(), posts.end(), Error(kErrorBasePatchLevel)), 1);
    EXPECT_EQ(std::count(posts.begin(), posts.end(), Done()), 0);
    // Neither the archives' patching nor the record's step ran.
    EXPECT_FALSE(os_->Exists(test_scene::InDocuments(FaceArchiveTempPaths[0])));
    EXPECT_FALSE(RecordInstalled(kBaseRecordFileName));
}

TEST_F(InstallWorkerTest, StagingFailureEndsTheRunBeforeTheJobIsPrepared) {
    test_scene::GameSetup game = PatchableGame();
    game.createSourceArchives = false;
    test_scene::InstallGame(*os_, Edition::Base, game);

    const std::vector<Post> posts = Run();

    ASSERT_FALSE(posts.empty());
    EXPECT_EQ(posts.back(), Error(kErrorFaceArchiveCopy));
    EXPECT_EQ(std::count(posts.begin(), posts.end(), Done()), 0);
    EXPECT_TRUE(os_->MessageBoxes().empty());  // the job step tells the user the edition; it never ran
}

// ---- How the worker reaches the dialog ----------------------------------------

TEST(ProgressDialogLink, PostsGoNowhereWithoutADialog) {
    ScopedFakeOs os;
    ASSERT_EQ(g_pProgressDlg.load(), nullptr);
    EXPECT_EQ(ProgressDialogWindow(), 0u);
    PostToProgressDialog(WM_INSTALL_STEP, 0);
    EXPECT_TRUE(os->Posted().empty());
}

TEST(ProgressDialogLink, PostsToTheLiveDialogsWindowWithLParamZero) {
    ScopedFakeOs os;
    test_scene::ScopedProgressDialog dialog(*os);
    ASSERT_NE(dialog.Window(), 0u);
    EXPECT_EQ(ProgressDialogWindow(), dialog.Window());

    PostToProgressDialog(WM_INSTALL_ERROR, 202);

    const auto posted = os->Posted();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].window, dialog.Window());
    EXPECT_EQ(posted[0].message, WM_INSTALL_ERROR);
    EXPECT_EQ(posted[0].wParam, 202u);
    EXPECT_EQ(posted[0].lParam, 0);
}

TEST(ProgressDialogLink, MessageBoxIsOwnedByTheDialogWhenThereIsOne) {
    ScopedFakeOs os;
    const std::uint32_t style = platform::win::kMbOk | platform::win::kMbTopMost | platform::win::kMbTaskModal;
    ShowInstallerMessageBox("first");
    platform::Window owner = 0;
    {
        test_scene::ScopedProgressDialog dialog(*os);
        owner = dialog.Window();
        ShowInstallerMessageBox("second");
    }
    const auto boxes = os->MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].owner, 0u);
    EXPECT_EQ(boxes[1].owner, owner);
    for (const auto& box : boxes) {
        EXPECT_EQ(box.caption, texts::kCaption.cp950);
        EXPECT_EQ(box.style, style);
    }
    EXPECT_EQ(boxes[1].text, "second");
}

}  // namespace
