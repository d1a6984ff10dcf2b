// Our application framework over the platform double: the dialog's
// dispatch and defaults, control binding, the application run and threads.
#include "platform/fake/FakePlatform.h"
#include "platform/framework/CDialog.h"
#include "platform/framework/CProgressCtrl.h"
#include "platform/framework/CWinApp.h"
#include "platform/framework/CWinThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace win = platform::win;
using platform::fake::Op;
using platform::fake::ScopedFakeOs;

constexpr int kTemplate = 102;
constexpr std::uint32_t kWmPaint = 0x000F;
constexpr std::uint32_t kWmQueryDragIcon = 0x0037;

struct Post {
    std::uint32_t message;
    std::uintptr_t wParam;
};

// Posts its script to itself as it opens and records its data exchanges.
class ScriptedDialog : public platform::CDialog {
public:
    ScriptedDialog(std::vector<Post> script, CDialog* parent = nullptr)
        : CDialog(kTemplate, parent), script_(std::move(script)) {}

    std::vector<bool> exchanges;  // m_bSaveAndValidate of each
    platform::Window boundAtInit = 0;
    platform::CProgressCtrl progress;

protected:
    void DoDataExchange(platform::CDataExchange* pDX) override {
        exchanges.push_back(pDX->m_bSaveAndValidate);
        platform::DDX_Control(pDX, 1000, progress);
    }
    bool OnInitDialog() override {
        const bool focus = CDialog::OnInitDialog();
        boundAtInit = progress.GetSafeHwnd();
        for (const Post& post : script_) platform::Os().PostMessage(GetSafeHwnd(), post.message, post.wParam, 0);
        return focus;
    }

private:
    std::vector<Post> script_;
};

TEST(FrameworkDialog, OkCancelAndCloseEndTheDialogTheDefaultWay) {
    struct Case {
        const char* name;
        std::vector<Post> script;
        std::intptr_t result;
        std::vector<bool> exchanges;
    };
    const Case cases[] = {
        {"Enter", {{win::kWmCommand, win::kIdOk}}, 1, {false, true}},
        {"Esc", {{win::kWmCommand, win::kIdCancel}}, 2, {false}},
        {"close", {{win::kWmClose, 0}}, 2, {false}},
        // The notification code in the high word does not hide the id.
        {"OK with a notification", {{win::kWmCommand, 0x00010000u | win::kIdOk}}, 1, {false, true}},
        {"other command", {{win::kWmCommand, 5}, {win::kWmCommand, win::kIdCancel}}, 2, {false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedFakeOs os;
        os->SetModalIdleLimitMs(5000);
        ScriptedDialog dialog(c.script);
        EXPECT_EQ(dialog.DoModal(), c.result);
        EXPECT_EQ(dialog.exchanges, c.exchanges);
        EXPECT_EQ(dialog.GetSafeHwnd(), 0u);
    }
}

TEST(FrameworkDialog, InitialisationBindsControlsAndCentresOwnerlessDialogs) {
    ScopedFakeOs os;
    os->SetModalIdleLimitMs(5000);
    ScriptedDialog dialog({{win::kWmCommand, win::kIdCancel}});
    dialog.DoModal();
    EXPECT_NE(dialog.boundAtInit, 0u);
    EXPECT_TRUE(os->DialogCentred());

    ScriptedDialog owned({{win::kWmCommand, win::kIdCancel}}, &dialog);
    owned.DoModal();
    EXPECT_FALSE(os->DialogCentred()) << "an owned dialog is placed by its owner";
}

TEST(FrameworkDialog, PaintingAndTheDragIconAreLeftToTheSystemByDefault) {
    ScopedFakeOs os;
    ScriptedDialog dialog({});
    std::intptr_t result = 0;
    EXPECT_FALSE(dialog.HandleDialogMessage(0x1234, kWmPaint, 0, 0, &result));
    EXPECT_FALSE(dialog.HandleDialogMessage(0x1234, kWmQueryDragIcon, 0, 0, &result));
}

TEST(FrameworkDialog, ProgressControlSpeaksTheBarsMessages) {
    ScopedFakeOs os;
    os->SetModalIdleLimitMs(5000);
    struct Probe : ScriptedDialog {
        Probe() : ScriptedDialog({{win::kWmCommand, win::kIdCancel}}) {}
        std::vector<int> seen;
        bool OnInitDialog() override {
            const bool focus = ScriptedDialog::OnInitDialog();
            progress.SetRange(5, 300);
            seen.push_back(progress.SetPos(40));
            seen.push_back(progress.DeltaPos(7));
            seen.push_back(progress.GetPos());
            return focus;
        }
    } dialog;
    dialog.DoModal();
    EXPECT_EQ(dialog.seen, (std::vector<int>{5, 40, 47}));
    const platform::fake::ProgressState bar = os->Progress(1000);
    EXPECT_EQ(bar.low, 5);
    EXPECT_EQ(bar.high, 300);
}

class RecordingApp : public platform::CWinApp {
public:
    explicit RecordingApp(bool initResult) : initResult_(initResult) {}
    bool InitInstance() override {
        calls += "init;";
        return initResult_;
    }
    int ExitInstance() override {
        calls += "exit;";
        return 42;
    }
    std::string calls;

private:
    bool initResult_;
};

TEST(FrameworkApp, TheRunIsInitialiseThenExitWhateverInitSays) {
    EXPECT_EQ(platform::AfxGetApp(), nullptr);
    EXPECT_EQ(platform::AfxWinMain(), -1) << "no application object";
    for (bool initResult : {false, true}) {
        RecordingApp app(initResult);
        EXPECT_EQ(platform::AfxGetApp(), &app);
        EXPECT_EQ(platform::AfxWinMain(), 42);
        EXPECT_EQ(app.calls, "init;exit;");
    }
    EXPECT_EQ(platform::AfxGetApp(), nullptr);
}

std::atomic<bool> g_threadFinished{false};

unsigned FinishesLate(void* param) {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    g_threadFinished = param != nullptr;
    return 0;
}

TEST(FrameworkThread, AThreadIsJoinedAtTheLatestWhenItsObjectGoes) {
    ScopedFakeOs os;
    g_threadFinished = false;
    int marker = 0;
    {
        platform::CWinThread thread = platform::AfxBeginThread(FinishesLate, &marker);
        EXPECT_TRUE(thread.IsJoinable());
        platform::CWinThread moved = std::move(thread);
        EXPECT_FALSE(thread.IsJoinable());
    }
    EXPECT_TRUE(g_threadFinished);
    EXPECT_EQ(os->Calls(Op::JoinThread), 1u);
}

TEST(FrameworkThread, AThreadThatCouldNotStartIsNeverJoined) {
    ScopedFakeOs os;
    os->InjectFault({Op::StartThread, 1, win::kErrorAccessDenied, false});
    {
        platform::CWinThread thread = platform::AfxBeginThread(FinishesLate, nullptr);
        EXPECT_FALSE(thread.IsJoinable());
    }
    EXPECT_EQ(os->Calls(Op::JoinThread), 0u);
}

}  // namespace
