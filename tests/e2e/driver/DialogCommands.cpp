#include "DialogCommands.h"

#include "InstallerWindows.h"
#include "Report.h"
#include "Waiting.h"
#include "WindowQueries.h"

#include <commctrl.h>

namespace driver {
namespace {

// A press posted to a box that has not gone after this long is posted again.
constexpr ULONGLONG kRepressMs = 500;

// Reports one answer, or `key`=no-answer; false when there was none.
bool AnswerLine(const std::string& key, const std::optional<LRESULT>& answer) {
    if (answer) Line(key.c_str(), static_cast<long long>(*answer));
    else Line(key.c_str(), "no-answer");
    return answer.has_value();
}

bool TextLine(const std::string& key, const std::optional<std::string>& text) {
    if (text) HexLine(key.c_str(), *text);
    else Line(key.c_str(), "no-answer");
    return text.has_value();
}

// False when the dialog did not answer one of the questions before the deadline.
bool ReportProgressDialog(const char* prefix, HWND dialog, const Deadline& deadline) {
    const std::string p(prefix);
    HWND bar = GetDlgItem(dialog, 1000);
    WindowLine((p + "hwnd").c_str(), dialog);
    HexLine((p + "caption_hex").c_str(), WindowText(dialog));
    bool answered = TextLine(p + "status_hex", ItemText(dialog, 1001, deadline));
    answered = AnswerLine(p + "bar_pos", Ask(bar, PBM_GETPOS, 0, deadline)) && answered;
    answered = AnswerLine(p + "bar_low", Ask(bar, PBM_GETRANGE, TRUE, deadline)) && answered;
    answered = AnswerLine(p + "bar_high", Ask(bar, PBM_GETRANGE, FALSE, deadline)) && answered;
    Line((p + "enabled").c_str(), IsWindowEnabled(dialog) ? 1 : 0);
    HexWordLine((p + "style").c_str(), static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE)));
    HexWordLine((p + "exstyle").c_str(), static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE)));
    return answered;
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

// The window that find() returns, waited for while the installer runs; when
// it does not come, reports why under `key` and returns nothing.
template <typename Find>
HWND AwaitWindow(const Installer& installer, const Deadline& deadline, const char* key, const char* what, Find find) {
    HWND found = nullptr;
    const WaitEnd end = WaitWhileRunning(find, installer.watched, deadline, found);
    if (end == WaitEnd::Found) return found;
    ReportUnfinishedWait(key, end, what, deadline, installer.watched, installer.Processes());
    return nullptr;
}

int Unanswered(const Installer& installer, const char* what, const Deadline& deadline) {
    Line("query", "no-answer");
    ReportUnfinishedWait("answer", WaitEnd::TimedOut, what, deadline, installer.watched, installer.Processes());
    return 2;
}

}  // namespace

int WaitDialog(const Installer& installer, double timeoutSeconds) {
    const Deadline deadline(timeoutSeconds);
    HWND dialog = AwaitWindow(installer, deadline, "dialog", "its progress dialog",
                              [&] { return FindProgressDialog(installer.Processes()); });
    if (!dialog) return 2;
    Line("dialog", "found");
    if (!ReportProgressDialog("dialog_", dialog, deadline)) {
        return Unanswered(installer, "its progress dialog to answer", deadline);
    }
    ReportCentring(dialog);
    return 0;
}

int WaitBox(const Installer& installer, double timeoutSeconds) {
    const Deadline deadline(timeoutSeconds);
    HWND box =
        AwaitWindow(installer, deadline, "box", "a message box", [&] { return FindMessageBox(installer.Processes()); });
    if (!box) return 2;
    HWND owner = GetWindow(box, GW_OWNER);
    HWND dialog = FindProgressDialog(installer.Processes());
    Line("box", "found");
    WindowLine("box_hwnd", box);
    bool answered = TextLine("box_text_hex", ItemText(box, 0xFFFF, deadline));
    HexLine("box_caption_hex", WindowText(box));
    Line("box_topmost", (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0);
    Line("box_owner_is_dialog", (owner != nullptr && owner == dialog) ? 1 : 0);
    if (dialog) answered = ReportProgressDialog("dialog_", dialog, deadline) && answered;
    else Line("dialog", "none");
    return answered ? 0 : Unanswered(installer, "its message box and dialog to answer", deadline);
}

int PressOk(const Installer& installer, double timeoutSeconds) {
    const Deadline deadline(timeoutSeconds);
    HWND box = AwaitWindow(installer, deadline, "pressed", "a message box to press OK on",
                           [&] { return FindMessageBox(installer.Processes()); });
    if (!box) return 2;
    // Pressed again while the box stays (a post can fail, or come before the
    // box listens); done only once the box is gone, so that a following
    // wait-box cannot find this same box again. The installer ending takes
    // the box with it.
    ULONGLONG nextPress = 0;
    auto goneAfterPress = [&]() -> HWND {
        if (!IsWindow(box) || !IsWindowVisible(box)) return box;
        if (GetTickCount64() >= nextPress) {
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
            nextPress = GetTickCount64() + kRepressMs;
        }
        return nullptr;
    };
    HWND gone = nullptr;
    if (WaitWhileRunning(goneAfterPress, installer.watched, deadline, gone) == WaitEnd::TimedOut) {
        ReportUnfinishedWait("pressed", WaitEnd::TimedOut, "the box to close after OK", deadline, installer.watched,
                             installer.Processes());
        return 2;
    }
    Line("pressed", "1");
    return 0;
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
