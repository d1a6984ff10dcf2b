// How the worker reaches the progress dialog: through the process-wide
// pointer that the dialog sets while it lives, read afresh at every post.
#pragma once

#include "platform/Platform.h"

#include <atomic>
#include <cstdint>

namespace platform {
class CDialog;
}

// The live progress dialog, or null. Written only by the UI thread (the
// dialog's constructor and destructor); read by the worker at every post.
extern std::atomic<platform::CDialog*> g_pProgressDlg;

// The dialog's window at this moment, or 0 when there is no live dialog.
platform::Window ProgressDialogWindow();

// Posts `message` with `wParam` and lParam 0 to the dialog; dropped when
// there is no dialog window. Never waits, reports nothing.
void PostToProgressDialog(std::uint32_t message, std::uintptr_t wParam);

// The installer's message box: owned by the dialog (none when it is gone),
// the installer's caption, MB_OK | MB_TOPMOST | MB_TASKMODAL, no icon.
// Blocks until the user dismisses it.
void ShowInstallerMessageBox(const char* text);
