// Watching and answering the installer's progress dialog and message boxes.
// Each wait watches the installer's process (when one is given) and ends as
// soon as it has ended; a failed wait prints what it waited for, the
// installer's state and what its windows showed last, and returns 2.
#pragma once

#include "WatchedProcess.h"

#include <string>

namespace driver {

// The installer as a command sees it: its image name, and the process the
// harness started (when it is known).
struct Installer {
    std::string exeName;
    const WatchedProcess& watched;
    std::set<DWORD> Processes() const { return InstallerProcesses(watched, exeName); }
};

int WaitDialog(const Installer& installer, double timeoutSeconds);
int WaitBox(const Installer& installer, double timeoutSeconds);
int PressOk(const Installer& installer, double timeoutSeconds);
int CountWindows(const std::string& exeName);

}  // namespace driver
