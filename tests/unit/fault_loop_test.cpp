// Every platform call of a whole run of the program made to fail in turn:
// the run must still end by itself, with exactly one ending told to the
// player and the same in the exit status, any failure code being that of the
// step that was running, and the player's game data must be as before or as
// after a successful run.
#include "app/ExitCodes.h"
#include "install/InstallMessages.h"
#include "platform/fake/FakePlatform.h"
#include "tests/unit/whole_run_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using platform::fake::FakePlatform;
using platform::fake::Fault;
using platform::fake::Op;
using platform::fake::PostedMessage;
using platform::fake::ScopedFakeOs;
using whole_run::Scenario;

struct Trial {
    std::string name;
    std::function<void(FakePlatform&)> arm;
    Op op = Op::Count_;  // the call made to fail; Count_ for short transfers and full disks
};

bool IsOutcome(const PostedMessage& post) {
    return post.message == WM_INSTALL_DONE || post.message == WM_INSTALL_ERROR;
}

enum class Editions { kEither, kBase, kExpansion };

// Every failure code a step posts, in one table: after how many STEP
// messages it may come (staging copies at most three archives; the
// expansion's set-data flag adds one step to `mostSteps` where
// `plusSetDataStep`), and in which editions. Each code must also be brought
// about by some failing call in every scenario of its editions, as the step
// that posts it runs there, unless `toldInTheLoop` is false (a code that
// only an error the loop does not inject leads to). A new code is a new row.
struct FailureRule {
    int code;
    Editions editions;
    int fewestSteps;
    int mostSteps;
    bool plusSetDataStep = false;
    bool toldInTheLoop = true;
};
const FailureRule kFailureRules[] = {
    {kErrorGameNotInstalled, Editions::kEither, 0, 4},    // finding the game, or the edition again
    {kErrorDocumentsFolder, Editions::kEither, 0, 0},     // the record folder's step before staging,
    {kErrorDocumentsFolder, Editions::kExpansion, 2, 5},  // or the set-data step
    {kErrorFaceArchiveCopy, Editions::kEither, 1, 3},
    {kErrorBasePatchLevel, Editions::kBase, 1, 4},
    {kErrorExpansionPatchLevel, Editions::kExpansion, 1, 4},
    {kErrorFaceArchivePatch + 0, Editions::kEither, 2, 5, true},
    {kErrorFaceArchivePatch + 1, Editions::kEither, 3, 6, true},
    {kErrorFaceArchivePatch + 2, Editions::kEither, 4, 7, true},
    {kErrorFaceArchiveCommit + 0, Editions::kEither, 5, 8, true},
    {kErrorFaceArchiveCommit + 1, Editions::kEither, 6, 9, true},
    {kErrorFaceArchiveCommit + 2, Editions::kEither, 7, 10, true},
    {kErrorRecordCreate, Editions::kEither, 8, 11, true},
    {kErrorRecordCommit, Editions::kEither, 8, 11, true},
    {kErrorSetDataFlag, Editions::kExpansion, 2, 5},  // after the job's own step
    // a write refused for good, from the record folder's step to the record's
    {kErrorDocumentsRefused, Editions::kEither, 0, 11, true},
    // only the cloud-file errors, which the loop does not inject, lead here
    {kErrorCloudFileUnavailable, Editions::kEither, 2, 7, true, false},
    {kErrorElevatedAsAnotherUser, Editions::kEither, 0, 0, false, false},  // the worker's first act
    {kErrorFileInPlaceOfFolder, Editions::kEither, 0, 3, false, false},    // a file, not a failing call
};

bool IsExpansion(Scenario scenario) { return scenario == Scenario::kExpansionWithSetData; }

bool AppliesTo(const FailureRule& rule, Scenario scenario) {
    return rule.editions == Editions::kEither || (rule.editions == Editions::kExpansion) == IsExpansion(scenario);
}

// Whether `code` fits `steps` STEP messages posted before the error.
bool CodeFitsProgress(std::uintptr_t code, int steps, Scenario scenario) {
    for (const FailureRule& rule : kFailureRules) {
        if (static_cast<std::uintptr_t>(rule.code) != code || !AppliesTo(rule, scenario)) continue;
        const int most = rule.mostSteps + (rule.plusSetDataStep && IsExpansion(scenario) ? 1 : 0);
        if (steps >= rule.fewestSteps && steps <= most) return true;
    }
    return false;
}

