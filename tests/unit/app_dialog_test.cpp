// The progress dialog against the platform double, driven by a scripted
// worker that posts what a real run would.
#include "app/ExitCodes.h"
#include "app/KestrelDlg.h"
#include "app/Texts.h"
#include "install/InstallMessages.h"
#include "install/ProgressDialogLink.h"
#include "platform/fake/FakePlatform.h"
#include "tests/unit/expected_texts.h"
#include "tests/unit/scripted_worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace win = platform::win;
using platform::fake::FakePlatform;
using platform::fake::MessageBoxRecord;
using platform::fake::ScopedFakeOs;

using namespace expected_texts;

constexpr std::uint32_t kBoxStyle = 0x00042000;  // MB_OK | MB_TOPMOST | MB_TASKMODAL
constexpr std::uint32_t kWmPaint = 0x000F;
constexpr std::uint32_t kWmClose = 0x0010;
constexpr std::uint32_t kWmCommand = 0x0111;
constexpr std::uint32_t kWmQueryDragIcon = 0x0037;

using scripted_worker::g_script;
using scripted_worker::Post;
using scripted_worker::ScriptedWorker;
using scripted_worker::Steps;
using scripted_worker::Then;

std::vector<std::string> BoxTexts(const FakePlatform& fake) {
    std::vector<std::string> texts;
    for (const MessageBoxRecord& box : fake.MessageBoxes()) texts.push_back(box.text);
    return texts;
}

class ProgressDialogTest : public ::testing::Test {
protected:
    void SetUp() override { os->SetModalIdleLimitMs(5000); }
    void TearDown() override { g_script.clear(); }

    std::intptr_t RunDialog(std::vector<Post> script) {
        g_script = std::move(script);
        CKestrelDlg dialog(ScriptedWorker);
        icon_ = dialog.m_hIcon;
        const std::intptr_t result = dialog.DoModal();
        dialog.JoinWorker();
        return result;
    }

    ScopedFakeOs os;
    platform::IconHandle icon_ = 0;
};

TEST_F(ProgressDialogTest, OpensWithStatusTextIconsEmptyBarAndCentred) {
    EXPECT_EQ(RunDialog({{WM_INSTALL_ERROR, 150}}), 3);

    EXPECT_EQ(os->ControlText(1001), kStatus);
    ASSERT_NE(icon_, 0u);
    const std::vector<std::pair<std::uint32_t, std::uintptr_t>> expectedIcons = {{win::kIconBig, icon_},
                                                                                 {win::kIconSmall, icon_}};
    EXPECT_EQ(os->SetIcons(), expectedIcons);
    const platform::fake::ProgressState bar = os->Progress(1000);
    EXPECT_EQ(bar.low, 0);
    EXPECT_EQ(bar.high, 12);
    EXPECT_EQ(bar.pos, 0);
    EXPECT_TRUE(os->DialogCentred());
    EXPECT_EQ(os->Calls(platform::fake::Op::StartThread), 1u);
}

TEST_F(ProgressDialogTest, StepsMoveTheBarAndStopAtTwelve) {
    struct Case {
        int steps;
        int expectedPos;
    };
    for (const Case& c : {Case{1, 1}, Case{9, 9}, Case{12, 12}, Case{13, 12}}) {
        SCOPED_TRACE(c.steps);
        EXPECT_EQ(RunDialog(Then(Steps(c.steps), {{WM_INSTALL_ERROR, 150}})), 3);
        EXPECT_EQ(os->Progress(1000).pos, c.expectedPos);
    }
}

TEST_F(ProgressDialogTest, DoneFillsTheBarShowsOneBoxAndEndsWithOne) {
    for (int steps : {0, 9, 13}) {
        SCOPED_TRACE(steps);
        const std::size_t boxesBefore = os->MessageBoxes().size();
        EXPECT_EQ(RunDialog(Then(Steps(steps), {{WM_INSTALL_DONE, 0}})), 1);
        EXPECT_EQ(os->Progress(1000).pos, 12);
        const std::vector<std::string> texts = BoxTexts(*os);
        ASSERT_EQ(texts.size(), boxesBefore + 1);
        EXPECT_EQ(texts.back(), kDone);
    }
}

