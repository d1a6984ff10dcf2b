// ui_floor: the least that a program with the installer's windows can cost.
// It shows the installer's progress dialog; a second thread, as the
// installer's worker does, shows the information box over it and waits for
// its answer, then tells the dialog, which shows the completion box as the
// installer shows it and ends when that box is answered. The benchmark times
// it like the installer (the information box's wait for the player left
// out), so that the installer's fixed cost can be told apart from what any
// program with these windows pays under the same system (starting, loading
// the common controls, drawing Chinese text, a box on a second thread), and
// tells its starter when it called its boxes, as the clocked installer does.
#include "BoxMoments.h"
#include "app/Texts.h"
#include "resources/resource_ids.h"

#include <windows.h>
#include <commctrl.h>
#include <process.h>

#include <cstdio>
#include <string>

namespace {

constexpr UINT kWorkerDone = WM_APP + 1;
constexpr UINT kBoxStyle = MB_OK | MB_TOPMOST | MB_TASKMODAL;

// Made on the main thread before anything else.
bench::BoxMoments* g_moments = nullptr;

std::wstring WideFromUtf8(const char* text) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, &wide[0], length);
    wide.resize(static_cast<std::size_t>(length - 1));
    return wide;
}

void ShowBox(HWND owner, const char* utf8Text) {
    g_moments->BoxCalled();
    MessageBoxW(owner, WideFromUtf8(utf8Text).c_str(), WideFromUtf8(texts::kCaption.utf8).c_str(), kBoxStyle);
}

// The installer's worker shows the information box (base edition) owned by
// the dialog, on its own thread, and then posts its outcome.
unsigned __stdcall Worker(void* dialog) {
    const HWND owner = static_cast<HWND>(dialog);
    ShowBox(owner, texts::kInstallingBaseData.utf8);
    PostMessageW(owner, kWorkerDone, 0, 0);
    return 0;
}

HANDLE g_worker = nullptr;

void ShowCompletionBox(HWND dialog) {
    char text[256];
    std::snprintf(text, sizeof text, texts::kDoneFormat.utf8, texts::kWarlordDisplayName);
    ShowBox(dialog, text);
}

INT_PTR CALLBACK FloorDialogProc(HWND dialog, UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    switch (message) {
    case WM_INITDIALOG:
        g_worker = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, Worker, dialog, 0, nullptr));
        if (!g_worker) EndDialog(dialog, 2);
        return TRUE;
    case kWorkerDone:
        ShowCompletionBox(dialog);
        EndDialog(dialog, 1);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
    static bench::BoxMoments moments;
    g_moments = &moments;
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_PROGRESS_CLASS;
    InitCommonControlsEx(&classes);
    const INT_PTR ended = DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_PROGRESS_DIALOG), nullptr, FloorDialogProc, 0);
    // As the installer joins its worker before it exits.
    if (g_worker) {
        WaitForSingleObject(g_worker, INFINITE);
        CloseHandle(g_worker);
    }
    moments.Tell();
    return ended == 1 ? 0 : 1;
}