// What is wrong with what the worker posted; empty when nothing is.
std::string PostsProblem(const whole_run::RunOutcome& run, Scenario scenario) {
    int outcomes = 0;
    int stepsBefore = 0;
    for (const PostedMessage& post : run.posts) {
        if (IsOutcome(post)) {
            ++outcomes;
        } else if (outcomes > 0) {
            return "a post after the outcome";
        } else if (post.message == WM_INSTALL_STEP) {
            ++stepsBefore;
        }
    }
    if (outcomes > 1) return "more than one outcome posted";
    if (outcomes == 1 && run.posts.back().message == WM_INSTALL_ERROR &&
        !CodeFitsProgress(run.posts.back().wParam, stepsBefore, scenario)) {
        return "code " + std::to_string(run.posts.back().wParam) + " after " + std::to_string(stepsBefore) + " steps";
    }
    return "";
}

// The program's own failures, each of which only one kind of failing call
// can bring about (and some failing call of that kind does, in every scenario).
const int kProgramFailures[] = {exit_code::kFailureWorkerNotStarted, exit_code::kFailureNoOutcome,
                                exit_code::kFailureDialogNotMade};
Op CauseOf(int failureCode) {
    switch (failureCode) {
    case exit_code::kFailureWorkerNotStarted:
        return Op::StartThread;
    case exit_code::kFailureNoOutcome:
        return Op::PostMessage;  // the outcome's post was lost
    case exit_code::kFailureDialogNotMade:
        return Op::RunModalDialog;
    default:
        return Op::Count_;
    }
}

// What is wrong with how the run ended for the player; empty when nothing is.
// Every run must end by itself with exactly one ending told in a box, and
// the exit status must say the same. The exceptions are exact:
// - a failing EndDialog (the one call that ends a modal dialog) leaves the
//   dialog up after the ending was told; only the process's end ends it;
// - a failing MessageBox may be the box that told the ending;
// - a failing CreateMutex with access denied is what a copy of higher rights
//   holding the name gives: the installer declines silently, as it must.
std::string EndingProblem(const whole_run::RunOutcome& run, const Trial& trial) {
    if (run.hung) return "the program hung, waiting for " + run.waitingFor;
    if (run.endedFromOutside && trial.op != Op::EndDialog) return "the dialog did not end after its outcome";
    if (run.exitStatus == exit_code::kAnotherCopyRunning && trial.op == Op::CreateMutex && run.endings.empty()) {
        return "";
    }
    if (run.endings.size() > 1) return "more than one ending told";
    if (run.endings.empty()) {
        return trial.op == Op::MessageBox ? "" : "no ending told (exit status " + std::to_string(run.exitStatus) + ")";
    }
    const whole_run::Ending& ending = run.endings.front();
    const int status = ending.installed ? exit_code::kInstalled : exit_code::ForFailure(ending.failureCode);
    if (run.exitStatus != status) {
        return "told " + std::to_string(status) + " but exited with " + std::to_string(run.exitStatus);
    }
    const Op cause = ending.installed ? Op::Count_ : CauseOf(ending.failureCode);
    if (cause != Op::Count_ && cause != trial.op) {
        return "failure " + std::to_string(ending.failureCode) + " without a failing " + platform::fake::OpName(cause);
    }
    return "";
}

struct Tally {
    int runs = 0;
    int failedRuns = 0;
    int violations = 0;
    int lostOutcomes = 0;             // told as the program's own failure 502
    int endedFromOutside = 0;         // EndDialog failed after the ending was told
    std::map<int, int> failuresTold;  // runs by the failure code told to the player
};

// The failure codes that no run told although their step runs in `scenario`.
std::vector<int> CodesNeverTold(const Tally& tally, Scenario scenario) {
    std::set<int> expected(std::begin(kProgramFailures), std::end(kProgramFailures));
    for (const FailureRule& rule : kFailureRules) {
        if (rule.toldInTheLoop && AppliesTo(rule, scenario)) expected.insert(rule.code);
    }
    std::vector<int> missing;
    for (const int code : expected) {
        if (tally.failuresTold.count(code) == 0) missing.push_back(code);
    }
    return missing;
}

class FaultLoop {
public:
    FaultLoop(Scenario scenario, test_scene::FaceScale scale) : scenario_(scenario), scale_(scale) {}

