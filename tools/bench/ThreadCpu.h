// CPU time of the calling thread, user and kernel together. Under Wine it
// comes from the kernel's per-thread accounting, in steps of its clock tick
// (10 ms here): good for calls of a hundred milliseconds or more.
#pragma once

#include <windows.h>

#include <cstdint>

namespace bench {

inline double ThreadCpuMs() {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    const auto ticks = [](const FILETIME& time) {
        return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

}  // namespace bench
