// A DLL loaded by bare name inside the installer's running process, as any
// load the process makes later (Windows' own DLLs loading theirs) would
// search for it.
#pragma once

#include "WatchedProcess.h"

namespace driver {

// Runs LoadLibraryW(name) on a new thread of the watched process and prints
// remote_load=loaded|not-loaded (what the call returned). Non-zero when the
// thread could not be run there at all.
int LoadInProcess(const WatchedProcess& watched, const char* name, double timeoutSeconds);

}  // namespace driver
