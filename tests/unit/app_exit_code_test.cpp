// The process exit status of whole runs: what the installation reported, or
// why nothing was installed.
#include "app/ExitCodes.h"
#include "app/KestrelApp.h"
#include "app/Texts.h"
#include "install/InstallMessages.h"
#include "install/ProgressDialogLink.h"
#include "platform/fake/FakePlatform.h"
#include "platform/framework/CWinApp.h"
#include "tests/unit/expected_texts.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using platform::fake::FakePlatform;
using platform::fake::Fault;
using platform::fake::MessageBoxRecord;
using platform::fake::Op;
using platform::fake::ScopedFakeOs;

constexpr std::uint32_t kErrorResourceNameNotFound = 1814;

// The failure code the scripted worker reports; 0 reports success instead.
std::atomic<int> g_failure{0};

unsigned ReportsOutcome(void* /*param*/) {
    PostToProgressDialog(WM_INSTALL_STEP, 0);
    if (g_failure == 0) {
        PostToProgressDialog(WM_INSTALL_DONE, 0);
    } else {
        PostToProgressDialog(WM_INSTALL_ERROR, static_cast<std::uintptr_t>(g_failure.load()));
    }
    return 0;
}

int RunProgram(ScopedFakeOs& os) {
    os->SetModalIdleLimitMs(5000);
    CKestrelApp app(ReportsOutcome);
    return platform::AfxWinMain();
}

TEST(ExitCodeTest, TellsTheReportedOutcome) {
    std::vector<std::pair<int, int>> cases = {{0, exit_code::kInstalled}, {150, 150}};
    for (std::size_t i = 0; i < texts::kFailureCount; ++i) {
        cases.emplace_back(texts::kFailures[i].code, texts::kFailures[i].code);
    }
    // Codes no step posts, which would read as installed or declined.
    cases.emplace_back(3, exit_code::kFailedWithReservedCode);
    cases.emplace_back(-7, exit_code::kFailedWithReservedCode);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        ScopedFakeOs os;
        g_failure = c.first;
        EXPECT_EQ(RunProgram(os), c.second);
    }
    g_failure = 0;
}

TEST(ExitCodeTest, TellsWhyTheInstallerDeclined) {
    {
        SCOPED_TRACE("game running");
        ScopedFakeOs os;
        os->AddWindow("ZAVO_VANTARIS_77_WINDOW");
        EXPECT_EQ(RunProgram(os), exit_code::kGameRunning);
    }
    {
        SCOPED_TRACE("launcher running");
        ScopedFakeOs os;
        os->AddWindow("ZAVO_VANTARIS_77_LAUNCHER_WINDOW");
        EXPECT_EQ(RunProgram(os), exit_code::kGameRunning);
    }
    {
        SCOPED_TRACE("another copy running");
        ScopedFakeOs os;
        os->HoldMutexElsewhere("ZAVO_VANTARIS_77_DL_BUSHOU_WINDOW");
        EXPECT_EQ(RunProgram(os), exit_code::kAnotherCopyRunning);
    }
}

std::vector<std::string> BoxTexts(const FakePlatform& fake) {
    std::vector<std::string> texts;
    for (const MessageBoxRecord& box : fake.MessageBoxes()) texts.push_back(box.text);
    return texts;
}

TEST(ExitCodeTest, ADialogThatCannotBeMadeIsToldAndKeepsItsErrorForADeveloper) {
    ScopedFakeOs os;
    os->InjectFault(Fault{Op::RunModalDialog, 1, kErrorResourceNameNotFound, false});
    EXPECT_EQ(RunProgram(os), exit_code::kFailureDialogNotMade);
    EXPECT_EQ(BoxTexts(*os), (std::vector<std::string>{expected_texts::kWindowNotShown,
                                                       expected_texts::FailedBox(exit_code::kFailureDialogNotMade)}));
    for (const MessageBoxRecord& box : os->MessageBoxes()) EXPECT_EQ(box.owner, 0u) << "there is no dialog to own it";
    ASSERT_EQ(os->DebugOutput().size(), 1u);
    EXPECT_NE(os->DebugOutput()[0].find("(error 1814)"), std::string::npos) << os->DebugOutput()[0];
    EXPECT_FALSE(os->MutexExists("ZAVO_VANTARIS_77_DL_BUSHOU_WINDOW"));
}

