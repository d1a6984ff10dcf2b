// Lines for the program that started this one. A Windows program has no
// console: the benchmark's runner hands it the runner's own output as its
// standard output, so that what it tells of itself arrives among the
// runner's lines. Without such an output nothing is written.
#pragma once

#include <windows.h>

#include <cstdio>

namespace bench {

inline void TellStarter(const char* key, double value) {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE) return;
    char line[128];
    const int length = std::snprintf(line, sizeof line, "%s=%.1f\n", key, value);
    if (length <= 0 || length >= static_cast<int>(sizeof line)) return;
    DWORD written = 0;
    WriteFile(output, line, static_cast<DWORD>(length), &written, nullptr);
}

}  // namespace bench
