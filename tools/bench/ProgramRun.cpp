#include "ProgramRun.h"

#include "InstallerWindows.h"  // the end-to-end driver's, shared
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
    // One look per pace, as at the installer once its dialog is up.
    while (WaitForSingleObject(process.get(), kWatchPollMs) == WAIT_TIMEOUT) driver::FindMessageBox(watched);
    std::printf("created_at_ms=%.1f\n", start);
    std::printf("ended_ms=%.1f\n", NowMs() - start);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.get(), &exitCode);
    return static_cast<int>(exitCode);
}

}  // namespace bench
