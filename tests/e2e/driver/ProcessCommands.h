// Holding a file open as another program would, and running the installer
// unattended: answering its boxes, ending it abruptly at a chosen moment, and
// sending its dialog keys and close requests.
#pragma once

#include "DialogCommands.h"

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
int HoldFileShared(const char* path, long long holdMs, const Installer* pressOkOf, double timeoutSeconds);

struct UnattendedOptions {
    double timeoutSeconds = 60;
    // TerminateProcess this many milliseconds after the installer started
    // (at once when the driver comes later); negative: never.
    long long killAfterMs = -1;
    // Posts Enter, Esc and close requests to the progress dialog at random
    // moments drawn from this seed; zero: none.
    unsigned pokeSeed = 0;
};

// Waits for the installer to start (or takes the one the harness started),
// answers every message box it shows with OK, and reports how the process
// ended (outcome=ended|killed|timeout|gone|not-started, exit_code as the full
// 32-bit status, elapsed_ms since the installer started and watched_from_ms,
// when the driver began to watch, the boxes' texts, the pokes sent). At the limit
// it says what the still running installer shows.
int RunUnattended(const Installer& installer, const UnattendedOptions& options);

}  // namespace driver
