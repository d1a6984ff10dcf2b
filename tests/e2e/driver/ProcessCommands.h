// Holding a file open as another program would, and running the installer
// unattended: answering its boxes, ending it abruptly at a chosen moment, and
// sending its dialog keys and close requests.
#pragma once

#include <string>

namespace driver {

// Opens an existing file for reading, sharing reading only (or, with
// `shareNothing`, nothing, as a program that takes a file for itself), prints
// ready=1 and keeps it open until killed.
int HoldFile(const char* path, bool shareNothing);

// Opens an existing file for reading, sharing reading, writing and deletion
// (as virus scanners, indexers and sync clients do), prints ready=1, keeps
// it open for `holdMs` milliseconds (negative: until killed), then closes it
// and prints released=1 and held_ms. With `pressOkOf`, the installer's box is
// answered with OK once the file is open, and the time starts from there.
int HoldFileShared(const char* path, long long holdMs, const std::string& pressOkOf, double timeoutSeconds);

struct UnattendedOptions {
    double timeoutSeconds = 60;
    // TerminateProcess this many milliseconds after the installer was first
    // seen; negative: never.
    long long killAfterMs = -1;
    // Posts Enter, Esc and close requests to the progress dialog at random
    // moments drawn from this seed; zero: none.
    unsigned pokeSeed = 0;
};

// Waits for the installer to start, answers every message box it shows with
// OK, and reports how the process ended (outcome=ended|killed|timeout,
// exit_code, elapsed_ms, the boxes' texts, the pokes sent).
int RunUnattended(const std::string& exeName, const UnattendedOptions& options);

}  // namespace driver
