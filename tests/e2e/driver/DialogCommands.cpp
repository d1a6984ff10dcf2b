#include "DialogCommands.h"

#include "InstallerWindows.h"
#include "Report.h"

#include <commctrl.h>

namespace driver {
namespace {

constexpr UINT kReplyTimeoutMs = 10000;

LRESULT Ask(HWND window, UINT message, WPARAM wParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, 0, SMTO_ABORTIFHUNG, kReplyTimeoutMs, &result);
    return static_cast<LRESULT>(result);
}

void ReportProgressDialog(const char* prefix, HWND dialog) {
    const std::string p(prefix);
    HWND bar = GetDlgItem(dialog, 1000);
    WindowLine((p + "hwnd").c_str(), dialog);
    HexLine((p + "caption_hex").c_str(), WindowText(dialog));
    HexLine((p + "status_hex").c_str(), DialogItemText(dialog, 1001));
    Line((p + "bar_pos").c_str(), Ask(bar, PBM_GETPOS, 0));
    Line((p + "bar_low").c_str(), Ask(bar, PBM_GETRANGE, TRUE));
    Line((p + "bar_high").c_str(), Ask(bar, PBM_GETRANGE, FALSE));
    Line((p + "enabled").c_str(), IsWindowEnabled(dialog) ? 1 : 0);
    HexWordLine((p + "style").c_str(), static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE)));
    HexWordLine((p + "exstyle").c_str(), static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE)));
}

// Offsets of the window's centre from the work area's centre, in pixels.
void ReportCentring(HWND dialog) {
    RECT window{}, work{};
    GetWindowRect(dialog, &window);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    Line("dialog_width", window.right - window.left);
    Line("dialog_height", window.bottom - window.top);
    Line("screen_width", GetSystemMetrics(SM_CXSCREEN));
    Line("screen_height", GetSystemMetrics(SM_CYSCREEN));
    Line("centre_dx", ((window.left + window.right) - (work.left + work.right)) / 2);
    Line("centre_dy", ((window.top + window.bottom) - (work.top + work.bottom)) / 2);
}

}  // namespace

int WaitDialog(const std::string& exeName, double timeoutSeconds) {
    HWND dialog = WaitFor([&] { return FindProgressDialog(exeName); }, timeoutSeconds);
    if (!dialog) {
        Line("dialog", "timeout");
        return 2;
    }
    Line("dialog", "found");
    ReportProgressDialog("dialog_", dialog);
    ReportCentring(dialog);
    return 0;
}

int WaitBox(const std::string& exeName, double timeoutSeconds) {
    HWND box = WaitFor([&] { return FindMessageBox(exeName); }, timeoutSeconds);
    if (!box) {
        Line("box", "timeout");
        return 2;
    }
    HWND owner = GetWindow(box, GW_OWNER);
    HWND dialog = FindProgressDialog(exeName);
    Line("box", "found");
    WindowLine("box_hwnd", box);
    HexLine("box_text_hex", DialogItemText(box, 0xFFFF));
    HexLine("box_caption_hex", WindowText(box));
    Line("box_topmost", (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0);
    Line("box_owner_is_dialog", (owner != nullptr && owner == dialog) ? 1 : 0);
    if (dialog) ReportProgressDialog("dialog_", dialog);
    else Line("dialog", "none");
    return 0;
}

int PressOk(const std::string& exeName, double timeoutSeconds) {
    HWND box = WaitFor([&] { return FindMessageBox(exeName); }, timeoutSeconds);
    if (!box) {
        Line("pressed", "no-box");
        return 2;
    }
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    // Return only once the box is gone, so that a following wait-box cannot
    // find this same box again.
    const bool gone = WaitFor([&] { return (IsWindow(box) && IsWindowVisible(box)) ? nullptr : box; },
                              timeoutSeconds) != nullptr;
    Line("pressed", gone ? "1" : "box-stayed");
    return gone ? 0 : 2;
}

int CountWindows(const std::string& exeName) {
    long long dialogs = 0, boxes = 0;
    for (HWND window : VisibleDialogsOf(exeName)) {
        if (IsProgressDialog(window)) ++dialogs;
        else if (IsMessageBox(window)) ++boxes;
    }
    Line("dialogs", dialogs);
    Line("boxes", boxes);
    return 0;
}

}  // namespace driver
