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

std::string NameOf(const std::string& setting) { return setting.substr(0, setting.find('=')); }

// This process's environment with the request's settings put in; as the
// system keeps it, NAME=VALUE strings one after another, ended by an empty one.
std::string EnvironmentBlock(const std::vector<std::string>& settings) {
    std::vector<std::string> entries;
    char* current = GetEnvironmentStringsA();
    for (const char* entry = current; *entry; entry += lstrlenA(entry) + 1) {
        const std::string text(entry);
        bool replaced = false;
        for (const std::string& setting : settings) {
            replaced = replaced || lstrcmpiA(NameOf(setting).c_str(), NameOf(text).c_str()) == 0;
        }
        if (!replaced) entries.push_back(text);
    }
    FreeEnvironmentStringsA(current);
    entries.insert(entries.end(), settings.begin(), settings.end());
    std::string block;
    for (const std::string& entry : entries) block += entry + '\0';
    return block + '\0';
}

std::string Quoted(const std::string& argument) { return "\"" + argument + "\""; }

}  // namespace

int Launch(const LaunchRequest& request) {
    const std::string program = BesideThisProgram(request.program);
    std::string commandLine = Quoted(program);
    for (const std::string& argument : request.arguments) commandLine += " " + Quoted(argument);
    std::string environment = EnvironmentBlock(request.environment);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, &environment[0], nullptr,
                        &startup, &started)) {
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
