// What the system says of the calling process and thread: how long ago the
// process was created, and the thread's CPU time.
#pragma once

#include <windows.h>

#include <cstdint>

namespace bench {

inline std::uint64_t FileTimeTicks(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Milliseconds since the system created this process: what starting it cost,
// when read at its entry.
inline double MsSinceProcessCreation() {
    FILETIME created, exited, kernel, user, now;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    GetSystemTimePreciseAsFileTime(&now);
    return static_cast<double>(FileTimeTicks(now) - FileTimeTicks(created)) / 10000.0;
}

// CPU time of the calling thread, user and kernel together. Under Wine it
// comes from the kernel's per-thread accounting, in steps of its clock tick
// (10 ms here): good for calls of a hundred milliseconds or more.
inline double ThreadCpuMs() {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    return static_cast<double>(FileTimeTicks(kernel) + FileTimeTicks(user)) / 10000.0;
}

}  // namespace bench
