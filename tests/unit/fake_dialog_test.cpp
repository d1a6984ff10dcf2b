// The double's modal dialog: the order in which posted messages arrive, the
// progress bar's rules, message boxes and what stays inspectable afterwards.
#include "platform/fake/FakePlatform.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace platform::win;
using platform::Window;
using platform::fake::FakePlatform;

constexpr std::uint32_t kStep = kWmUser + 1;
constexpr std::uint32_t kDone = kWmUser + 2;

// Records every message and lets a test react to each.
class RecordingHandler : public platform::DialogHandler {
public:
    std::vector<std::uint32_t> messages;
    std::vector<std::uintptr_t> stepArguments;
    std::function<bool(Window, std::uint32_t, std::uintptr_t)> react = [](Window, std::uint32_t, std::uintptr_t) {
        return false;
    };

    bool HandleDialogMessage(Window dialog, std::uint32_t message, std::uintptr_t wParam, std::intptr_t,
                             std::intptr_t* result) override {
        messages.push_back(message);
        if (message == kStep) stepArguments.push_back(wParam);
        *result = 0;
        return react(dialog, message, wParam);
    }
};

struct Poster {
    FakePlatform* fake;
    Window dialog;
};

unsigned PostStepsThenDone(void* param) {
    const Poster* poster = static_cast<Poster*>(param);
    for (std::uintptr_t i = 1; i <= 20; ++i) poster->fake->PostMessage(poster->dialog, kStep, i, 0);
    poster->fake->PostMessage(poster->dialog, kDone, 0, 0);
    return 0;
}

TEST(FakeDialog, PostsFromAWorkerArriveInOrderUntilTheDialogEnds) {
    FakePlatform fake;
    RecordingHandler handler;
    Poster poster{&fake, 0};
    platform::ThreadHandle worker = 0;
    handler.react = [&](Window dialog, std::uint32_t message, std::uintptr_t) {
        if (message == kWmInitDialog) {
            poster.dialog = dialog;
            worker = fake.StartThread(PostStepsThenDone, &poster);
        }
        if (message == kDone) fake.EndDialog(dialog, 1);
        return true;
    };

    EXPECT_EQ(1, fake.RunModalDialog(102, handler));
    fake.JoinThread(worker);

    ASSERT_EQ(22u, handler.messages.size());
    EXPECT_EQ(kWmInitDialog, handler.messages.front());
    EXPECT_EQ(kDone, handler.messages.back());
    std::vector<std::uintptr_t> expected;
    for (std::uintptr_t i = 1; i <= 20; ++i) expected.push_back(i);
    EXPECT_EQ(expected, handler.stepArguments);
    EXPECT_EQ(1, fake.DialogResult());
    EXPECT_EQ(0u, fake.DialogWindow());

    EXPECT_FALSE(fake.PostMessage(poster.dialog, kStep, 99, 0)) << "the window is gone";
    EXPECT_EQ(1400u, fake.LastError());
    EXPECT_FALSE(fake.PostMessage(0, kStep, 98, 0));
    const std::vector<platform::fake::PostedMessage> posted = fake.Posted();
    ASSERT_EQ(23u, posted.size());
    EXPECT_EQ(99u, posted[21].wParam) << "posts to no window are still recorded";
    EXPECT_EQ(0u, posted[22].window);
}

TEST(FakeDialog, TheProgressBarClampsAndTheStateOutlivesTheDialog) {
    FakePlatform fake;
    RecordingHandler handler;
    std::vector<std::intptr_t> answers;
    handler.react = [&](Window dialog, std::uint32_t message, std::uintptr_t) {
        if (message != kWmInitDialog) return false;
        const Window bar = fake.GetDlgItem(dialog, 1000);
        const platform::fake::ProgressState initial = fake.Progress();
        answers.push_back(initial.high);
        answers.push_back(fake.SendMessage(bar, kPbmSetRange, 0, 12 << 16));
        answers.push_back(fake.SendMessage(bar, kPbmSetPos, 5, 0));
        answers.push_back(fake.SendMessage(bar, kPbmDeltaPos, 20, 0));  // beyond the range
        answers.push_back(fake.SendMessage(bar, kPbmGetPos, 0, 0));
        answers.push_back(fake.SendMessage(bar, kPbmGetRange, 1, 0));
        answers.push_back(fake.SendMessage(bar, kPbmGetRange, 0, 0));
        answers.push_back(fake.GetDlgItem(dialog, 1002) == 0 ? 1 : 0);
        fake.SetWindowText(fake.GetDlgItem(dialog, 1001), "text");
        fake.SendMessage(dialog, kWmSetIcon, kIconBig, 0x1234);
        fake.CenterWindowOnScreen(dialog);
        fake.EndDialog(dialog, 3);
        return true;
    };
    EXPECT_EQ(3, fake.RunModalDialog(102, handler));
    EXPECT_EQ((std::vector<std::intptr_t>{100, 100 << 16, 0, 5, 12, 0, 12, 1}), answers);
    EXPECT_EQ(12, fake.Progress().pos);
    EXPECT_EQ("text", fake.ControlText(1001));
    EXPECT_TRUE(fake.DialogCentred());
    ASSERT_EQ(1u, fake.SetIcons().size()) << "WM_SETICON left to the system is recorded";
    EXPECT_EQ(0x1234u, fake.SetIcons()[0].second);
}

TEST(FakeDialog, MessageBoxesRunTheTestsHandlerWithoutTheLock) {
    FakePlatform fake;
    fake.SetMessageBoxHandler([&fake](const platform::fake::MessageBoxRecord& box) {
        return static_cast<int>(fake.MessageBoxes().size()) + (box.text == "two" ? 10 : 0);
    });
    EXPECT_EQ(1, fake.MessageBox(0, "one", "caption", kMbOk));
    EXPECT_EQ(12, fake.MessageBox(0, "two", "caption", kMbTopMost));
    ASSERT_EQ(2u, fake.MessageBoxes().size());
    EXPECT_EQ(kMbTopMost, fake.MessageBoxes()[1].style);

    const Window gone = fake.AddWindow("x") + 4096;
    EXPECT_EQ(0, fake.MessageBox(gone, "owned by no window", "caption", kMbOk));
    EXPECT_EQ(2u, fake.MessageBoxes().size()) << "Windows shows no box for an owner that does not exist";
}

TEST(FakeDialog, ALoopWithNothingToDoEndsInsteadOfHanging) {
    FakePlatform fake;
    fake.SetModalIdleLimitMs(10);
    RecordingHandler handler;
    EXPECT_EQ(-2, fake.RunModalDialog(102, handler));
    EXPECT_EQ(std::vector<std::uint32_t>{kWmInitDialog}, handler.messages);
}

}  // namespace
