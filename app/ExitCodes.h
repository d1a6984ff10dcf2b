// The process exit status. The installer shows its outcome to the player in
// message boxes; the status tells the same to whatever started it (a script,
// a launcher, a test), and tells apart the ways of not installing anything.
//
//   0        installed
//   101-401  the installation failed with this failure code (the number in
//            the failure box)
//   1        the dialog could not be made, or ended before the installation
//            reported an outcome
//   2        declined: the game or its launcher is running
//   3        declined: another copy of the installer is running
//   4        failed with a code that would read as one of the values above
//
// A Unix host running the program under Wine sees the status modulo 256:
// 301, 302 and 401 arrive as 45, 46 and 145, still apart from every other
// value.
#pragma once

namespace exit_code {

constexpr int kInstalled = 0;
constexpr int kNoOutcome = 1;
constexpr int kGameRunning = 2;
constexpr int kAnotherCopyRunning = 3;
constexpr int kFailedWithReservedCode = 4;

// The status after a failure reported with `failureCode`.
constexpr int ForFailure(int failureCode) {
    return failureCode > kFailedWithReservedCode ? failureCode : kFailedWithReservedCode;
}

}  // namespace exit_code
