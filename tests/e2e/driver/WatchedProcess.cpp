#include "WatchedProcess.h"

#include "InstallerWindows.h"
#include "Report.h"

namespace driver {

WatchedProcess::WatchedProcess(DWORD id)
    : id_(id), process_(id ? OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id) : nullptr) {}

WatchedProcess::~WatchedProcess() {
    if (process_) CloseHandle(process_);
}

bool WatchedProcess::HasEnded() const {
    if (!Watching()) return false;
    return process_ == nullptr || WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
}

void WatchedProcess::Report() const {
    if (!Watching()) {
        Line("installer", "unwatched");
        return;
    }
    if (process_ == nullptr) {
        Line("installer", "gone");
        return;
    }
    if (!HasEnded()) {
        Line("installer", "running");
        return;
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process_, &exitCode);
    Line("installer", "ended");
    Line("installer_exit_code", static_cast<long long>(exitCode));
}

std::set<DWORD> InstallerProcesses(const WatchedProcess& watched, const std::string& exeName) {
    if (watched.Watching()) return {watched.Id()};
    return ProcessesNamed(exeName);
}

}  // namespace driver
