// Conversion of Win32 file times to calendar fields, without the C library's
// time zone (the double's local time is UTC plus a set offset).
#pragma once

#include "platform/Platform.h"

#include <cstdint>

namespace platform::fake::detail {

constexpr std::uint64_t kTicksPerSecond = 10000000;

// False when the time is beyond what FileTimeToSystemTime accepts.
bool TicksToCalendar(std::uint64_t ticks, CalendarTime* calendar);
// Inverse, for setting scenes: the file time of a UTC calendar instant.
std::uint64_t CalendarToTicks(int year, int month, int day, int hour, int minute, int second);

}  // namespace platform::fake::detail
