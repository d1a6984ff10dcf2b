// Start-up: the single-instance guard and one whole run of the application.
#include "app/ExitCodes.h"
#include "app/KestrelApp.h"
#include "install/InstallMessages.h"
#include "install/ProgressDialogLink.h"
#include "platform/fake/FakePlatform.h"
#include "platform/framework/CWinApp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>

namespace {

using platform::fake::Op;
using platform::fake::ScopedFakeOs;

constexpr char kGameClass[] = "ZAVO_VANTARIS_77_WINDOW";
constexpr char kLauncherClass[] = "ZAVO_VANTARIS_77_LAUNCHER_WINDOW";
constexpr char kMutexName[] = "ZAVO_VANTARIS_77_DL_BUSHOU_WINDOW";
constexpr std::uint32_t kWmCommand = 0x0111;
constexpr std::uint32_t kWmClose = 0x0010;

unsigned ReportsDone(void* /*param*/) {
    PostToProgressDialog(WM_INSTALL_DONE, 0);
    return 0;
}

class GuardTest : public ::testing::Test {
protected:
    void SetUp() override { os->SetModalIdleLimitMs(5000); }
    ScopedFakeOs os;
};

TEST_F(GuardTest, ARunningGameOrLauncherIsBroughtForwardAndTheInstallerDeclines) {
    struct Case {
        const char* name;
        bool game;
        bool launcher;
        bool withPopup;
        bool expectGameHandled;
    };
    const Case cases[] = {
        {"game minimised with a pop-up", true, false, true, true},
        {"game minimised without a pop-up", true, false, false, true},
        {"launcher only", false, true, true, false},
        {"both: the game wins", true, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedFakeOs fresh;
        const platform::Window game = c.game ? fresh->AddWindow(kGameClass, true) : 0;
        const platform::Window launcher = c.launcher ? fresh->AddWindow(kLauncherClass, true) : 0;
        const platform::Window handled = c.expectGameHandled ? game : launcher;
        const platform::Window other = c.expectGameHandled ? launcher : game;
        platform::Window popup = 0;
        if (c.withPopup) {
            popup = fresh->AddWindow("ZAVO_POPUP");
            fresh->SetLastActivePopupOf(handled, popup);
        }

        CKestrelApp app(ReportsDone);
        EXPECT_FALSE(app.InitInstance());

        EXPECT_FALSE(fresh->WindowInfo(handled).minimised);
        EXPECT_EQ(fresh->ForegroundWindow(), c.withPopup ? popup : handled);
        if (other != 0) {
            EXPECT_TRUE(fresh->WindowInfo(other).minimised) << "only one window is touched";
        }
        EXPECT_FALSE(fresh->MutexExists(kMutexName));
        EXPECT_EQ(app.m_hMutex, 0u);
        EXPECT_EQ(fresh->Calls(Op::RunModalDialog), 0u);
        EXPECT_TRUE(fresh->MessageBoxes().empty());
        EXPECT_EQ(app.ExitInstance(), exit_code::kGameRunning);
    }
}

TEST_F(GuardTest, ASecondCopyDeclinesSilently) {
    os->HoldMutexElsewhere(kMutexName);
    CKestrelApp app(ReportsDone);

    EXPECT_FALSE(app.InitInstance());

    EXPECT_EQ(app.m_hMutex, 0u);
    EXPECT_EQ(os->Calls(Op::RunModalDialog), 0u);
    EXPECT_TRUE(os->MessageBoxes().empty());
    EXPECT_EQ(app.ExitInstance(), exit_code::kAnotherCopyRunning);
    EXPECT_TRUE(os->MutexExists(kMutexName)) << "the other copy keeps its guard";
}

TEST_F(GuardTest, TheMutexMarksARunningCopyUntilExit) {
    CKestrelApp app(ReportsDone);
    ASSERT_TRUE(app.CheckMayRun());
    EXPECT_NE(app.m_hMutex, 0u);
    EXPECT_TRUE(os->MutexExists(kMutexName));

    CKestrelApp second(ReportsDone);
    EXPECT_FALSE(second.CheckMayRun());
    EXPECT_EQ(second.m_hMutex, 0u);

    app.ExitInstance();
    EXPECT_FALSE(os->MutexExists(kMutexName));

    CKestrelApp later(ReportsDone);
    EXPECT_TRUE(later.CheckMayRun()) << "the name is free again once the first copy has ended";
    later.ExitInstance();
}

// A first copy started with administrator rights holds a mutex that a
// normal copy may not open: it is running all the same.
TEST_F(GuardTest, AMutexThatExistsButMayNotBeOpenedMeansAnotherCopyIsRunning) {
    os->HoldMutexWithHigherRights(kMutexName);
    CKestrelApp app(ReportsDone);

    EXPECT_FALSE(app.InitInstance());

    EXPECT_EQ(app.m_hMutex, 0u);
    EXPECT_EQ(os->Calls(Op::RunModalDialog), 0u);
    EXPECT_TRUE(os->MessageBoxes().empty());
    EXPECT_EQ(app.ExitInstance(), exit_code::kAnotherCopyRunning);
    EXPECT_EQ(os->Calls(Op::CloseMutex), 0u) << "there is no handle to close";
}

TEST_F(GuardTest, AMutexCreationThatFailsOtherwiseStillLetsTheInstallerRun) {
    constexpr std::uint32_t kErrorNotEnoughMemory = 8;
    constexpr std::uint32_t kErrorInvalidHandle = 6;
    for (const std::uint32_t error : {kErrorNotEnoughMemory, kErrorInvalidHandle}) {
        SCOPED_TRACE(error);
        os->InjectFault({Op::CreateMutex, 1, error, false});
        CKestrelApp app(ReportsDone);
        EXPECT_TRUE(app.CheckMayRun());
        EXPECT_EQ(app.m_hMutex, 0u);
        app.ExitInstance();
    }
}

TEST_F(GuardTest, AWholeRunShowsTheDialogThenReleasesTheMutex) {
    CKestrelApp app(ReportsDone);
    ASSERT_EQ(platform::AfxGetApp(), &app);

    EXPECT_EQ(platform::AfxWinMain(), exit_code::kInstalled);

    EXPECT_EQ(os->DialogResult(), 1);
    EXPECT_EQ(os->MessageBoxes().size(), 1u);
    EXPECT_FALSE(os->MutexExists(kMutexName));
    EXPECT_EQ(g_pProgressDlg.load(), nullptr);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
}

// A worker that is still busy after the user's Enter, Esc and close: it
// finishes only after the completion box has been answered.
std::promise<void>* g_boxAnswered = nullptr;
std::atomic<bool> g_workerFinished{false};

unsigned SlowToFinish(void* /*param*/) {
    PostToProgressDialog(kWmCommand, platform::win::kIdCancel);
    PostToProgressDialog(kWmClose, 0);
    PostToProgressDialog(kWmCommand, platform::win::kIdOk);
    PostToProgressDialog(WM_INSTALL_STEP, 0);
    PostToProgressDialog(WM_INSTALL_DONE, 0);
    // Bounded, so that a dialog that ended early fails the test instead of hanging it.
    g_boxAnswered->get_future().wait_for(std::chrono::seconds(10));
    // Still at work after the dialog has ended: the program must wait.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    g_workerFinished = true;
    return 0;
}

TEST_F(GuardTest, TheProgramDoesNotEndUnderARunningWorker) {
    std::promise<void> boxAnswered;
    g_boxAnswered = &boxAnswered;
    g_workerFinished = false;
    os->SetMessageBoxHandler([&boxAnswered](const platform::fake::MessageBoxRecord&) {
        boxAnswered.set_value();
        return platform::win::kIdOk;
    });
    CKestrelApp app(SlowToFinish);

    EXPECT_FALSE(app.InitInstance());

    EXPECT_TRUE(g_workerFinished) << "InitInstance returned before the worker had ended";
    EXPECT_EQ(os->DialogResult(), 1) << "Enter, Esc or close ended the dialog early";
    EXPECT_EQ(os->MessageBoxes().size(), 1u);
    EXPECT_EQ(os->Calls(Op::JoinThread), 1u);
    app.ExitInstance();
    g_boxAnswered = nullptr;
}

}  // namespace