    // The clean run: its call counts drive the trials.
    void Measure() {
        ScopedFakeOs os;
        whole_run::BuildScene(*os, scenario_, scale_);
        before_ = whole_run::Snapshot(*os);
        os->ResetCounts();
        const whole_run::RunOutcome run = whole_run::RunProgram(*os);
        ASSERT_EQ(run.exitStatus, exit_code::kInstalled) << whole_run::ScenarioName(scenario_);
        ASSERT_FALSE(run.posts.empty());
        ASSERT_EQ(run.posts.back().message, WM_INSTALL_DONE) << whole_run::ScenarioName(scenario_);
        after_ = whole_run::Snapshot(*os);
        staged_ = whole_run::StagedArchives(scenario_, scale_);
        for (int op = 0; op < static_cast<int>(Op::Count_); ++op) calls_[op] = os->Calls(static_cast<Op>(op));
    }

    std::uint64_t CleanRunCalls() const {
        std::uint64_t total = 0;
        for (const std::uint64_t calls : calls_) total += calls;
        return total;
    }

    std::vector<Trial> Trials() const {
        std::vector<Trial> trials;
        for (int index = 0; index < static_cast<int>(Op::Count_); ++index) {
            const Op op = static_cast<Op>(index);
            for (std::uint64_t nth = 1; nth <= calls_[index]; ++nth) {
                for (const bool persistent : {false, true}) {
                    std::ostringstream name;
                    name << platform::fake::OpName(op) << " #" << nth << (persistent ? " and later" : "");
                    trials.push_back(
                        {name.str(),
                         [=](FakePlatform& fake) {
                             fake.InjectFault(Fault{op, nth, platform::win::kErrorAccessDenied, persistent});
                         },
                         op});
                }
            }
        }
        AddShortTransfers(trials, Op::ReadFile);
        AddShortTransfers(trials, Op::WriteFile);
        AddDiskCapacities(trials);
        return trials;
    }

    std::vector<Trial> DiskCapacityTrials() const {
        std::vector<Trial> trials;
        AddDiskCapacities(trials);
        return trials;
    }

    void Run(const Trial& trial, Tally& tally) const {
        ScopedFakeOs os;
        whole_run::BuildScene(*os, scenario_, scale_);
        trial.arm(*os);
        const whole_run::RunOutcome run = whole_run::RunProgram(*os);
        ++tally.runs;
        if (run.exitStatus != exit_code::kInstalled) ++tally.failedRuns;
        if (run.endedFromOutside) ++tally.endedFromOutside;
        if (run.endings.size() == 1 && !run.endings.front().installed) {
            ++tally.failuresTold[run.endings.front().failureCode];
            if (run.endings.front().failureCode == exit_code::kFailureNoOutcome) ++tally.lostOutcomes;
        }

        std::string problem = EndingProblem(run, trial);
        const std::string posts = PostsProblem(run, scenario_);
        if (!posts.empty()) problem += (problem.empty() ? "" : "; ") + posts;
        const std::vector<std::string> torn =
            whole_run::TornOrStrayFiles(before_, after_, staged_, whole_run::Snapshot(*os));
        if (!torn.empty()) problem += (problem.empty() ? "" : "; ") + std::string("changed: ") + torn.front();
        if (problem.empty()) return;
        if (++tally.violations <= 10) {
            ADD_FAILURE() << whole_run::ScenarioName(scenario_) << ", " << trial.name << ": " << problem;
        }
    }

private:
    void AddShortTransfers(std::vector<Trial>& trials, Op op) const {
        const bool read = op == Op::ReadFile;
        for (std::uint64_t nth = 1; nth <= calls_[static_cast<int>(op)]; ++nth) {
            // One byte: a transfer cut short; none: the end of the file, or a full disk.
            for (const std::uint32_t bytes : {1u, 0u}) {
                std::ostringstream name;
                name << platform::fake::OpName(op) << " #" << nth << " moves " << bytes << " bytes";
                trials.push_back({name.str(), [=](FakePlatform& fake) {
                                      if (read) {
                                          fake.ShortRead(nth, bytes);
                                      } else {
                                          fake.ShortWrite(nth, bytes);
                                      }
                                  }});
            }
        }
    }