TEST_F(ProgressDialogTest, EveryFailureCodeShowsItsTextsAndEndsWithThree) {
    std::vector<int> codes;
    for (std::size_t i = 0; i < texts::kFailureCount; ++i) codes.push_back(texts::kFailures[i].code);
    // Codes no step posts: the numbered box alone.
    for (int stranger : {150, 0, -7}) codes.push_back(stranger);
    for (const int code : codes) {
        SCOPED_TRACE(code);
        ScopedFakeOs fresh;
        fresh->SetModalIdleLimitMs(5000);
        g_script = Then(Steps(3), {{WM_INSTALL_ERROR, static_cast<std::uintptr_t>(code)}});
        std::intptr_t result = 0;
        {
            CKestrelDlg dialog(ScriptedWorker);
            result = dialog.DoModal();
        }
        EXPECT_EQ(result, 3);
        std::vector<std::string> expected;
        if (texts::FailureText(code) != nullptr) {
            ASSERT_EQ(kSpecificText.count(code), 1u) << "no expected text written for failure " << code;
            expected.push_back(kSpecificText.at(code));
        }
        expected.push_back(FailedBox(code));
        EXPECT_EQ(BoxTexts(*fresh), expected);
        EXPECT_EQ(fresh->Progress(1000).pos, 3) << "a failure leaves the bar where it stands";
    }
}

TEST_F(ProgressDialogTest, TheTableOfFailuresHasEveryExpectedOne) {
    for (const auto& expected : kSpecificText) {
        SCOPED_TRACE(expected.first);
        const UiText* text = texts::FailureText(expected.first);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->cp950, expected.second);
    }
    EXPECT_EQ(texts::kFailureCount, kSpecificText.size());
}

TEST_F(ProgressDialogTest, BoxesAreOwnedByTheDialogWithTheCaptionAndStyle) {
    RunDialog({{WM_INSTALL_ERROR, 101}});
    const std::vector<platform::fake::PostedMessage> posted = os->Posted();
    ASSERT_FALSE(posted.empty());
    const platform::Window dialogWindow = posted.front().window;
    ASSERT_NE(dialogWindow, 0u);

    const std::vector<MessageBoxRecord> boxes = os->MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    for (const MessageBoxRecord& box : boxes) {
        EXPECT_EQ(box.owner, dialogWindow);
        EXPECT_EQ(box.caption, kCaption);
        EXPECT_EQ(box.style, kBoxStyle);
    }
}

TEST_F(ProgressDialogTest, StatusLineKeepsItsTextToTheEnd) {
    RunDialog(Then(Steps(12), {{WM_INSTALL_DONE, 0}}));
    EXPECT_EQ(os->ControlText(1001), kStatus);
}

TEST_F(ProgressDialogTest, EnterEscAndCloseAreIgnoredWhileTheWorkerRuns) {
    const std::vector<Post> interruptions = {{kWmCommand, win::kIdOk}, {kWmCommand, win::kIdCancel}, {kWmClose, 0}};
    const std::intptr_t result = RunDialog(Then(Then(interruptions, Steps(2)), {{WM_INSTALL_DONE, 0}}));

    EXPECT_EQ(result, 1);
    EXPECT_EQ(BoxTexts(*os), std::vector<std::string>{kDone}) << "the dialog must not have ended before the outcome";
}

TEST_F(ProgressDialogTest, OnlyTheFirstOutcomeIsReported) {
    EXPECT_EQ(RunDialog({{WM_INSTALL_ERROR, 301}, {WM_INSTALL_DONE, 0}, {WM_INSTALL_ERROR, 102}}), 3);
    EXPECT_EQ(BoxTexts(*os), (std::vector<std::string>{kRecordData, kFailedPrefix + "301)"}));
}

