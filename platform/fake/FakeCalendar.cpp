#include "platform/fake/FakeCalendar.h"

namespace platform::fake::detail {
namespace {

// Days between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kDaysFrom1601To1970 = 134774;
constexpr std::int64_t kSecondsPerDay = 86400;

// Proleptic Gregorian calendar; days counted from 1970-01-01.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(std::int64_t days, std::int64_t* year, unsigned* month, unsigned* day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    *day = static_cast<unsigned>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    *month = static_cast<unsigned>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    *year = yearOfEra + era * 400 + (*month <= 2 ? 1 : 0);
}

}  // namespace

bool TicksToCalendar(std::uint64_t ticks, CalendarTime* calendar) {
    if (ticks >= 0x8000000000000000ull) return false;
    const std::int64_t seconds = static_cast<std::int64_t>(ticks / kTicksPerSecond);
    const std::int64_t days = seconds / kSecondsPerDay;
    const std::int64_t secondOfDay = seconds % kSecondsPerDay;
    std::int64_t year = 0;
    unsigned month = 0;
    unsigned day = 0;
    CivilFromDays(days - kDaysFrom1601To1970, &year, &month, &day);
    if (year > 30827) return false;
    calendar->year = static_cast<std::uint16_t>(year);
    calendar->month = static_cast<std::uint16_t>(month);
    calendar->day = static_cast<std::uint16_t>(day);
    calendar->hour = static_cast<std::uint16_t>(secondOfDay / 3600);
    calendar->minute = static_cast<std::uint16_t>(secondOfDay % 3600 / 60);
    calendar->second = static_cast<std::uint16_t>(secondOfDay % 60);
    return true;
}

std::uint64_t CalendarToTicks(int year, int month, int day, int hour, int minute, int second) {
    const std::int64_t days =
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kDaysFrom1601To1970;
    const std::int64_t seconds = days * kSecondsPerDay + std::int64_t{hour} * 3600 + std::int64_t{minute} * 60 + second;
    return static_cast<std::uint64_t>(seconds) * kTicksPerSecond;
}

}  // namespace platform::fake::detail
