#include "ProgramRun.h"

#include "InstallerWindows.h"  // the end-to-end driver's, shared
#include "ProcessTimes.h"
#include "WinHandle.h"

#include <windows.h>

#include <cstdio>
#include <set>
#include <string>

namespace bench {

int RunSelf(const char* arguments) {
    char self[MAX_PATH] = {};
    if (!GetModuleFileNameA(nullptr, self, sizeof self)) return 1;
    std::string commandLine = std::string("\"") + self + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::fflush(stdout);
    const double start = NowMs();
    if (!CreateProcessA(self, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
        std::printf("start_failed=%lu\n", GetLastError());
        return 1;
    }
    WinHandle process(info.hProcess);
    WinHandle thread(info.hThread);
    const std::set<DWORD> watched{info.dwProcessId};
    // One look per pace, as at the installer once its dialog is up. The last
    // look is told, so that a late sighting of the end can be put down to
    // the look or to the program.
    bool looked = false;
    double lookBegan = 0;
    double lookEnded = 0;
    while (WaitForSingleObject(process.get(), kWatchPollMs) == WAIT_TIMEOUT) {
        lookBegan = NowMs();
        driver::FindMessageBox(watched);
        lookEnded = NowMs();
        looked = true;
    }
    const double ended = NowMs();
    std::printf("created_at_ms=%.1f\n", start);
    std::printf("ended_ms=%.1f\n", ended - start);
    // When the system ended it, on the clock of its creation: how long the
    // program took to end, whenever the watcher saw it.
    FILETIME created, exited, kernel, user;
    if (GetProcessTimes(process.get(), &created, &exited, &kernel, &user)) {
        const auto lifetime = FileTimeTicks(exited) - FileTimeTicks(created);
        std::printf("lifetime_ms=%.1f\n", static_cast<double>(lifetime) / 10000.0);
    }
    if (looked) {
        std::printf("last_look_began_ms=%.1f\n", lookBegan - start);
        std::printf("last_look_ended_ms=%.1f\n", lookEnded - start);
    }
    DWORD exitCode = 1;
    GetExitCodeProcess(process.get(), &exitCode);
    return static_cast<int>(exitCode);
}

}  // namespace bench
