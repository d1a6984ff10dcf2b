// ui_floor: the least that a program with the installer's window can cost.
// It shows the installer's progress dialog, and over it the completion box
// as the installer shows it, and ends when the box is answered. The
// benchmark times it like the installer, so that the installer's fixed cost
// can be told apart from what any program with this window pays under the
// same system (starting, loading the common controls, drawing Chinese text).
#include "app/Texts.h"
#include "resources/resource_ids.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

namespace {

constexpr UINT kShowBox = WM_APP + 1;

std::wstring WideFromUtf8(const char* text) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, &wide[0], length);
    wide.resize(static_cast<std::size_t>(length - 1));
    return wide;
}

void ShowCompletionBox(HWND dialog) {
    char text[256];
    std::snprintf(text, sizeof text, texts::kDoneFormat.utf8, texts::kWarlordDisplayName);
    MessageBoxW(dialog, WideFromUtf8(text).c_str(), WideFromUtf8(texts::kCaption.utf8).c_str(),
                MB_OK | MB_TOPMOST | MB_TASKMODAL);
}

// The box comes from the dialog's own loop, as the installer's does.
INT_PTR CALLBACK FloorDialogProc(HWND dialog, UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    switch (message) {
    case WM_INITDIALOG:
        PostMessageW(dialog, kShowBox, 0, 0);
        return TRUE;
    case kShowBox:
        ShowCompletionBox(dialog);
        EndDialog(dialog, 1);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_PROGRESS_CLASS;
    InitCommonControlsEx(&classes);
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_PROGRESS_DIALOG), nullptr, FloorDialogProc, 0);
    return 0;
}
