// The process exit status of whole runs: what the installation reported, or
// why nothing was installed.
#include "app/ExitCodes.h"
#include "app/KestrelApp.h"
#include "install/InstallMessages.h"
#include "install/ProgressDialogLink.h"
#include "platform/fake/FakePlatform.h"
#include "platform/framework/CWinApp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

namespace {

using platform::fake::Fault;
using platform::fake::Op;
using platform::fake::ScopedFakeOs;

constexpr std::uint32_t kWmCommand = 0x0111;

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
    struct Case {
        int reportedFailure;
        int expected;
    };
    const Case cases[] = {
        {0, exit_code::kInstalled},
        {101, 101},
        {104, 104},
        {204, 204},
        {301, 301},
        {302, 302},
        {150, 150},
        // Codes no step posts, which would read as installed or declined.
        {3, exit_code::kFailedWithReservedCode},
        {-7, exit_code::kFailedWithReservedCode},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reportedFailure);
        ScopedFakeOs os;
        g_failure = c.reportedFailure;
        EXPECT_EQ(RunProgram(os), c.expected);
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

TEST(ExitCodeTest, ADialogThatEndedWithoutAnOutcomeIsNeitherSuccessNorFailure) {
    {
        SCOPED_TRACE("the dialog could not be made");
        ScopedFakeOs os;
        os->InjectFault(Fault{Op::RunModalDialog, 1, platform::win::kErrorAccessDenied, false});
        EXPECT_EQ(RunProgram(os), exit_code::kNoOutcome);
    }
    {
        SCOPED_TRACE("no worker, and the user pressed Esc");
        ScopedFakeOs os;
        os->InjectFault(Fault{Op::StartThread, 1, platform::win::kErrorAccessDenied, false});
        std::thread user([&os] {
            platform::Window dialog = 0;
            while ((dialog = os->DialogWindow()) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            os->PostMessage(dialog, kWmCommand, platform::win::kIdCancel, 0);
        });
        EXPECT_EQ(RunProgram(os), exit_code::kNoOutcome);
        user.join();
        EXPECT_EQ(os->DialogResult(), platform::win::kIdCancel);
    }
    {
        SCOPED_TRACE("no worker, and the user pressed Enter: ends with 1 like a success, but is none");
        ScopedFakeOs os;
        os->InjectFault(Fault{Op::StartThread, 1, platform::win::kErrorAccessDenied, false});
        std::thread user([&os] {
            platform::Window dialog = 0;
            while ((dialog = os->DialogWindow()) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            os->PostMessage(dialog, kWmCommand, platform::win::kIdOk, 0);
        });
        EXPECT_EQ(RunProgram(os), exit_code::kNoOutcome);
        user.join();
        EXPECT_EQ(os->DialogResult(), platform::win::kIdOk);
    }
}

TEST(ExitCodeTest, ReservedValuesStayApartFromEveryFailureCodeAlsoUnderWine) {
    // A Unix host sees the status modulo 256.
    const std::set<int> reserved = {exit_code::kInstalled, exit_code::kNoOutcome, exit_code::kGameRunning,
                                    exit_code::kAnotherCopyRunning, exit_code::kFailedWithReservedCode};
    EXPECT_EQ(reserved.size(), 5u);
    std::set<int> seenUnderWine;
    for (int code : {101, 102, 103, 104, 201, 202, 203, 204, 205, 206, 301, 302}) {
        SCOPED_TRACE(code);
        const int status = exit_code::ForFailure(code);
        EXPECT_EQ(status, code);
        EXPECT_EQ(reserved.count(status % 256), 0u);
        EXPECT_TRUE(seenUnderWine.insert(status % 256).second) << "two failures would read alike";
    }
}

}  // namespace
