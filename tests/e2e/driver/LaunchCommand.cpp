#include "LaunchCommand.h"

#include "Report.h"

#include <windows.h>

namespace driver {
namespace {

constexpr int kHarnessFault = 125;

std::string BesideThisProgram(const std::string& name) {
    if (name.find_first_of("\\/:") != std::string::npos) return name;
    char self[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    std::string folder(self, length);
    return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

std::string Quoted(const std::string& argument) { return "\"" + argument + "\""; }

std::string FolderOf(const std::string& path) { return path.substr(0, path.find_last_of('\\') + 1); }

}  // namespace

int Launch(const LaunchRequest& request) {
    const std::string program = BesideThisProgram(request.program);
    std::string commandLine = Quoted(program);
    for (const std::string& argument : request.arguments) commandLine += " " + Quoted(argument);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    // In its own folder, as the shell starts a program a player opens.
    const std::string folder = FolderOf(program);
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &started)) {
        Line("start_error", static_cast<long long>(GetLastError()));
        return kHarnessFault;
    }
    CloseHandle(started.hThread);
    Line("pid", static_cast<long long>(started.dwProcessId));
    // No limit of its own: the script that started this waits with one, and
    // ends this launcher and its child when that limit is reached.
    WaitForSingleObject(started.hProcess, INFINITE);
    DWORD exitCode = 0;
    const BOOL known = GetExitCodeProcess(started.hProcess, &exitCode);
    CloseHandle(started.hProcess);
    if (!known) {
        Line("exit_code_error", static_cast<long long>(GetLastError()));
        return kHarnessFault;
    }
    Line("exit_code", static_cast<long long>(exitCode));
    return 0;
}

}  // namespace driver
