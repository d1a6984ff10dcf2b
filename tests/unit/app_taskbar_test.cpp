// The dialog's taskbar button mirrors its progress bar: normal while the
// installation runs and when it has finished, red from a failure on.
#include "app/KestrelDlg.h"
#include "install/InstallMessages.h"
#include "install/ProgressDialogLink.h"
#include "platform/fake/FakePlatform.h"
#include "tests/unit/scripted_worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

using platform::TaskbarProgress;
using platform::fake::MessageBoxRecord;
using platform::fake::ScopedFakeOs;
using platform::fake::TaskbarRecord;

constexpr int kTotal = 12;

using scripted_worker::g_script;
using scripted_worker::Post;
using scripted_worker::ScriptedWorker;

std::vector<Post> StepsThen(int steps, Post last) {
    return scripted_worker::Then(scripted_worker::Steps(steps), {last});
}

// Runs one dialog over `script`; returns the window the worker posted to.
platform::Window RunDialog(platform::fake::FakePlatform& os, std::vector<Post> script) {
    os.SetModalIdleLimitMs(5000);
    g_script = std::move(script);
    {
        CKestrelDlg dialog(ScriptedWorker);
        dialog.DoModal();
    }
    g_script.clear();
    const std::vector<platform::fake::PostedMessage> posted = os.Posted();
    return posted.empty() ? 0 : posted.front().window;
}

// The button's state at each request, as (state, completed) pairs; every
// request must name the dialog's window and the bar's range.
std::vector<std::pair<TaskbarProgress, int>> Mirrored(const std::vector<TaskbarRecord>& records,
                                                      platform::Window dialog) {
    std::vector<std::pair<TaskbarProgress, int>> states;
    for (const TaskbarRecord& record : records) {
        EXPECT_EQ(record.window, dialog);
        EXPECT_EQ(record.total, kTotal);
        states.emplace_back(record.state, record.completed);
    }
    return states;
}

TEST(TaskbarProgressTest, FollowsTheBarThroughASuccessfulRun) {
    for (int steps : {0, 3, 13}) {
        SCOPED_TRACE(steps);
        ScopedFakeOs os;
        const platform::Window dialog = RunDialog(*os, StepsThen(steps, {WM_INSTALL_DONE, 0}));
        ASSERT_NE(dialog, 0u);

        std::vector<std::pair<TaskbarProgress, int>> expected = {{TaskbarProgress::kNormal, 0}};
        for (int step = 1; step <= steps; ++step) {
            expected.emplace_back(TaskbarProgress::kNormal, std::min(step, kTotal));
        }
        expected.emplace_back(TaskbarProgress::kNormal, kTotal);
        EXPECT_EQ(Mirrored(os->TaskbarUpdates(), dialog), expected);
    }
}

TEST(TaskbarProgressTest, TurnsRedWhereTheBarStoppedBeforeTheFailureIsShown) {
    for (int steps : {0, 5}) {
        SCOPED_TRACE(steps);
        ScopedFakeOs os;
        std::vector<std::vector<TaskbarRecord>> seenAtEachBox;
        os->SetMessageBoxHandler([&os, &seenAtEachBox](const MessageBoxRecord&) {
            seenAtEachBox.push_back(os->TaskbarUpdates());
            return platform::win::kIdOk;
        });
        const platform::Window dialog = RunDialog(*os, StepsThen(steps, {WM_INSTALL_ERROR, 204}));

        const std::vector<TaskbarRecord> records = os->TaskbarUpdates();
        ASSERT_FALSE(records.empty());
        EXPECT_EQ(Mirrored({records.back()}, dialog),
                  (std::vector<std::pair<TaskbarProgress, int>>{{TaskbarProgress::kError, steps}}));
        ASSERT_EQ(seenAtEachBox.size(), 2u);
        for (const std::vector<TaskbarRecord>& seen : seenAtEachBox) {
            ASSERT_FALSE(seen.empty());
            EXPECT_EQ(seen.back().state, TaskbarProgress::kError) << "the button is red while the boxes are up";
        }
    }
}

}  // namespace