    // A disk that fills up somewhere between the start and the run's peak
    // (the staged archives and their patched copies, side by side).
    void AddDiskCapacities(std::vector<Trial>& trials) const {
        std::uint64_t used = 0;
        for (const auto& entry : before_) used += entry.second ? entry.second->size() : 0;
        const std::uint64_t kPeakExtra = std::uint64_t{2} * whole_run::SourceArchiveBytes(scale_) + 1000;
        constexpr int kSteps = 64;
        for (int step = 0; step <= kSteps; ++step) {
            const std::uint64_t capacity = used + kPeakExtra * static_cast<std::uint64_t>(step) / kSteps;
            trials.push_back({"disk of " + std::to_string(capacity) + " bytes",
                              [=](FakePlatform& fake) { fake.SetDiskCapacity(capacity); }});
        }
    }

    Scenario scenario_;
    test_scene::FaceScale scale_;
    whole_run::Disk before_;
    whole_run::Disk after_;
    whole_run::Disk staged_;
    std::uint64_t calls_[static_cast<int>(Op::Count_)] = {};
};

void PrintTally(const char* what, Scenario scenario, const FaultLoop& loop, const Tally& tally) {
    std::printf(
        "%s (%s): %llu calls in a clean run, %d runs, %d failed runs, %d violations, outcomes lost and "
        "told as %d: %d, dialogs ended from outside after a failed EndDialog: %d\n",
        what, whole_run::ScenarioName(scenario), static_cast<unsigned long long>(loop.CleanRunCalls()), tally.runs,
        tally.failedRuns, tally.violations, exit_code::kFailureNoOutcome, tally.lostOutcomes, tally.endedFromOutside);
}

std::string Listed(const std::vector<int>& codes) {
    std::string text;
    for (const int code : codes) text += (text.empty() ? "" : " ") + std::to_string(code);
    return text;
}

// Face images of small size: no fault here depends on how much is copied.
class FaultLoopTest : public ::testing::TestWithParam<Scenario> {};

TEST_P(FaultLoopTest, EveryFailingCallEndsInOneOutcomeAndLeavesGameDataOldOrNew) {
    Tally tally;
    FaultLoop loop(GetParam(), test_scene::FaceScale::kSmall);
    loop.Measure();
    if (HasFatalFailure()) return;
    for (const Trial& trial : loop.Trials()) loop.Run(trial, tally);
    PrintTally("fault loop", GetParam(), loop, tally);
    EXPECT_EQ(tally.violations, 0);
    // The faults took effect: each step's failures and the program's own
    // were told, a lost outcome among them, and a failed EndDialog left a
    // dialog standing.
    EXPECT_GT(tally.failedRuns, 0);
    EXPECT_EQ(Listed(CodesNeverTold(tally, GetParam())), "") << "failure codes no failing call brought about";
    EXPECT_GT(tally.lostOutcomes, 0);
    EXPECT_GT(tally.endedFromOutside, 0);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, FaultLoopTest, ::testing::ValuesIn(whole_run::kScenarios),
                         whole_run::ScenarioTestName);
INSTANTIATE_TEST_SUITE_P(Big5Names, FaultLoopTest, ::testing::Values(Scenario::kBaseFreshBig5Documents),
                         whole_run::ScenarioTestName);

// Where size counts: a disk of the player's that fills up anywhere in a run
// that copies archives and face images of their real sizes.
TEST(FaultLoopFullSize, ADiskFillingUpAnywhereEndsInOneOutcomeAndLeavesGameDataOldOrNew) {
    Tally tally;
    FaultLoop loop(Scenario::kBaseFresh, test_scene::FaceScale::kFull);
    loop.Measure();
    if (HasFatalFailure()) return;
    for (const Trial& trial : loop.DiskCapacityTrials()) loop.Run(trial, tally);
    PrintTally("fault loop, full-size disk capacities", Scenario::kBaseFresh, loop, tally);
    EXPECT_EQ(tally.violations, 0);
    EXPECT_GT(tally.failedRuns, 0);
    EXPECT_LT(tally.failedRuns, tally.runs) << "the largest disk holds a whole run";
    for (const int code : {static_cast<int>(kErrorFaceArchiveCopy), static_cast<int>(kErrorFaceArchivePatch)}) {
        EXPECT_GT(tally.failuresTold[code], 0) << "a disk that is full while " << code << "'s step writes";
    }
}

}  // namespace