// Either would leave the player before a dialog without a close box that
// ignores Enter and Esc.
TEST_F(ProgressDialogTest, AWorkerThatCannotStartOrEndsWithoutItsOutcomeIsToldAsAFailure) {
    using platform::fake::Fault;
    using platform::fake::Op;
    struct Case {
        const char* name;
        std::vector<Post> script;
        std::vector<Fault> faults;
        int code;
        int barPos;
    };
    const Case cases[] = {
        {"no thread",
         {},
         {{Op::StartThread, 1, win::kErrorAccessDenied, false}},
         exit_code::kFailureWorkerNotStarted,
         0},
        {"no thread, and no timer either",
         {},
         {{Op::StartThread, 1, win::kErrorAccessDenied, false}, {Op::SetTimer, 1, win::kErrorAccessDenied, false}},
         exit_code::kFailureWorkerNotStarted,
         0},
        {"a worker that posts no outcome", Steps(4), {}, exit_code::kFailureNoOutcome, 4},
        {"the outcome's post fails",
         Then(Steps(2), {{WM_INSTALL_DONE, 0}}),
         {{Op::PostMessage, 3, win::kErrorAccessDenied, false}},
         exit_code::kFailureNoOutcome,
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedFakeOs fresh;
        fresh->SetModalIdleLimitMs(5000);
        for (const Fault& fault : c.faults) fresh->InjectFault(fault);
        g_script = c.script;
        std::intptr_t result = 0;
        {
            CKestrelDlg dialog(ScriptedWorker);
            result = dialog.DoModal();
            EXPECT_EQ(dialog.GetOutcome(), CKestrelDlg::Outcome::kFailed);
            EXPECT_EQ(dialog.FailureCode(), c.code);
        }
        EXPECT_FALSE(fresh->ModalLoopTimedOut());
        EXPECT_EQ(result, 3);
        EXPECT_EQ(BoxTexts(*fresh), (std::vector<std::string>{kSpecificText.at(c.code), FailedBox(c.code)}));
        EXPECT_EQ(fresh->Progress(1000).pos, c.barPos);
    }
}

// The outcome reaches the queue, and the worker ends, just after the watch
// took its turn and just before it asks whether the worker has ended.
TEST_F(ProgressDialogTest, AnOutcomePostedJustBeforeTheWorkerEndsIsNeverTakenForALostOne) {
    static std::atomic<bool> mayFinish{false};
    mayFinish = false;
    const auto lateWorker = [](void*) -> unsigned {
        // Bounded: should the watch never ask, the assertion below says so.
        for (int waited = 0; !mayFinish && waited < 10000; ++waited) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        PostToProgressDialog(WM_INSTALL_DONE, 0);
        return 0;
    };
    os->FinishThreadBeforeNextQuery([] { mayFinish = true; });
    CKestrelDlg dialog(lateWorker);
    EXPECT_EQ(dialog.DoModal(), 1);
    dialog.JoinWorker();
    ASSERT_TRUE(os->ThreadEndedBeforeQuery()) << "the worker did not end while the watch looked";
    EXPECT_EQ(dialog.GetOutcome(), CKestrelDlg::Outcome::kSucceeded);
    EXPECT_EQ(BoxTexts(*os), std::vector<std::string>{kDone});
}

TEST_F(ProgressDialogTest, PaintsTheIconCentredWhenMinimised) {
    struct Case {
        int width;
        int height;
        int x;
        int y;
    };
    // The double's icons are 32 pixels square; halves round toward zero.
    for (const Case& c : {Case{100, 60, 34, 14}, Case{33, 33, 1, 1}, Case{31, 20, 0, -5}}) {
        SCOPED_TRACE(::testing::Message() << c.width << "x" << c.height);
        ScopedFakeOs fresh;
        fresh->SetModalIdleLimitMs(5000);
        fresh->SetDialogMinimised(true);
        fresh->SetDialogClientSize(c.width, c.height);
        g_script = {{kWmPaint, 0}, {WM_INSTALL_ERROR, 150}};
        platform::IconHandle icon = 0;
        {
            CKestrelDlg dialog(ScriptedWorker);
            icon = dialog.m_hIcon;
            dialog.DoModal();
        }
        const std::vector<FakePlatform::DrawnIcon> drawn = fresh->DrawnIcons();
        ASSERT_EQ(drawn.size(), 1u);
        EXPECT_EQ(drawn[0].x, c.x);
        EXPECT_EQ(drawn[0].y, c.y);
        EXPECT_EQ(drawn[0].icon, icon);
        EXPECT_EQ(fresh->Calls(platform::fake::Op::EndPaint), 1u);
    }
}

TEST_F(ProgressDialogTest, LeavesPaintingToTheSystemWhenNotMinimised) {
    RunDialog({{kWmPaint, 0}, {WM_INSTALL_ERROR, 150}});
    EXPECT_TRUE(os->DrawnIcons().empty());
    EXPECT_EQ(os->Calls(platform::fake::Op::BeginPaint), 0u);
}

TEST_F(ProgressDialogTest, DragIconIsTheProgramIcon) {
    CKestrelDlg dialog(ScriptedWorker);
    std::intptr_t result = 0;
    ASSERT_TRUE(dialog.HandleDialogMessage(0x1234, kWmQueryDragIcon, 0, 0, &result));
    EXPECT_EQ(static_cast<platform::IconHandle>(result), dialog.m_hIcon);
    EXPECT_NE(dialog.m_hIcon, 0u);
}

TEST_F(ProgressDialogTest, TheWorkerFindsTheDialogOnlyWhileItLives) {
    {
        CKestrelDlg dialog(ScriptedWorker);
        EXPECT_EQ(g_pProgressDlg.load(), &dialog);
        g_script = {{WM_INSTALL_DONE, 0}};
        dialog.DoModal();
        EXPECT_EQ(dialog.GetSafeHwnd(), 0u) << "posts after the end must go nowhere";
        EXPECT_EQ(ProgressDialogWindow(), 0u);
    }
    EXPECT_EQ(g_pProgressDlg.load(), nullptr);
}

}  // namespace
