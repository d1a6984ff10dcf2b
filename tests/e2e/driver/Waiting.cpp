#include "Waiting.h"

#include "InstallerWindows.h"
#include "Report.h"
#include "WindowQueries.h"

#include <commctrl.h>

namespace driver {

void ReportWindowsSeen(const std::set<DWORD>& processes) {
    // A short look: the installer may be the very thing that does not answer.
    const Deadline look(1);
    HWND dialog = FindProgressDialog(processes);
    Line("seen_dialog", dialog ? 1 : 0);
    if (dialog) {
        const auto pos = Ask(GetDlgItem(dialog, 1000), PBM_GETPOS, 0, look);
        Line("seen_bar_pos", pos ? std::to_string(*pos) : "no-answer");
    }
    long long boxes = 0;
    for (HWND window : VisibleDialogsOf(processes)) {
        if (!IsMessageBox(window)) continue;
        if (++boxes == 1) {
            const auto text = ItemText(window, 0xFFFF, look);
            if (text) HexLine("seen_box_text_hex", *text);
            else Line("seen_box_text_hex", "no-answer");
        }
    }
    Line("seen_boxes", boxes);
}

void ReportUnfinishedWait(const char* key, WaitEnd end, const std::string& waitedFor, const Deadline& deadline,
                          const WatchedProcess& watched, const std::set<DWORD>& processes) {
    Line(key, end == WaitEnd::InstallerEnded ? "installer-ended" : "timeout");
    Line("waited_for", waitedFor);
    Line("waited_s", static_cast<long long>(deadline.Seconds()));
    // Without a process to watch, the installer runs while a process of its name does.
    if (watched.Watching()) watched.Report();
    else Line("installer", processes.empty() ? "not-running" : "running");
    ReportWindowsSeen(processes);
}

}  // namespace driver
