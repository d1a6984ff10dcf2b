#include "app/KestrelApp.h"

#include "app/ExitCodes.h"
#include "app/KestrelDlg.h"
#include "app/OutcomeBoxes.h"
#include "install/InstallWorker.h"

#include <clocale>
#include <cstdint>
#include <cstdio>

namespace {
// What DoModal gives for a dialog that could not be made.
constexpr std::intptr_t kDialogNotMade = -1;

constexpr char kGameWindowClass[] = "ZAVO_VANTARIS_77_WINDOW";
constexpr char kLauncherWindowClass[] = "ZAVO_VANTARIS_77_LAUNCHER_WINDOW";
constexpr char kInstanceMutexName[] = "ZAVO_VANTARIS_77_DL_BUSHOU_WINDOW";

// Restores a minimised window and brings its last active pop-up forward.
void BringForward(platform::Window window) {
    platform::Platform& os = platform::Os();
    if (os.IsIconic(window)) os.ShowWindow(window, platform::win::kSwRestore);
    os.SetForegroundWindow(os.GetLastActivePopup(window));
}

// For a developer at a debugger; the player sees the numbered boxes.
void TellDebugger(const char* what, std::uint32_t error) {
    char line[256];
    std::snprintf(line, sizeof line, "addonwarlord1: %s (error %lu)\n", what, static_cast<unsigned long>(error));
    platform::Os().OutputDebugString(line);
}

int ExitCodeOf(const CKestrelDlg& dialog) {
    switch (dialog.GetOutcome()) {
    case CKestrelDlg::Outcome::kSucceeded:
        return exit_code::kInstalled;
    case CKestrelDlg::Outcome::kFailed:
        return exit_code::ForFailure(dialog.FailureCode());
    case CKestrelDlg::Outcome::kNone:
        break;
    }
    return exit_code::kNoOutcome;
}
}  // namespace

CKestrelApp::CKestrelApp(platform::ThreadProc worker) : worker_(worker), exitCode_(exit_code::kNoOutcome) {}

CKestrelApp::CKestrelApp() : CKestrelApp(InstallWorker) {}

CKestrelApp::~CKestrelApp() = default;

bool CKestrelApp::InitInstance() {
    CWinApp::InitInstance();
    // The C runtime of Windows knows this name; elsewhere the call does nothing.
    std::setlocale(LC_ALL, "japan");
    switch (Admit()) {
    case Admission::kGameRunning:
        exitCode_ = exit_code::kGameRunning;
        return false;
    case Admission::kAnotherCopyRunning:
        exitCode_ = exit_code::kAnotherCopyRunning;
        return false;
    case Admission::kMayRun:
        break;
    }

    CKestrelDlg dialog(worker_);
    m_pMainWnd = &dialog;
    // Success, failure and an early end are told apart by what the dialog
    // showed, not by how it ended: Enter also ends it with 1.
    const std::intptr_t ended = dialog.DoModal();
    const std::uint32_t error = platform::Os().LastError();
    // The worker may still be on its way out; nothing ends under it.
    dialog.JoinWorker();
    m_pMainWnd = nullptr;
    if (ended == kDialogNotMade && dialog.GetOutcome() == CKestrelDlg::Outcome::kNone) {
        // A damaged copy (its dialog template gone) or a system out of
        // resources: nothing has been written, and the player is told so.
        TellDebugger("the progress dialog could not be made", error);
        ShowFailureBoxes(exit_code::kFailureDialogNotMade);
        exitCode_ = exit_code::kFailureDialogNotMade;
        return false;
    }
    exitCode_ = ExitCodeOf(dialog);
    return false;
}

int CKestrelApp::OnSystemPartMissing(const char* part, std::uint32_t error, bool canShowBoxes) {
    char what[256];
    std::snprintf(what, sizeof what, "%s could not be loaded", part);
    TellDebugger(what, error);
    if (canShowBoxes) ShowFailureBoxes(exit_code::kFailureSystemPartMissing);
    return exit_code::kFailureSystemPartMissing;
}

int CKestrelApp::ExitInstance() {
    if (m_hMutex != 0) {
        platform::Os().ReleaseMutex(m_hMutex);
        platform::Os().CloseMutex(m_hMutex);
        m_hMutex = 0;
    }
    CWinApp::ExitInstance();
    return exitCode_;
}

bool CKestrelApp::CheckMayRun() { return Admit() == Admission::kMayRun; }

CKestrelApp::Admission CKestrelApp::Admit() {
    platform::Platform& os = platform::Os();
    platform::Window running = os.FindWindow(kGameWindowClass);
    if (running == 0) running = os.FindWindow(kLauncherWindowClass);
    if (running != 0) {
        BringForward(running);
        return Admission::kGameRunning;
    }

    m_hMutex = os.CreateMutex(kInstanceMutexName);
    const std::uint32_t error = os.LastError();
    // A copy started with administrator rights holds a mutex that a normal
    // copy may not open: the name exists all the same.
    if (error == platform::win::kErrorAlreadyExists || (m_hMutex == 0 && error == platform::win::kErrorAccessDenied)) {
        // Only the name marks the other copy; our handle to it is not kept.
        if (m_hMutex != 0) os.CloseMutex(m_hMutex);
        m_hMutex = 0;
        return Admission::kAnotherCopyRunning;
    }
    return Admission::kMayRun;
}