TEST(ExitCodeTest, AWorkerThatCannotStartEndsTheRunWithItsOwnStatus) {
    ScopedFakeOs os;
    os->InjectFault(Fault{Op::StartThread, 1, platform::win::kErrorAccessDenied, false});
    EXPECT_EQ(RunProgram(os), exit_code::kFailureWorkerNotStarted);
    EXPECT_EQ(BoxTexts(*os).back(), expected_texts::FailedBox(exit_code::kFailureWorkerNotStarted));
}

// The program entry calls this when a delay-loaded DLL or one of its
// functions cannot be had, and ends the process with what it returns.
TEST(ExitCodeTest, AMissingSystemPartIsToldWhereABoxCanStillBeShown) {
    for (const bool canShowBoxes : {true, false}) {
        SCOPED_TRACE(canShowBoxes);
        ScopedFakeOs os;
        CKestrelApp app(ReportsOutcome);
        EXPECT_EQ(app.OnSystemPartMissing("shell32.dll", 126, canShowBoxes), exit_code::kFailureSystemPartMissing);
        const std::vector<std::string> expected =
            canShowBoxes ? std::vector<std::string>{expected_texts::kSystemPartMissing,
                                                    expected_texts::FailedBox(exit_code::kFailureSystemPartMissing)}
                         : std::vector<std::string>{};
        EXPECT_EQ(BoxTexts(*os), expected);
        ASSERT_EQ(os->DebugOutput().size(), 1u);
        EXPECT_NE(os->DebugOutput()[0].find("shell32.dll could not be loaded (error 126)"), std::string::npos)
            << os->DebugOutput()[0];
    }
}

// Held until the test lets it go, then reports success: too late for a
// dialog that something outside the program has ended meanwhile.
std::atomic<bool> g_workerMayGoOn{false};
std::atomic<bool> g_workerStarted{false};

unsigned ReportsAfterBeingLetGo(void* /*param*/) {
    g_workerStarted = true;
    while (!g_workerMayGoOn) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    PostToProgressDialog(WM_INSTALL_DONE, 0);
    return 0;
}

TEST(ExitCodeTest, ADialogEndedFromOutsideBeforeTheOutcomeIsStatusOne) {
    ScopedFakeOs os;
    os->SetModalIdleLimitMs(5000);
    g_workerStarted = false;
    g_workerMayGoOn = false;
    std::thread outside([&] {
        while (!g_workerStarted || os->DialogWindow() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        os->ForceEndModalLoop(platform::win::kIdCancel);
        g_workerMayGoOn = true;
    });
    int status = -1;
    {
        CKestrelApp app(ReportsAfterBeingLetGo);
        status = platform::AfxWinMain();
    }
    outside.join();
    EXPECT_EQ(status, exit_code::kNoOutcome);
    EXPECT_EQ(BoxTexts(*os), std::vector<std::string>{}) << "nothing was told";
    EXPECT_FALSE(os->ModalLoopTimedOut());
}

TEST(ExitCodeTest, ReservedValuesStayApartFromEveryFailureCodeAlsoUnderWine) {
    // A Unix host sees the status modulo 256.
    const std::set<int> reserved = {exit_code::kInstalled, exit_code::kNoOutcome, exit_code::kGameRunning,
                                    exit_code::kAnotherCopyRunning, exit_code::kFailedWithReservedCode};
    EXPECT_EQ(reserved.size(), 5u);
    std::set<int> seenUnderWine;
    for (std::size_t i = 0; i < texts::kFailureCount; ++i) {
        const int code = texts::kFailures[i].code;
        SCOPED_TRACE(code);
        const int status = exit_code::ForFailure(code);
        EXPECT_EQ(status, code);
        EXPECT_EQ(reserved.count(status % 256), 0u);
        EXPECT_TRUE(seenUnderWine.insert(status % 256).second) << "two failures would read alike";
    }
}

}  // namespace
