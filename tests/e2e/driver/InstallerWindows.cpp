#include "InstallerWindows.h"

#include <tlhelp32.h>

namespace driver {
namespace {

class SnapshotHandle {
public:
    explicit SnapshotHandle(HANDLE handle) : handle_(handle) {}
    ~SnapshotHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    SnapshotHandle(const SnapshotHandle&) = delete;
    SnapshotHandle& operator=(const SnapshotHandle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

struct DialogSearch {
    std::set<DWORD> processes;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (search->processes.count(process) && lstrcmpA(className, "#32770") == 0 && IsWindowVisible(window)) {
        search->found.push_back(window);
    }
    return TRUE;
}

}  // namespace

std::set<DWORD> ProcessesNamed(const std::string& exeName) {
    std::set<DWORD> ids;
    SnapshotHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (snapshot.get() == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
        if (lstrcmpiA(entry.szExeFile, exeName.c_str()) == 0) ids.insert(entry.th32ProcessID);
    }
    return ids;
}

std::vector<HWND> VisibleDialogsOf(const std::set<DWORD>& processes) {
    DialogSearch search{processes, {}};
    if (!search.processes.empty()) EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> VisibleDialogsOf(const std::string& exeName) { return VisibleDialogsOf(ProcessesNamed(exeName)); }

bool IsProgressDialog(HWND dialog) {
    return GetDlgItem(dialog, 1000) != nullptr && GetDlgItem(dialog, 1001) != nullptr;
}

bool IsMessageBox(HWND dialog) { return GetDlgItem(dialog, 0xFFFF) != nullptr && GetDlgItem(dialog, IDOK) != nullptr; }

HWND FindProgressDialog(const std::set<DWORD>& processes) {
    for (HWND dialog : VisibleDialogsOf(processes)) {
        if (IsProgressDialog(dialog)) return dialog;
    }
    return nullptr;
}

HWND FindMessageBox(const std::set<DWORD>& processes) {
    for (HWND dialog : VisibleDialogsOf(processes)) {
        if (IsMessageBox(dialog)) return dialog;
    }
    return nullptr;
}

HWND FindProgressDialog(const std::string& exeName) { return FindProgressDialog(ProcessesNamed(exeName)); }

HWND FindMessageBox(const std::string& exeName) { return FindMessageBox(ProcessesNamed(exeName)); }

}  // namespace driver
