#include "CallTrace.h"

#include "ProcessTimes.h"

#include <cstdio>
#include <cstring>

namespace bench {

namespace {

std::int64_t Ticks() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// Reading a thread's times is a call to the wineserver under Wine: taken only
// for the few calls that grow with the archives, not for the thousands of
// entry-table calls.
bool TakesCpuTime(const char* name) {
    return std::strcmp(name, "CopyFile") == 0 || std::strcmp(name, "FlushFileBuffers") == 0 ||
           std::strcmp(name, "MoveFileEx") == 0;
}

}  // namespace

CallTrace::CallTrace() : calls_(), mainThread_(GetCurrentThreadId()) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    frequency_ = static_cast<double>(frequency.QuadPart);
    entryTicks_ = Ticks();
    entryMsSinceCreation_ = MsSinceProcessCreation();
}

std::uint32_t CallTrace::Begin(const char* name) {
    const std::uint32_t token = used_.fetch_add(1);
    if (token >= kCapacity) return token;
    const double cpu = TakesCpuTime(name) ? ThreadCpuMs() : -1;
    calls_[token] = Call{name, GetCurrentThreadId(), Ticks(), 0, cpu, cpu};
    return token;
}

void CallTrace::End(std::uint32_t token) {
    if (token >= kCapacity) return;
    Call& call = calls_[token];
    call.end = Ticks();
    if (call.cpuBegin >= 0) call.cpuEnd = ThreadCpuMs();
}

double CallTrace::MsSinceCreation(std::int64_t ticks) const {
    return entryMsSinceCreation_ + 1000.0 * static_cast<double>(ticks - entryTicks_) / frequency_;
}

void CallTrace::WriteTo(const char* path) const {
    std::FILE* out = std::fopen(path, "w");
    if (!out) return;
    std::fprintf(out, "entry %.1f\n", entryMsSinceCreation_);
    const std::uint32_t used = used_.load() < kCapacity ? used_.load() : kCapacity;
    // Runs of the same call on one thread are told together: the entry table
    // alone is thousands of calls.
    for (std::uint32_t first = 0; first < used;) {
        const Call& head = calls_[first];
        std::uint32_t last = first;
        double inside = 0;
        double cpu = 0;
        for (std::uint32_t i = first; i < used && calls_[i].thread == head.thread && calls_[i].name == head.name; ++i) {
            inside += MsSinceCreation(calls_[i].end) - MsSinceCreation(calls_[i].begin);
            cpu += calls_[i].cpuEnd - calls_[i].cpuBegin;
            last = i;
        }
        std::fprintf(out, "%s %s x%u %.1f %.1f %.2f ", head.thread == mainThread_ ? "ui" : "worker", head.name,
                     last - first + 1, MsSinceCreation(head.begin), MsSinceCreation(calls_[last].end), inside);
        if (head.cpuBegin >= 0) {
            std::fprintf(out, "%.1f\n", cpu);
        } else {
            std::fprintf(out, "-\n");
        }
        first = last + 1;
    }
    std::fclose(out);
}

}  // namespace bench
