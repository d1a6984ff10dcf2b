// Questions to another process's windows that are answered or fail, never
// read as 0: a window whose thread is busy for a moment is asked again until
// the deadline.
#pragma once

#include "Deadline.h"

#include <windows.h>

#include <optional>
#include <string>

namespace driver {

// The reply to message, or nothing when the window did not answer before the
// deadline or no longer exists.
std::optional<LRESULT> Ask(HWND window, UINT message, WPARAM wParam, const Deadline& deadline);

// The text of a dialog's control, as the raw bytes of its code page.
std::optional<std::string> ItemText(HWND dialog, int id, const Deadline& deadline);

}  // namespace driver
