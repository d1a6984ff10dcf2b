#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"

#include <mutex>

namespace platform {

namespace {

void InitProgressControlClass() {
    static std::once_flag once;
    std::call_once(once, [] {
        INITCOMMONCONTROLSEX classes{};
        classes.dwSize = sizeof classes;
        classes.dwICC = ICC_PROGRESS_CLASS;
        ::InitCommonControlsEx(&classes);
    });
}

// Messages whose result a dialog procedure returns itself instead of
// leaving it in DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    switch (message) {
    case WM_INITDIALOG:
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_QUERYDRAGICON:
    case WM_VKEYTOITEM:
        return true;
    default:
        return false;
    }
}

INT_PTR CALLBACK ForwardingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) ::SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
    auto* handler = reinterpret_cast<DialogHandler*>(::GetWindowLongPtrA(dialog, GWLP_USERDATA));
    // Messages before WM_INITDIALOG (the font, the frame) need no handler.
    if (handler == nullptr) return FALSE;
    if (message == WM_NCDESTROY) ::SetWindowLongPtrA(dialog, GWLP_USERDATA, 0);

    std::intptr_t result = 0;
    if (!handler->HandleDialogMessage(win32::FromHwnd(dialog), message, wParam, lParam, &result)) return FALSE;
    if (ReturnsResultDirectly(message)) return result;
    ::SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace

std::intptr_t Win32Platform::RunModalDialog(int templateId, DialogHandler& handler) {
    InitProgressControlClass();
    const INT_PTR result = ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), nullptr,
                                             ForwardingDialogProc, reinterpret_cast<LPARAM>(&handler));
    win32::RecordLastError();
    return result;
}

bool Win32Platform::EndDialog(Window dialog, std::intptr_t result) {
    const BOOL ok = ::EndDialog(win32::ToHwnd(dialog), result);
    win32::RecordLastError();
    return ok != FALSE;
}

}  // namespace platform
