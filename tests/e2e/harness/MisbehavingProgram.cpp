// Stands in for the installer where the harness itself is under test: it
// ends in each of the ways that the harness must tell apart.
//
//   misbehaving.exe crash          an access violation before any window
//   misbehaving.exe exit CODE      ends at once with CODE
//   misbehaving.exe slow MS BUSY   shows its dialog after MS milliseconds with
//                                  the bar at 7, keeps its thread busy for
//                                  BUSY milliseconds, then shows a box and
//                                  ends with 0 once it is answered
//   misbehaving.exe crash-later GO shows its dialog, crashes once the file GO exists
//   misbehaving.exe quiet          shows its dialog and never anything else
//   misbehaving.exe deaf GO        shows its dialog; once the file GO exists,
//                                  creates GO.deaf and never answers again
// The files GO let a script choose the moment, whatever the machine's pace.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <string>

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

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// Answers the dialog until the file at `path` exists (never, for nullptr).
void PumpUntil(const char* path) {
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        if (path && Exists(path)) return;
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
    if (std::strcmp(mode, "crash-later") == 0 && argc > 2) {
        ShowDialog();
        PumpUntil(argv[2]);
        Crash();
    }
    if (std::strcmp(mode, "quiet") == 0) {
        ShowDialog();
        PumpUntil(nullptr);
    }
    if (std::strcmp(mode, "deaf") == 0 && argc > 2) {
        ShowDialog();
        PumpUntil(argv[2]);
        const std::string deaf = std::string(argv[2]) + ".deaf";
        CloseHandle(CreateFileA(deaf.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        Sleep(INFINITE);
    }
    return 121;
}
