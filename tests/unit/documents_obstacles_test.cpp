// Whole runs on a player's Windows 11 whose documents folder is in the way:
// protected from unknown programs (Controlled folder access, a ransomware
// shield), synced with files kept online only, holding a file where a
// folder must be, or an installer started with "Run as administrator" from
// a standard account. Each ending names its own cause, tells it before
// anything is half written, and a run without the obstacle completes.
#include "app/ExitCodes.h"
#include "install/InstallMessages.h"
#include "install/Paths.h"
#include "platform/fake/FakePlatform.h"
#include "tests/unit/TestScene.h"
#include "tests/unit/expected_texts.h"
#include "tests/unit/whole_run_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace {

namespace win = platform::win;
using platform::fake::FakePlatform;
using platform::fake::Fault;
using platform::fake::Op;
using platform::fake::ScopedFakeOs;
using whole_run::Scenario;
using Provider = FakePlatform::CloudProvider;

struct Ran {
    whole_run::RunOutcome run;
    std::vector<std::string> boxes;
    int stepsBefore = 0;  // WM_INSTALL_STEP posts before the outcome
    whole_run::Disk before;
    whole_run::Disk after;
    std::vector<std::string> registryKeysAsked;
};

Ran RunIn(Scenario scenario, const std::function<void(FakePlatform&)>& arrange) {
    ScopedFakeOs os;
    whole_run::BuildScene(*os, scenario);
    if (arrange) arrange(*os);
    Ran ran;
    ran.before = whole_run::Snapshot(*os);
    ran.run = whole_run::RunProgram(*os);
    for (const auto& box : os->MessageBoxes()) ran.boxes.push_back(box.text);
    for (const auto& post : ran.run.posts) {
        if (post.message != WM_INSTALL_STEP) break;
        ++ran.stepsBefore;
    }
    ran.after = whole_run::Snapshot(*os);
    ran.registryKeysAsked = os->RegistryKeysAsked();
    return ran;
}

std::string InGame(const std::string& relative) { return test_scene::kGameDocuments + relative; }
std::string GrpFolder() { return InGame("GRP"); }
std::string SetDataFile() { return test_scene::InDocuments(std::string(kSetDataFolder) + kSetDataFileName); }

std::function<void(FakePlatform&)> Refusing(const std::string& folder) {
    return [=](FakePlatform& fake) { fake.RefuseWritesUnder(folder); };
}

std::function<void(FakePlatform&)> OnlineOnly(const std::string& path, Provider provider) {
    return [=](FakePlatform& fake) {
        fake.MakeOnlineOnly(path);
        fake.SetCloudProvider(provider);
    };
}

std::function<void(FakePlatform&)> FileNamed(const std::string& path) {
    return [=](FakePlatform& fake) {
        fake.AddFile(path, {'n', 'o', 't', ' ', 'a', ' ', 'f', 'o', 'l', 'd', 'e', 'r'});
    };
}

struct ObstacleCase {
    const char* name;
    Scenario scenario;
    std::function<void(FakePlatform&)> arrange;
    int code;
    int stepsBefore;
};

void PrintTo(const ObstacleCase& c, std::ostream* out) { *out << c.name; }

