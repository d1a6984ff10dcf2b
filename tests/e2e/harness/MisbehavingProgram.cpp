// Stands in for the installer where the harness itself is under test: it
// ends in each of the ways that the harness must tell apart.
//
//   misbehaving.exe crash          an access violation before any window
//   misbehaving.exe exit CODE      ends at once with CODE
//   misbehaving.exe slow MS BUSY   shows its dialog after MS milliseconds with
//                                  the bar at 7, keeps its thread busy for
//                                  BUSY milliseconds, then shows a box and
//                                  ends with 0 once it is answered
//   misbehaving.exe crash-later    shows its dialog, crashes a moment later
//   misbehaving.exe quiet          shows its dialog and never anything else
//   misbehaving.exe deaf           shows its dialog and never answers it
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr int kBarPosition = 7;

void Crash() {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
}

INT_PTR CALLBACK Ignore(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

HWND ShowDialog() {
    InitCommonControls();
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), nullptr, Ignore, 0);
    if (!dialog) ExitProcess(120);
    SendDlgItemMessageA(dialog, 1000, PBM_SETRANGE32, 0, 12);
    SendDlgItemMessageA(dialog, 1000, PBM_SETPOS, kBarPosition, 0);
    ShowWindow(dialog, SW_SHOW);
    return dialog;
}

void PumpFor(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        if (GetTickCount64() >= end) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const int argc = __argc;
    char** argv = __argv;
    const char* mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "crash") == 0) Crash();
    if (std::strcmp(mode, "exit") == 0 && argc > 2) ExitProcess(std::strtoul(argv[2], nullptr, 0));
    if (std::strcmp(mode, "slow") == 0 && argc > 3) {
        Sleep(std::strtoul(argv[2], nullptr, 10));
        HWND dialog = ShowDialog();
        Sleep(std::strtoul(argv[3], nullptr, 10));
        MessageBoxA(dialog, "done", "misbehaving", MB_OK);
        return 0;
    }
    if (std::strcmp(mode, "crash-later") == 0) {
        ShowDialog();
        PumpFor(1000);
        Crash();
    }
    if (std::strcmp(mode, "quiet") == 0) {
        ShowDialog();
        for (;;) PumpFor(INFINITE);
    }
    if (std::strcmp(mode, "deaf") == 0) {
        ShowDialog();
        Sleep(INFINITE);
    }
    return 121;
}
