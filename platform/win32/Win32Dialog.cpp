#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32DialogFont.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32Taskbar.h"

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

// What the dialog procedure serves during one modal run.
struct ModalRun {
    DialogHandler* handler;
    win32::TaskbarProgressMirror* taskbar;
    win32::ChineseDialogFont* font;
};

// Makes the taskbar of the current run reachable from SetTaskbarProgress.
class ActiveTaskbar {
public:
    ActiveTaskbar(win32::TaskbarProgressMirror*& slot, win32::TaskbarProgressMirror& taskbar)
        : slot_(slot), previous_(slot) {
        slot_ = &taskbar;
    }
    ~ActiveTaskbar() { slot_ = previous_; }
    ActiveTaskbar(const ActiveTaskbar&) = delete;
    ActiveTaskbar& operator=(const ActiveTaskbar&) = delete;

private:
    win32::TaskbarProgressMirror*& slot_;
    win32::TaskbarProgressMirror* previous_;
};

// The dialog is a Unicode window, so that its caption and texts do not pass
// through the system's ANSI code page.
INT_PTR CALLBACK ForwardingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) ::SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
    auto* run = reinterpret_cast<ModalRun*>(::GetWindowLongPtrW(dialog, GWLP_USERDATA));
    // Messages before WM_INITDIALOG (the font, the frame) need no handler.
    if (run == nullptr) return FALSE;
    if (message == WM_NCDESTROY) ::SetWindowLongPtrW(dialog, GWLP_USERDATA, 0);

    if (message == WM_INITDIALOG) {
        run->font->ApplyTo(dialog);
        run->taskbar->AcceptButtonMessage(dialog);
    }
    if (run->taskbar->IsButtonCreated(message)) {
        run->taskbar->OnButtonCreated(dialog);
        return TRUE;
    }

    std::intptr_t result = 0;
    if (!run->handler->HandleDialogMessage(win32::FromHwnd(dialog), message, wParam, lParam, &result)) {
        return FALSE;
    }
    if (ReturnsResultDirectly(message)) return result;
    ::SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace

std::intptr_t Win32Platform::RunModalDialog(int templateId, DialogHandler& handler) {
    InitProgressControlClass();
    win32::ChineseDialogFont font;
    win32::TaskbarProgressMirror taskbar;
    const ActiveTaskbar active(taskbar_, taskbar);
    ModalRun run{&handler, &taskbar, &font};
    const INT_PTR result = ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), nullptr,
                                             ForwardingDialogProc, reinterpret_cast<LPARAM>(&run));
    win32::RecordLastError();
    return result;
}

void Win32Platform::SetTaskbarProgress(Window window, TaskbarProgress state, int completed, int total) {
    if (taskbar_ != nullptr) taskbar_->Request(win32::ToHwnd(window), state, completed, total);
}

bool Win32Platform::EndDialog(Window dialog, std::intptr_t result) {
    const BOOL ok = ::EndDialog(win32::ToHwnd(dialog), result);
    win32::RecordLastError();
    return ok != FALSE;
}

}  // namespace platform
