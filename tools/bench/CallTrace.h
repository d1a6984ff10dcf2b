// A record of when each platform call of one run began and how long it took,
// on which thread, and for the calls that move a file's bytes (copies,
// flushes, moves) the thread's CPU time in them; written out once at the end
// of the run.
#pragma once

#include "CallRecorder.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace bench {

class CallTrace final : public CallRecorder {
public:
    CallTrace();
    // Calls beyond the capacity are not recorded.
    std::uint32_t Begin(const char* name) override;
    void End(std::uint32_t token) override;
    // One line per run of the same call on the same thread: thread, name,
    // count, start and end in ms since the process was created, time inside,
    // CPU time inside ("-" for calls whose CPU time is not taken).
    void WriteTo(const char* path) const;

private:
    struct Call {
        const char* name;
        DWORD thread;
        std::int64_t begin;
        std::int64_t end;
        double cpuBegin;  // negative: not taken
        double cpuEnd;
    };
    static constexpr std::uint32_t kCapacity = 65536;
    double MsSinceCreation(std::int64_t ticks) const;

    Call calls_[kCapacity];
    std::atomic<std::uint32_t> used_{0};
    DWORD mainThread_;
    double frequency_;
    std::int64_t entryTicks_;
    double entryMsSinceCreation_;
};

}  // namespace bench
