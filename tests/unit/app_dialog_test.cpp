// The progress dialog against the platform double, driven by a scripted
// worker that posts what a real run would.
#include "app/KestrelDlg.h"
#include "install/InstallMessages.h"
#include "install/ProgressDialogLink.h"
#include "platform/fake/FakePlatform.h"
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

// Expected bytes in code page 950, written independently of app/Texts.cpp.
const std::string kNotInstalled = "\251|\245\274\246w\270\313\241u\272\321\274\351\254\366\246\346\241v";  // 尚未安裝「碧潮紀行」
const std::string kApplyBase = "\275\320\245\375\256M\245\316\241u\272\321\274\351\254\366\246\346\241v\252\272\247\363\267s\265{\246\241\253\341\246A\255\253\267s\261\322\260\312";  // 請先套用「碧潮紀行」的更新程式後再重新啟動
const std::string kApplyExpansion = "\275\320\245\375\256M\245\316\241u\272\321\274\351\254\366\246\346 \302X\245R\252\251\241v\252\272\247\363\267s\265{\246\241\253\341\246A\255\253\267s\261\322\260\312";  // 請先套用「碧潮紀行 擴充版」的更新程式後再重新啟動
const std::string kFaceData = "\265L\252k\253\330\245\337\256e\273\252\270\352\256\306";  // 無法建立容貌資料
const std::string kRecordData = "\265L\252k\253\330\245\337\252Z\261N\270\352\256\306";  // 無法建立武將資料
const std::string kCaption = "\272\321\274\351\254\366\246\346 - \244U\270\374\252Z\261N\252\272\246w\270\313";  // 碧潮紀行 - 下載武將的安裝
const std::string kStatus = "\245\277\246b\246w\270\313 addonwarlord1...";  // 正在安裝 addonwarlord1...
const std::string kDone = "\244w\247\271\246\250 addonwarlord1 \252\272\246w\270\313";  // 已完成 addonwarlord1 的安裝
const std::string kFailedPrefix = "addonwarlord1 \252\272\246w\270\313\245\242\261\321(";  // addonwarlord1 的安裝失敗(

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
    struct Case {
        int code;
        const std::string* specific;
    };
    const Case cases[] = {
        {101, &kNotInstalled}, {102, &kNotInstalled}, {103, &kApplyBase},   {104, &kApplyExpansion},
        {201, &kFaceData},     {202, &kFaceData},     {203, &kFaceData},    {204, &kFaceData},
        {205, &kFaceData},     {206, &kFaceData},     {301, &kRecordData},  {302, &kRecordData},
        {150, nullptr},        {0, nullptr},          {-7, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        ScopedFakeOs fresh;
        fresh->SetModalIdleLimitMs(5000);
        g_script = Then(Steps(3), {{WM_INSTALL_ERROR, static_cast<std::uintptr_t>(c.code)}});
        std::intptr_t result = 0;
        {
            CKestrelDlg dialog(ScriptedWorker);
            result = dialog.DoModal();
        }
        EXPECT_EQ(result, 3);
        std::vector<std::string> expected;
        if (c.specific != nullptr) expected.push_back(*c.specific);
        expected.push_back(kFailedPrefix + std::to_string(c.code) + ")");
        EXPECT_EQ(BoxTexts(*fresh), expected);
        EXPECT_EQ(fresh->Progress(1000).pos, 3) << "a failure leaves the bar where it stands";
    }
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
    const std::vector<Post> interruptions = {
        {kWmCommand, win::kIdOk}, {kWmCommand, win::kIdCancel}, {kWmClose, 0}};
    const std::intptr_t result = RunDialog(Then(Then(interruptions, Steps(2)), {{WM_INSTALL_DONE, 0}}));

    EXPECT_EQ(result, 1);
    EXPECT_EQ(BoxTexts(*os), std::vector<std::string>{kDone}) << "the dialog must not have ended before the outcome";
}

TEST_F(ProgressDialogTest, OnlyTheFirstOutcomeIsReported) {
    EXPECT_EQ(RunDialog({{WM_INSTALL_ERROR, 301}, {WM_INSTALL_DONE, 0}, {WM_INSTALL_ERROR, 102}}), 3);
    EXPECT_EQ(BoxTexts(*os), (std::vector<std::string>{kRecordData, kFailedPrefix + "301)"}));
}

TEST_F(ProgressDialogTest, EscEndsTheDialogWhenNoWorkerCouldBeStarted) {
    os->InjectFault({platform::fake::Op::StartThread, 1, win::kErrorAccessDenied, false});
    std::thread user([this] {
        platform::Window dialog = 0;
        while ((dialog = os->DialogWindow()) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        os->PostMessage(dialog, kWmCommand, win::kIdCancel, 0);
    });
    const std::intptr_t result = RunDialog({});
    user.join();
    EXPECT_EQ(result, win::kIdCancel);
    EXPECT_TRUE(os->MessageBoxes().empty());
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
