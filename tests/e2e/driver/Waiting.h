// Waiting for something the installer shows, while watching that it still
// runs: every wait ends found, with the installer's ending, or at its limit,
// and says which.
#pragma once

#include "Deadline.h"
#include "WatchedProcess.h"

#include <windows.h>

#include <set>
#include <string>

namespace driver {

enum class WaitEnd { Found, InstallerEnded, TimedOut };

// Polls find() every 50 ms until it returns a window, the watched installer
// has ended or the deadline has passed. A window found is taken even when
// the installer ends at the same moment.
template <typename Find>
WaitEnd WaitWhileRunning(Find find, const WatchedProcess& watched, const Deadline& deadline, HWND& found) {
    for (;;) {
        if ((found = find()) != nullptr) return WaitEnd::Found;
        if (watched.HasEnded()) return (found = find()) != nullptr ? WaitEnd::Found : WaitEnd::InstallerEnded;
        if (deadline.Passed()) return WaitEnd::TimedOut;
        Sleep(50);
    }
}

// For a wait that did not find its window: `key`=installer-ended|timeout,
// waited_for, the installer's state, and what its windows were at the end
// (the driver's last observation).
void ReportUnfinishedWait(const char* key, WaitEnd end, const std::string& waitedFor, const Deadline& deadline,
                          const WatchedProcess& watched, const std::set<DWORD>& processes);

// What the installer shows now: seen_dialog, seen_bar_pos, seen_boxes, seen_box_text_hex.
void ReportWindowsSeen(const std::set<DWORD>& processes);

}  // namespace driver
