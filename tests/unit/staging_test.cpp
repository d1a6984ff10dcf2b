#include "install/FaceArchiveStaging.h"
#include "install/Paths.h"
#include "platform/fake/FakePlatform.h"
#include "tests/unit/TestScene.h"
#include "tests/unit/install_step_fixture.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

namespace win = platform::win;
using install_step_fixture::Codes;
using install_step_fixture::Errors;
using install_step_fixture::StepCount;
using platform::fake::Op;

std::string Target(int index) { return test_scene::InDocuments(FaceArchivePaths[index]); }
std::string Source(int index) { return test_scene::DefaultInstallDir(Edition::Base) + FaceArchiveSourcePaths[index]; }
const std::vector<std::uint8_t> kUsersOwnArchive = {'o', 'w', 'n'};

class StagingTest : public ::testing::Test {
protected:
    StagingTest() {
        test_scene::SetUpDocuments(*os);
        test_scene::InstallGame(*os, Edition::Base);
    }

    void PutUsersArchive(int index) {
        os->AddFolder(test_scene::FaceArchiveFolderInDocuments());
        os->AddFile(Target(index), kUsersOwnArchive, win::kFileAttributeReadOnly);
    }

    platform::fake::ScopedFakeOs os;
    test_scene::ScopedProgressDialog dialog{*os};
};

struct StagingCase {
    const char* name;
    bool present[kFaceArchiveCount];
    int expectedSteps;
};

void PrintTo(const StagingCase& c, std::ostream* out) { *out << c.name; }

class StagingCountTest : public StagingTest, public ::testing::WithParamInterface<StagingCase> {};

TEST_P(StagingCountTest, CopiesOnlyTheMissingArchivesAndLeavesTheOthersAlone) {
    const StagingCase& c = GetParam();
    for (int i = 0; i < kFaceArchiveCount; ++i) {
        if (c.present[i]) PutUsersArchive(i);
    }

    EXPECT_EQ(StageFaceArchivesStep(), 1);

    EXPECT_EQ(StepCount(dialog), c.expectedSteps);
    EXPECT_EQ(Errors(dialog), Codes{});
    for (int i = 0; i < kFaceArchiveCount; ++i) {
        SCOPED_TRACE(i);
        if (c.present[i]) {
            EXPECT_EQ(os->FileBytes(Target(i)), kUsersOwnArchive);
            EXPECT_EQ(os->Attributes(Target(i)), win::kFileAttributeReadOnly);
        } else {
            EXPECT_EQ(os->FileBytes(Target(i)), test_scene::PlaceholderFaceArchive(i));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, StagingCountTest,
                         ::testing::Values(StagingCase{"all present", {true, true, true}, 1},
                                           StagingCase{"none present", {false, false, false}, 4},
                                           StagingCase{"only M missing", {true, false, true}, 2}));

TEST_F(StagingTest, MissingSourceStopsWith102AndKeepsWhatWasCopied) {
    os->DeleteFile(Source(2).c_str());

    EXPECT_EQ(StageFaceArchivesStep(), 0);

    EXPECT_EQ(StepCount(dialog), 3);
    EXPECT_EQ(Errors(dialog), Codes{102});
    EXPECT_TRUE(os->Exists(Target(0)));
    EXPECT_TRUE(os->Exists(Target(1)));
    EXPECT_FALSE(os->Exists(Target(2)));
}

TEST_F(StagingTest, FolderBearingAnArchivesNameCountsAsPresent) {
    os->AddFolder(Target(1));

    EXPECT_EQ(StageFaceArchivesStep(), 1);

    EXPECT_EQ(StepCount(dialog), 3);
    EXPECT_TRUE(os->IsFolder(Target(1)));
}

TEST_F(StagingTest, SourcesComeFromTheBaseEditionWhenBothAreInstalled) {
    test_scene::GameSetup expansion;
    for (auto& archive : expansion.sourceArchives) archive = {'q', 'x'};
    test_scene::InstallGame(*os, Edition::Expansion, expansion);

    EXPECT_EQ(StageFaceArchivesStep(), 1);

    for (int i = 0; i < kFaceArchiveCount; ++i) {
        EXPECT_EQ(os->FileBytes(Target(i)), test_scene::PlaceholderFaceArchive(i)) << i;
    }
}

TEST_F(StagingTest, UnknownDocumentsFolderFailsWith102AndWritesNothing) {
    os->SetPersonalFolder(std::nullopt);
    const std::vector<std::string> before = os->ListAll();

    EXPECT_EQ(StageFaceArchivesStep(), 0);

    EXPECT_EQ(StepCount(dialog), 1);
    EXPECT_EQ(Errors(dialog), Codes{102});
    EXPECT_EQ(os->ListAll(), before);
    EXPECT_EQ(os->Calls(Op::CopyFile), 0u);
    EXPECT_EQ(os->Calls(Op::CreateDirectory), 0u);
}

TEST_F(StagingTest, VanishedInstallationFailsWith102WithoutCopyingFromTheWorkingDirectory) {
    os->DeleteRegistryKey("software\\ZAVO");

    EXPECT_EQ(StageFaceArchivesStep(), 0);

    EXPECT_EQ(Errors(dialog), Codes{102});
    EXPECT_EQ(os->Calls(Op::CopyFile), 0u);
}

}  // namespace
