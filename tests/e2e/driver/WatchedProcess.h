// The installer's process, as the harness started it, watched during every
// wait: an installer that has ended is told at once, with its full 32-bit
// status, instead of being waited for until the limit.
#pragma once

#include <windows.h>

#include <set>
#include <string>

namespace driver {

class WatchedProcess {
public:
    // Id 0: nothing to watch, the installer is found by its image name only.
    explicit WatchedProcess(DWORD id);
    ~WatchedProcess();
    WatchedProcess(const WatchedProcess&) = delete;
    WatchedProcess& operator=(const WatchedProcess&) = delete;

    bool Watching() const { return id_ != 0; }
    DWORD Id() const { return id_; }
    // True once the process has ended, or had already gone when it was
    // looked for (its status is then the launcher's to tell).
    bool HasEnded() const;
    // installer=running|ended|gone|unwatched, and installer_exit_code once ended.
    void Report() const;

private:
    DWORD id_ = 0;
    HANDLE process_ = nullptr;
};

// The processes whose windows belong to the installer: the watched one, or
// every process whose image is named exeName.
std::set<DWORD> InstallerProcesses(const WatchedProcess& watched, const std::string& exeName);

}  // namespace driver
