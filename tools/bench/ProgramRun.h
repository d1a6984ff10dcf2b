// Times a whole program run the way the installer's run is timed: from the
// process's start, so that both include what starting a program costs.
#pragma once

namespace bench {

// Runs this same executable with `arguments` and waits for it; prints its
// output lines as they come and program_ms. Returns its exit code, or 1.
int RunSelf(const char* arguments);

}  // namespace bench
