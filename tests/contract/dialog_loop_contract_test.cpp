// The modal loop's timers, and telling whether a thread has ended: what the
// progress dialog's watch over its worker rests on.
#include "tests/contract/ContractFixture.h"

#include <atomic>
#include <vector>

namespace contract {
namespace {

using namespace platform::win;

using DialogLoopContract = PlatformContract;
using ThreadContract = PlatformContract;

constexpr int kDialogTemplate = 102;
constexpr std::uint32_t kPrivate = kWmUser + 5;
constexpr std::uintptr_t kTimerId = 7;

// Sets a timer and posts three messages to itself, then lets time pass so
// that the timer is due before the loop looks at its queue; ends the dialog
// at the first tick.
class TimerAfterPosts final : public platform::DialogHandler {
public:
    explicit TimerAfterPosts(platform::Platform& os) : os_(os) {}

    bool HandleDialogMessage(platform::Window dialog, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t /*lParam*/, std::intptr_t* result) override {
        if (message == kWmInitDialog) {
            timerSet = os_.SetTimer(dialog, kTimerId, 10);
            for (std::uintptr_t i = 0; i < 3; ++i) os_.PostMessage(dialog, kPrivate, i, 0);
            os_.Sleep(100);
            *result = 1;
            return true;
        }
        if (message == kPrivate) {
            seen.push_back(message);
            return true;
        }
        if (message == kWmTimer && wParam == kTimerId) {
            seen.push_back(message);
            killed = os_.KillTimer(dialog, kTimerId);
            killedAgain = os_.KillTimer(dialog, kTimerId);
            os_.EndDialog(dialog, 5);
            return true;
        }
        return false;
    }

    std::vector<std::uint32_t> seen;
    bool timerSet = false;
    bool killed = false;
    bool killedAgain = true;

private:
    platform::Platform& os_;
};

TEST_F(DialogLoopContract, ATimerComesOnlyOnceNoPostedMessageWaits) {
    TimerAfterPosts handler(os());
    EXPECT_EQ(os().RunModalDialog(kDialogTemplate, handler), 5);
    EXPECT_TRUE(handler.timerSet);
    EXPECT_EQ(handler.seen, (std::vector<std::uint32_t>{kPrivate, kPrivate, kPrivate, kWmTimer}));
    EXPECT_TRUE(handler.killed);
    EXPECT_FALSE(handler.killedAgain) << "a timer that is gone cannot be killed twice";
}

std::atomic<bool> g_mayEnd{false};
std::atomic<platform::Platform*> g_os{nullptr};

unsigned EndsWhenAllowed(void* /*param*/) {
    // Bounded, so that a test that never allows it cannot hang.
    for (int i = 0; i < 10000 && !g_mayEnd; ++i) g_os.load()->Sleep(1);
    return 0;
}

TEST_F(ThreadContract, AThreadIsSeenToHaveEndedOnlyOnceItHas) {
    g_mayEnd = false;
    g_os = &os();
    const platform::ThreadHandle thread = os().StartThread(EndsWhenAllowed, nullptr);
    ASSERT_NE(thread, 0u);
    EXPECT_FALSE(os().HasThreadEnded(thread));
    g_mayEnd = true;
    bool ended = false;
    for (int i = 0; i < 10000 && !ended; ++i) {
        ended = os().HasThreadEnded(thread);
        if (!ended) os().Sleep(1);
    }
    EXPECT_TRUE(ended) << "still running 10000 waits after it was allowed to end";
    os().JoinThread(thread);
}

}  // namespace
}  // namespace contract