const ObstacleCase kObstacles[] = {
    // Refused: told as such however far the run came, never as a missing
    // game or a damaged archive.
    {"fresh: the documents folder refuses writes", Scenario::kBaseFresh, Refusing(test_scene::kDocumentsFolder),
     kErrorDocumentsRefused, 0},
    {"fresh: GRP refuses writes", Scenario::kBaseFresh,
     [](FakePlatform& fake) {
         fake.AddFolder(GrpFolder());
         fake.RefuseWritesUnder(GrpFolder());
     },
     kErrorDocumentsRefused, 1},
    {"rerun: GRP refuses writes", Scenario::kBaseRerunReadOnly, Refusing(GrpFolder()), kErrorDocumentsRefused, 2},
    {"rerun: the record folder refuses writes", Scenario::kBaseRerunReadOnly, Refusing(InGame("EDIT\\BUSHOU")),
     kErrorDocumentsRefused, 8},
    {"expansion: the set-data folder refuses writes", Scenario::kExpansionWithSetData,
     Refusing(InGame("EDIT\\SETDATA")), kErrorDocumentsRefused, 2},
    // Online only, and the sync client cannot fetch the data.
    {"rerun: the L archive online only, its sync client closed", Scenario::kBaseRerunReadOnly,
     OnlineOnly(test_scene::InDocuments(FaceArchivePaths[0]), Provider::kNotRunning), kErrorCloudFileUnavailable, 2},
    {"rerun: the L archive online only, its sync client offline", Scenario::kBaseRerunReadOnly,
     OnlineOnly(test_scene::InDocuments(FaceArchivePaths[0]), Provider::kOffline), kErrorCloudFileUnavailable, 2},
    {"expansion: the M archive online only, its sync client closed", Scenario::kExpansionWithSetData,
     OnlineOnly(test_scene::InDocuments(FaceArchivePaths[1]), Provider::kNotRunning), kErrorCloudFileUnavailable, 4},
    {"expansion: the set-data file online only, its sync client closed", Scenario::kExpansionWithSetData,
     OnlineOnly(SetDataFile(), Provider::kNotRunning), kErrorCloudFileUnavailable, 2},
    // A file where a folder must be: told before anything is made.
    {"fresh: a file named GRP", Scenario::kBaseFresh, FileNamed(GrpFolder()), kErrorFileInPlaceOfFolder, 0},
    {"fresh: a file named ZAVO", Scenario::kBaseFresh, FileNamed(test_scene::InDocuments("ZAVO")),
     kErrorFileInPlaceOfFolder, 0},
    {"fresh: a file named Vantaris77 Tc", Scenario::kBaseFresh, FileNamed(InGame("").substr(0, InGame("").size() - 1)),
     kErrorFileInPlaceOfFolder, 0},
    {"fresh: a file named EDIT", Scenario::kBaseFresh, FileNamed(InGame("EDIT")), kErrorFileInPlaceOfFolder, 0},
    {"fresh: a file named BUSHOU", Scenario::kBaseFresh, FileNamed(InGame("EDIT\\BUSHOU")), kErrorFileInPlaceOfFolder,
     0},
};

class ObstacleTest : public ::testing::TestWithParam<ObstacleCase> {};

