// Whole installations while other programs hold files: a scanner or indexer
// that opens every file the installer has just copied or written, and
// readers of the game's files and the set-data file. Brief holds are waited
// for; lasting ones end the run with the code of the step that met them.
#include "install/InstallMessages.h"
#include "install/Paths.h"
#include "platform/fake/FakePlatform.h"
#include "tests/unit/TestScene.h"
#include "tests/unit/whole_run_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

namespace {

namespace win = platform::win;
using platform::fake::FakePlatform;
using platform::fake::ScopedFakeOs;
using whole_run::Scenario;

constexpr std::uint32_t kShareAll = win::kFileShareRead | win::kFileShareWrite | win::kFileShareDelete;
constexpr std::uintptr_t kDone = 0;

// The code the run ended with (kDone for success) and what it left on disk.
struct Ending {
    std::uintptr_t code = 1;
    whole_run::Disk disk;
};

Ending RunWhile(Scenario scenario, const std::function<void(FakePlatform&)>& meanwhile) {
    ScopedFakeOs os;
    whole_run::BuildScene(*os, scenario);
    if (meanwhile) meanwhile(*os);
    const whole_run::RunOutcome run = whole_run::RunProgram(*os);
    Ending ending;
    if (run.endings.size() == 1) {
        ending.code =
            run.endings.front().installed ? kDone : static_cast<std::uintptr_t>(run.endings.front().failureCode);
    }
    ending.disk = whole_run::Snapshot(*os);
    return ending;
}

struct HoldCase {
    const char* name;
    Scenario scenario;
    std::function<void(FakePlatform&)> meanwhile;
    std::uintptr_t code;  // kDone: the run must leave exactly what an undisturbed run leaves
};

void PrintTo(const HoldCase& c, std::ostream* out) { *out << c.name; }

std::function<void(FakePlatform&)> Scanner(std::uint32_t share, int attempts) {
    return [=](FakePlatform& fake) { fake.WatchNewFiles(win::kGenericRead, share, attempts); };
}

std::function<void(FakePlatform&)> ReadingGameFiles(Edition edition) {
    return [=](FakePlatform& fake) {
        const std::string dir = test_scene::DefaultInstallDir(edition);
        ASSERT_NE(fake.HoldOpen(dir + GameExeName(edition), win::kGenericRead, kShareAll), platform::kInvalidFile);
        for (int i = 0; i < kFaceArchiveCount; ++i) {
            ASSERT_NE(fake.HoldOpen(dir + FaceArchiveSourcePaths[i], win::kGenericRead, kShareAll),
                      platform::kInvalidFile);
        }
    };
}

// A program that opens a file sharing nothing (a backup tool, an editor)
// for the installer's first `attempts` calls on it.
std::function<void(FakePlatform&)> OpenedExclusively(const std::string& path, int attempts) {
    return [=](FakePlatform& fake) {
        ASSERT_NE(fake.HoldOpenForAttempts(path, win::kGenericRead, 0, attempts), platform::kInvalidFile);
    };
}

std::string GamesArchive(int index) {
    return test_scene::DefaultInstallDir(Edition::Base) + FaceArchiveSourcePaths[index];
}
std::string PlayersArchive(int index) { return test_scene::InDocuments(FaceArchivePaths[index]); }

std::function<void(FakePlatform&)> ReadingSetData(int attempts) {
    return [=](FakePlatform& fake) {
        const std::string path = test_scene::InDocuments(std::string(kSetDataFolder) + kSetDataFileName);
        ASSERT_NE(fake.HoldOpenForAttempts(path, win::kGenericRead, kShareAll, attempts), platform::kInvalidFile);
    };
}

// An indexer or sync client that maps a leftover of the record's temporary
// file into memory for the installer's first `attempts` calls on it (below
// 0: for good): the create over it meets ERROR_USER_MAPPED_FILE.
std::function<void(FakePlatform&)> LeftoverRecordMapped(int attempts) {
    return [=](FakePlatform& fake) {
        const std::string temp =
            test_scene::InDocuments(std::string(kRecordFolder) + kBaseRecordFileName + kTempSuffix);
        fake.AddFile(temp, std::vector<std::uint8_t>(64, 0xEE));
        fake.MapIntoMemory(temp, attempts);
    };
}

const HoldCase kCases[] = {
    {"fresh: a scanner sharing everything, four attempts", Scenario::kBaseFresh, Scanner(kShareAll, 4), kDone},
    {"fresh: a scanner sharing reading only, four attempts", Scenario::kBaseFresh, Scanner(win::kFileShareRead, 4),
     kDone},
    {"fresh: the staging flush meets a scanner for five attempts", Scenario::kBaseFresh, Scanner(kShareAll, 5),
     kErrorFaceArchiveCopy},
    {"rerun: a scanner sharing everything, four attempts", Scenario::kBaseRerunReadOnly, Scanner(kShareAll, 4), kDone},
    {"rerun: the patch meets a scanner for five attempts", Scenario::kBaseRerunReadOnly, Scanner(kShareAll, 5),
     kErrorFaceArchivePatch},
    {"expansion: a scanner sharing reading only, four attempts", Scenario::kExpansionWithSetData,
     Scanner(win::kFileShareRead, 4), kDone},
    {"fresh: the game's executable and archives read all along", Scenario::kBaseFresh, ReadingGameFiles(Edition::Base),
     kDone},
    {"expansion: the game's executable and archives read all along", Scenario::kExpansionWithSetData,
     ReadingGameFiles(Edition::Expansion), kDone},
    {"fresh: the game's M archive opened exclusively for four copies", Scenario::kBaseFresh,
     OpenedExclusively(GamesArchive(1), 4), kDone},
    {"fresh: the game's M archive opened exclusively for five copies", Scenario::kBaseFresh,
     OpenedExclusively(GamesArchive(1), 5), kErrorFaceArchiveCopy},
    {"rerun: the player's S archive opened exclusively for four of the patch's copies", Scenario::kBaseRerunReadOnly,
     OpenedExclusively(PlayersArchive(2), 4), kDone},
    {"expansion: the set-data file read for four attempts", Scenario::kExpansionWithSetData, ReadingSetData(4), kDone},
    {"expansion: the set-data file read for five attempts", Scenario::kExpansionWithSetData, ReadingSetData(5),
     kErrorSetDataFlag},
    {"rerun: the record's leftover temporary mapped for four attempts", Scenario::kBaseRerunReadOnly,
     LeftoverRecordMapped(4), kDone},
    {"rerun: the record's leftover temporary mapped for good", Scenario::kBaseRerunReadOnly, LeftoverRecordMapped(-1),
     kErrorRecordCreate},
};

class HeldFilesTest : public ::testing::TestWithParam<HoldCase> {};

TEST_P(HeldFilesTest, BriefHoldsAreWaitedForAndLastingOnesEndTheRunWithTheirStepsCode) {
    const HoldCase& c = GetParam();
    const Ending undisturbed = RunWhile(c.scenario, nullptr);
    ASSERT_EQ(undisturbed.code, kDone);

    const Ending ending = RunWhile(c.scenario, c.meanwhile);

    EXPECT_EQ(ending.code, c.code);
    if (c.code == kDone) {
        EXPECT_EQ(ending.disk, undisturbed.disk);
        return;
    }
    ScopedFakeOs os;
    whole_run::BuildScene(*os, c.scenario);
    const std::vector<std::string> torn = whole_run::TornOrStrayFiles(
        whole_run::Snapshot(*os), undisturbed.disk, whole_run::StagedArchives(c.scenario), ending.disk);
    EXPECT_TRUE(torn.empty()) << torn.front();
}

INSTANTIATE_TEST_SUITE_P(Cases, HeldFilesTest, ::testing::ValuesIn(kCases));

TEST(HeldFiles, AHeldSetDataFileEndsTheRunBeforeAnythingIsWritten) {
    const Scenario scenario = Scenario::kExpansionWithSetData;
    ScopedFakeOs os;
    whole_run::BuildScene(*os, scenario);
    const whole_run::Disk before = whole_run::Snapshot(*os);

    const Ending ending = RunWhile(scenario, ReadingSetData(1000));

    EXPECT_EQ(ending.code, kErrorSetDataFlag);
    EXPECT_EQ(ending.disk, before);
}

}  // namespace
