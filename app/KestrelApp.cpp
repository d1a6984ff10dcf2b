#include "app/KestrelApp.h"

#include "app/KestrelDlg.h"
#include "install/InstallWorker.h"

#include <clocale>

namespace {
constexpr char kGameWindowClass[] = "ZAVO_VANTARIS_77_WINDOW";
constexpr char kLauncherWindowClass[] = "ZAVO_VANTARIS_77_LAUNCHER_WINDOW";
constexpr char kInstanceMutexName[] = "ZAVO_VANTARIS_77_DL_BUSHOU_WINDOW";

// Restores a minimised window and brings its last active pop-up forward.
void BringForward(platform::Window window) {
    platform::Platform& os = platform::Os();
    if (os.IsIconic(window)) os.ShowWindow(window, platform::win::kSwRestore);
    os.SetForegroundWindow(os.GetLastActivePopup(window));
}
}  // namespace

CKestrelApp::CKestrelApp(platform::ThreadProc worker) : worker_(worker) {}

CKestrelApp::CKestrelApp() : CKestrelApp(InstallWorker) {}

CKestrelApp::~CKestrelApp() = default;

bool CKestrelApp::InitInstance() {
    CWinApp::InitInstance();
    // The C runtime of Windows knows this name; elsewhere the call does nothing.
    std::setlocale(LC_ALL, "japan");
    if (!CheckMayRun()) return false;

    CKestrelDlg dialog(worker_);
    m_pMainWnd = &dialog;
    dialog.DoModal();
    // The worker may still be on its way out; nothing ends under it.
    dialog.JoinWorker();
    m_pMainWnd = nullptr;
    return false;
}

int CKestrelApp::ExitInstance() {
    if (m_hMutex != 0) {
        platform::Os().ReleaseMutex(m_hMutex);
        platform::Os().CloseMutex(m_hMutex);
        m_hMutex = 0;
    }
    return CWinApp::ExitInstance();
}

bool CKestrelApp::CheckMayRun() {
    platform::Platform& os = platform::Os();
    platform::Window running = os.FindWindow(kGameWindowClass);
    if (running == 0) running = os.FindWindow(kLauncherWindowClass);
    if (running != 0) {
        BringForward(running);
        return false;
    }

    m_hMutex = os.CreateMutex(kInstanceMutexName);
    if (os.LastError() == platform::win::kErrorAlreadyExists) {
        // Only the name marks the other copy; our handle to it is not kept.
        if (m_hMutex != 0) os.CloseMutex(m_hMutex);
        m_hMutex = 0;
        return false;
    }
    return true;
}
