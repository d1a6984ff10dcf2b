#include "InstallerRun.h"

#include "InstallerWindows.h"  // the end-to-end driver's, shared
#include "ProgramRun.h"
#include "Report.h"
#include "WinHandle.h"
#include "WindowPicture.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

namespace bench {

namespace {

constexpr DWORD kPollMs = kWatchPollMs;
constexpr double kHangGuardMs = 120000;
// Long enough for a window to be painted before its picture is taken.
constexpr DWORD kSettleMs = 800;
// Long enough for the dialog to repaint what a box uncovered.
constexpr DWORD kRepaintMs = 200;

struct Installer {
    WinHandle process;
    DWORD processId = 0;
};

// The runner's standard output as a handle that a program can inherit.
WinHandle InheritableOutput() {
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_OUTPUT_HANDLE), GetCurrentProcess(), &copy, 0, TRUE,
                         DUPLICATE_SAME_ACCESS)) {
        return WinHandle();
    }
    return WinHandle(copy);
}

// The program's standard output is the runner's, so that a program that
// tells its own moments (BoxMoments) tells them among the runner's lines.
bool Start(const char* exePath, const WinHandle& output, Installer& installer) {
    std::string commandLine = std::string("\"") + exePath + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output.get();
    }
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(exePath, &commandLine[0], nullptr, nullptr, output ? TRUE : FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    installer.process = WinHandle(info.hProcess);
    installer.processId = info.dwProcessId;
    return true;
}

bool HasEnded(const Installer& installer, DWORD waitMs) {
    return WaitForSingleObject(installer.process.get(), waitMs) == WAIT_OBJECT_0;
}

SIZE_T PeakWorkingSet(const Installer& installer) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(installer.process.get(), &counters, sizeof counters)) return 0;
    return counters.PeakWorkingSetSize;
}

std::string PicturePath(const char* pictureDir, const std::string& name) {
    return std::string(pictureDir) + "\\" + name + ".bmp";
}

// Moves `box` below `dialog`, or above it when there is no room below, and
// gives the dialog time to paint what the box uncovered.
void MoveAsideFrom(HWND box, HWND dialog) {
    RECT boxRect, dialogRect;
    if (!GetWindowRect(box, &boxRect) || !GetWindowRect(dialog, &dialogRect)) return;
    const int height = boxRect.bottom - boxRect.top;
    const int below = dialogRect.bottom + 8;
    const int top = below + height <= GetSystemMetrics(SM_CYSCREEN) ? below : dialogRect.top - 8 - height;
    SetWindowPos(box, nullptr, boxRect.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Sleep(kSettleMs);
}

// The dialog as it is while the worker copies; a box that has come up in
// the meantime is moved off it.
void TakeDialogPicture(const Installer& installer, const char* pictureDir, double startMs) {
    HWND dialog = nullptr;
    while (!(dialog = driver::FindProgressDialog(std::set<DWORD>{installer.processId}))) {
        if (HasEnded(installer, kPollMs) || NowMs() - startMs > kHangGuardMs) return;
    }
    Sleep(kSettleMs);
    // A box may come up between the look for it and the picture: then the
    // picture is taken again once the box has been moved off.
    const std::set<DWORD> process{installer.processId};
    bool saved = false;
    HWND movedBox = nullptr;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (HWND box = driver::FindMessageBox(process); box && box != movedBox) {
            MoveAsideFrom(box, dialog);
            movedBox = box;
        }
        saved = SaveWindowPicture(dialog, PicturePath(pictureDir, "dialog").c_str());
        HWND boxNow = driver::FindMessageBox(process);
        if (!boxNow || boxNow == movedBox) break;
    }
    std::printf("picture_dialog=%d\n", saved ? 1 : 0);
}

struct BoxSeen {
    std::string text;
    double seenMs = 0;  // from the start of the installer
    double upMs = 0;    // until it had gone after OK
};

void PressOkAndWaitUntilGone(HWND box) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    const double pressed = NowMs();
    while (IsWindow(box) && IsWindowVisible(box) && NowMs() - pressed < kHangGuardMs) Sleep(1);
}

