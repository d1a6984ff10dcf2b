// The moment a wait gives up, on the tick counter.
#pragma once

#include <windows.h>

namespace driver {

class Deadline {
public:
    explicit Deadline(double seconds)
        : seconds_(seconds), end_(GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000)) {}
    bool Passed() const { return GetTickCount64() >= end_; }
    DWORD RemainingMs() const {
        const ULONGLONG now = GetTickCount64();
        return now >= end_ ? 0 : static_cast<DWORD>(end_ - now);
    }
    double Seconds() const { return seconds_; }

private:
    double seconds_;
    ULONGLONG end_;
};

}  // namespace driver