TEST_P(ObstacleTest, EndsWithItsOwnCodeAndLeavesNothingHalfWritten) {
    const ObstacleCase& c = GetParam();
    const Ran undisturbed = RunIn(c.scenario, nullptr);
    ASSERT_EQ(undisturbed.run.exitStatus, exit_code::kInstalled);

    const Ran ran = RunIn(c.scenario, c.arrange);

    EXPECT_EQ(ran.run.exitStatus, c.code);
    ASSERT_EQ(ran.run.endings.size(), 1u);
    EXPECT_EQ(ran.run.endings.front().failureCode, c.code);
    EXPECT_EQ(ran.stepsBefore, c.stepsBefore);
    // The failure's two boxes come last, after the edition's box where it was shown.
    ASSERT_GE(ran.boxes.size(), 2u);
    const std::vector<std::string> lastTwo(ran.boxes.end() - 2, ran.boxes.end());
    EXPECT_EQ(lastTwo,
              (std::vector<std::string>{expected_texts::kSpecificText.at(c.code), expected_texts::FailedBox(c.code)}));
    const std::vector<std::string> torn =
        whole_run::TornOrStrayFiles(ran.before, undisturbed.after, whole_run::StagedArchives(c.scenario), ran.after);
    EXPECT_TRUE(torn.empty()) << torn.front();
    // Told at the start: not even a folder made.
    if (c.stepsBefore == 0) {
        EXPECT_EQ(ran.after, ran.before);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ObstacleTest, ::testing::ValuesIn(kObstacles));

struct FetchedCase {
    const char* name;
    Scenario scenario;
    std::string path;
};

void PrintTo(const FetchedCase& c, std::ostream* out) { *out << c.name; }

class OnlineOnlyWithItsSyncClientRunningTest : public ::testing::TestWithParam<FetchedCase> {};

// Windows fetches the data as the file is read, and the run is as any other.
TEST_P(OnlineOnlyWithItsSyncClientRunningTest, InstallsAsIfTheFileWereOnTheDevice) {
    const FetchedCase& c = GetParam();
    const Ran undisturbed = RunIn(c.scenario, nullptr);

    const Ran ran = RunIn(c.scenario, OnlineOnly(c.path, Provider::kRunning));

    EXPECT_EQ(ran.run.exitStatus, exit_code::kInstalled);
    EXPECT_EQ(ran.after, undisturbed.after);
}

INSTANTIATE_TEST_SUITE_P(Cases, OnlineOnlyWithItsSyncClientRunningTest,
                         ::testing::Values(FetchedCase{"rerun: the L archive", Scenario::kBaseRerunReadOnly,
                                                       test_scene::InDocuments(FaceArchivePaths[0])},
                                           FetchedCase{"expansion: the set-data file", Scenario::kExpansionWithSetData,
                                                       SetDataFile()}));

// "Run as administrator" from a standard account: the administrator's
// registry and documents folder are not the player's. Told before the
// registry is read or anything written.
TEST(ProcessUser, ElevatedAsAnotherUserEndsWith108BeforeTheRegistryIsRead) {
    const Ran ran = RunIn(Scenario::kBaseFresh,
                          [](FakePlatform& fake) { fake.SetProcessUser(FakePlatform::AccountSid(500), true); });

    EXPECT_EQ(ran.run.exitStatus, kErrorElevatedAsAnotherUser);
    EXPECT_EQ(ran.boxes, (std::vector<std::string>{expected_texts::kAnotherUser,
                                                   expected_texts::FailedBox(kErrorElevatedAsAnotherUser)}));
    EXPECT_EQ(ran.stepsBefore, 0);
    EXPECT_TRUE(ran.registryKeysAsked.empty());
    EXPECT_EQ(ran.after, ran.before);
}

struct AsTodayCase {
    const char* name;
    std::function<void(FakePlatform&)> arrange;
};

void PrintTo(const AsTodayCase& c, std::ostream* out) { *out << c.name; }

class RunsAsTodayTest : public ::testing::TestWithParam<AsTodayCase> {};

// An administrator's own "Run as administrator" is the player, and an
// unknown never stops a player.
TEST_P(RunsAsTodayTest, Installs) {
    const Ran ran = RunIn(Scenario::kBaseFresh, GetParam().arrange);
    EXPECT_EQ(ran.run.exitStatus, exit_code::kInstalled);
}

const AsTodayCase kAsToday[] = {
    {"elevated as the desktop's user",
     [](FakePlatform& fake) { fake.SetProcessUser(FakePlatform::AccountSid(FakePlatform::kPlayerAccount), true); }},
    {"another user, not elevated",
     [](FakePlatform& fake) { fake.SetProcessUser(FakePlatform::AccountSid(500), false); }},
    {"elevated as another user, nobody known at the desktop",
     [](FakePlatform& fake) {
         fake.SetProcessUser(FakePlatform::AccountSid(500), true);
         fake.SetDesktopUser(std::nullopt);
     }},
    {"elevated as another user, elevation unknown",
     [](FakePlatform& fake) {
         fake.SetProcessUser(FakePlatform::AccountSid(500), true);
         fake.InjectFault(Fault{Op::GetProcessElevation, 1});
     }},
    {"elevated as another user, the process's user unknown",
     [](FakePlatform& fake) {
         fake.SetProcessUser(FakePlatform::AccountSid(500), true);
         fake.InjectFault(Fault{Op::GetProcessUser, 1});
     }},
};

INSTANTIATE_TEST_SUITE_P(Cases, RunsAsTodayTest, ::testing::ValuesIn(kAsToday));

}  // namespace
