#include "install/ProgressDialogLink.h"

#include "install/InstallTexts.h"
#include "platform/framework/CDialog.h"

std::atomic<platform::CDialog*> g_pProgressDlg{nullptr};

platform::Window ProgressDialogWindow() {
    const platform::CDialog* dialog = g_pProgressDlg.load();
    return dialog == nullptr ? 0 : dialog->GetSafeHwnd();
}

void PostToProgressDialog(std::uint32_t message, std::uintptr_t wParam) {
    const platform::Window window = ProgressDialogWindow();
    if (window == 0) return;
    platform::Os().PostMessage(window, message, wParam, 0);
}

void ShowInstallerMessageBox(const char* text) {
    namespace win = platform::win;
    platform::Os().MessageBox(ProgressDialogWindow(), text, texts::kCaption.cp950,
                              win::kMbOk | win::kMbTopMost | win::kMbTaskModal);
}
