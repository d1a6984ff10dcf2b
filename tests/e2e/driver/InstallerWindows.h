// Finding the windows of the program under test from another process.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace driver {

// The ids of the running processes whose image is named exeName (case-insensitive).
std::set<DWORD> ProcessesNamed(const std::string& exeName);

// The visible top-level dialogs (#32770) of every process whose image is
// named exeName (case-insensitive), or of the given processes, in z-order.
std::vector<HWND> VisibleDialogsOf(const std::string& exeName);
std::vector<HWND> VisibleDialogsOf(const std::set<DWORD>& processes);

// The progress dialog carries the bar (1000) and the status line (1001);
// a message box carries its text as static 0xFFFF.
bool IsProgressDialog(HWND dialog);
bool IsMessageBox(HWND dialog);

HWND FindProgressDialog(const std::string& exeName);
HWND FindMessageBox(const std::string& exeName);
HWND FindProgressDialog(const std::set<DWORD>& processes);
HWND FindMessageBox(const std::set<DWORD>& processes);

// Polls find() every 50 ms until it returns a window or timeoutSeconds pass.
template <typename Find>
HWND WaitFor(Find find, double timeoutSeconds) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutSeconds * 1000);
    for (;;) {
        if (HWND found = find()) return found;
        if (GetTickCount64() >= deadline) return nullptr;
        Sleep(50);
    }
}

}  // namespace driver