void PrintResults(const std::vector<BoxSeen>& boxes, double dialogVisibleMs, DWORD exitCode, SIZE_T peak) {
    double humanMs = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        driver::HexLine(("box_" + std::to_string(i + 1) + "_text_hex").c_str(), boxes[i].text);
        std::printf("box_%zu_seen_ms=%.1f\n", i + 1, boxes[i].seenMs);
        std::printf("box_%zu_up_ms=%.1f\n", i + 1, boxes[i].upMs);
        if (i + 1 < boxes.size()) humanMs += boxes[i].upMs;
    }
    std::printf("boxes=%zu\n", boxes.size());
    std::printf("dialog_visible_ms=%.1f\n", dialogVisibleMs);
    if (!boxes.empty()) std::printf("work_ms=%.1f\n", boxes.back().seenMs - humanMs);
    std::printf("exit_code=%lu\n", exitCode);
    std::printf("peak_working_set_bytes=%llu\n", static_cast<unsigned long long>(peak));
}

// The dialog once more after the first box has gone, while the worker
// patches: no box covers it then, whatever the box's size and place.
void TakeWorkingDialogPicture(const Installer& installer, const char* pictureDir) {
    const std::set<DWORD> process{installer.processId};
    HWND dialog = driver::FindProgressDialog(process);
    if (!dialog) return;
    Sleep(kRepaintMs);
    if (driver::FindMessageBox(process)) return;  // the worker was quicker
    const bool saved = SaveWindowPicture(dialog, PicturePath(pictureDir, "dialog-2").c_str());
    std::printf("picture_dialog-2=%d\n", saved ? 1 : 0);
}

}  // namespace

int RunInstaller(const char* exePath, const char* pictureDir) {
    Installer installer;
    const WinHandle output = InheritableOutput();
    // What the program writes must come after what is already buffered here.
    std::fflush(stdout);
    const double startMs = NowMs();
    if (!Start(exePath, output, installer)) {
        std::printf("start_failed=%lu\n", GetLastError());
        return 1;
    }
    if (pictureDir) TakeDialogPicture(installer, pictureDir, startMs);

    std::vector<BoxSeen> boxes;
    double dialogVisibleMs = -1;
    SIZE_T peak = 0;
    while (!HasEnded(installer, kPollMs) && NowMs() - startMs < kHangGuardMs) {
        if (dialogVisibleMs < 0 && driver::FindProgressDialog(std::set<DWORD>{installer.processId}))
            dialogVisibleMs = NowMs() - startMs;
        HWND box = driver::FindMessageBox(std::set<DWORD>{installer.processId});
        if (!box) continue;
        BoxSeen seen;
        const double seenAt = NowMs();
        seen.seenMs = seenAt - startMs;
        seen.text = driver::DialogItemText(box, 0xFFFF);
        // The installer still lives while its box is up; afterwards the
        // counters may no longer be readable.
        peak = std::max(peak, PeakWorkingSet(installer));
        if (pictureDir) {
            Sleep(kSettleMs);
            const std::string name = "box-" + std::to_string(boxes.size() + 1);
            std::printf("picture_%s=%d\n", name.c_str(),
                        SaveWindowPicture(box, PicturePath(pictureDir, name).c_str()) ? 1 : 0);
        }
        PressOkAndWaitUntilGone(box);
        seen.upMs = NowMs() - seenAt;
        boxes.push_back(seen);
        if (pictureDir && boxes.size() == 1) TakeWorkingDialogPicture(installer, pictureDir);
    }
    if (!HasEnded(installer, 0)) {
        std::printf("hang_guard=1\n");
        TerminateProcess(installer.process.get(), 1);
    }
    peak = std::max(peak, PeakWorkingSet(installer));
    DWORD exitCode = 0;
    GetExitCodeProcess(installer.process.get(), &exitCode);
    PrintResults(boxes, dialogVisibleMs, exitCode, peak);
    // The clock that the program's own moments are read against.
    std::printf("created_at_ms=%.1f\n", startMs);
    return 0;
}

}  // namespace bench
