// The process exit status. The installer shows its outcome to the player in
// message boxes; the status tells the same to whatever started it (a script,
// a launcher, a test), and tells apart the ways of not installing anything.
//
//   0        installed
//   101-401  the installation failed with this failure code (the number in
//            the failure box)
//   501-504  the program itself failed (below); told with a number like the
//            installation's failures, and that number is the status
//   1        the dialog ended before the installation reported an outcome
//            (nothing the program does leads there)
//   2        declined: the game or its launcher is running
//   3        declined: another copy of the installer is running
//   4        failed with a code that would read as one of the values above
//
// A Unix host running the program under Wine sees the status modulo 256:
// 301, 302, 401 and 501 to 504 arrive as 45, 46, 145 and 245 to 248, still
// apart from every other value.
#pragma once

namespace exit_code {

constexpr int kInstalled = 0;
constexpr int kNoOutcome = 1;
constexpr int kGameRunning = 2;
constexpr int kAnotherCopyRunning = 3;
constexpr int kFailedWithReservedCode = 4;

// Failures of the program rather than of an installation step.
enum ProgramFailure : int {
    kFailureWorkerNotStarted = 501,   // the installation's thread could not be started
    kFailureNoOutcome = 502,          // that thread ended without reporting an outcome
    kFailureDialogNotMade = 503,      // the progress dialog could not be made
    kFailureSystemPartMissing = 504,  // a DLL (or a function of one) of Windows could not be loaded
};

// The status after a failure reported with `failureCode`.
constexpr int ForFailure(int failureCode) {
    return failureCode > kFailedWithReservedCode ? failureCode : kFailedWithReservedCode;
}

}  // namespace exit_code
