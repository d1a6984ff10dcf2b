// Runs the installer as a player would and answers each of its message boxes
// with OK at once, timing the run and reading the installer's peak memory.
#pragma once

namespace bench {

// `pictureDir` (may be null): also saves a picture of the progress dialog
// (dialog.bmp) and of each message box (box-1.bmp, ...) there; the timings
// of such a run mean nothing. Prints key=value lines; returns 0, or 1 when
// the installer could not be started.
int RunInstaller(const char* exePath, const char* pictureDir);

}  // namespace bench
