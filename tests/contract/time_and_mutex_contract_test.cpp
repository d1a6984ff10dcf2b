// Local calendar time of file times, and named mutexes.
#include "tests/contract/ContractFixture.h"

#include <random>

namespace contract {
namespace {

using namespace platform::win;

using TimeContract = PlatformContract;
using MutexContract = PlatformContract;

TEST_F(TimeContract, FileTimesBecomeLocalCalendarDates) {
    const std::optional<int> offset = env().UtcOffsetMinutes();
    if (offset != 480) GTEST_SKIP() << "needs the local zone at UTC+8 without daylight saving (TZ=CST-8)";
    struct Case {
        const char* utc;
        std::uint64_t ticks;  // 100 ns since 1601-01-01 UTC
        platform::CalendarTime local;
    };
    const Case cases[] = {
        {"2010-12-31 23:30", 129383118000000000ull, {2011, 1, 1, 7, 30, 0}},
        {"2012-02-28 20:00", 129749328000000000ull, {2012, 2, 29, 4, 0, 0}},
        {"1999-12-31 16:00", 125911296000000000ull, {2000, 1, 1, 0, 0, 0}},
        {"2011-06-01 00:00", 129513600000000000ull, {2011, 6, 1, 8, 0, 0}},
        {"2024-12-31 15:59", 133801343400000000ull, {2024, 12, 31, 23, 59, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utc);
        platform::CalendarTime local;
        ASSERT_TRUE(os().FileTimeToLocalCalendar(platform::FileTime{c.ticks}, &local));
        EXPECT_EQ(c.local.year, local.year);
        EXPECT_EQ(c.local.month, local.month);
        EXPECT_EQ(c.local.day, local.day);
        EXPECT_EQ(c.local.hour, local.hour);
        EXPECT_EQ(c.local.minute, local.minute);
        EXPECT_EQ(c.local.second, local.second);
    }
}

// Closes the mutex it holds when it goes out of scope.
class ScopedMutex {
public:
    ScopedMutex(platform::Platform& os, const std::string& name)
        : os_(os), handle_(os.CreateMutex(name.c_str())), error_(os.LastError()) {}
    ~ScopedMutex() {
        if (handle_ != 0) os_.CloseMutex(handle_);
    }
    ScopedMutex(const ScopedMutex&) = delete;
    ScopedMutex& operator=(const ScopedMutex&) = delete;
    platform::MutexHandle Get() const { return handle_; }
    std::uint32_t ErrorAfterCreate() const { return error_; }

private:
    platform::Platform& os_;
    platform::MutexHandle handle_;
    std::uint32_t error_;
};

std::string UniqueMutexName() {
    std::random_device random;
    return "InstallerContractTests_" + std::to_string(random()) + "_" + std::to_string(random());
}

TEST_F(MutexContract, ASecondCreateOfAHeldNameReportsThatItExisted) {
    const std::string name = UniqueMutexName();
    {
        ScopedMutex first(os(), name);
        ASSERT_NE(0u, first.Get());
        EXPECT_EQ(0u, first.ErrorAfterCreate());

        ScopedMutex second(os(), name);
        EXPECT_NE(0u, second.Get()) << "the existing mutex is still handed out";
        EXPECT_EQ(kErrorAlreadyExists, second.ErrorAfterCreate());

        EXPECT_FALSE(os().ReleaseMutex(first.Get())) << "created without ownership";
        EXPECT_EQ(288u, os().LastError()) << "ERROR_NOT_OWNER";
    }
    ScopedMutex again(os(), name);
    ASSERT_NE(0u, again.Get());
    EXPECT_EQ(0u, again.ErrorAfterCreate()) << "the name is free once every handle is closed";
}

}  // namespace
}  // namespace contract
