#include "app/KestrelDlg.h"

#include "app/ExitCodes.h"
#include "app/OutcomeBoxes.h"
#include "app/Texts.h"
#include "install/InstallMessages.h"
#include "install/ProgressDialogLink.h"
#include "resources/resource_ids.h"

#include <cstdio>

namespace {
constexpr int kProgressSteps = 12;

// Looks after the worker until the outcome has come. Its interval costs
// nothing but the wait before a lost outcome is told.
constexpr std::uintptr_t kWorkerWatchTimer = 1;
constexpr std::uint32_t kWorkerWatchMs = 250;
}  // namespace

CKestrelDlg::CKestrelDlg(platform::ThreadProc worker) : CDialog(IDD_PROGRESS_DIALOG), workerProc_(worker) {
    m_hIcon = platform::Os().LoadIcon(IDR_MAINFRAME);
    g_pProgressDlg.store(this);
}

CKestrelDlg::~CKestrelDlg() {
    g_pProgressDlg.store(nullptr);
    // The worker may have read the pointer just before it was cleared; this
    // object must outlive that read.
    JoinWorker();
}

void CKestrelDlg::JoinWorker() { worker_.Join(); }

void CKestrelDlg::DoDataExchange(platform::CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    platform::DDX_Control(pDX, IDC_PROGRESS, m_progress);
}

bool CKestrelDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    texts::FormattedText status;
    std::snprintf(status, sizeof status, texts::kStatusFormat.cp950, texts::kWarlordDisplayName);
    SetDlgItemText(IDC_STATUS, status);

    SendMessage(platform::win::kWmSetIcon, platform::win::kIconBig, static_cast<std::intptr_t>(m_hIcon));
    SendMessage(platform::win::kWmSetIcon, platform::win::kIconSmall, static_cast<std::intptr_t>(m_hIcon));

    m_progress.SetRange(0, kProgressSteps);
    m_progress.SetPos(0);
    MirrorOnTaskbar();

    worker_ = platform::AfxBeginThread(workerProc_, nullptr);
    WatchWorker();
    return true;
}

void CKestrelDlg::WatchWorker() {
    if (platform::Os().SetTimer(GetSafeHwnd(), kWorkerWatchTimer, kWorkerWatchMs)) return;
    // Without the watch a worker that never started would leave the dialog
    // up with nothing to end it; one that did start posts its outcome.
    if (!worker_.IsJoinable()) OnInstallError(exit_code::kFailureWorkerNotStarted);
}

// A worker that could not start, or that ended without its outcome reaching
// the dialog (its post failed), would leave the player before a dialog that
// has no close box and ignores Enter and Esc: both are told as failures.
void CKestrelDlg::OnWorkerWatch() {
    if (outcome_ != Outcome::kNone) return;
    if (!worker_.IsJoinable()) {
        OnInstallError(exit_code::kFailureWorkerNotStarted);
        return;
    }
    if (!worker_.HasEnded()) return;
    // Everything the worker posted was queued before it ended, and a timer
    // comes only while no posted message waits: by the next tick an outcome
    // it posted has been handled.
    if (!workerEndSeen_) {
        workerEndSeen_ = true;
        return;
    }
    OnInstallError(exit_code::kFailureNoOutcome);
}

void CKestrelDlg::StopWatchingWorker() { platform::Os().KillTimer(GetSafeHwnd(), kWorkerWatchTimer); }

bool CKestrelDlg::OnWndMsg(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t* result) {
    switch (message) {
    case WM_INSTALL_STEP:
        OnInstallStep();
        break;
    case WM_INSTALL_DONE:
        OnInstallDone();
        break;
    case WM_INSTALL_ERROR:
        OnInstallError(static_cast<int>(wParam));
        break;
    case platform::win::kWmTimer:
        if (wParam == kWorkerWatchTimer) OnWorkerWatch();
        break;
    default:
        break;
    }
    return CDialog::OnWndMsg(message, wParam, lParam, result);
}

void CKestrelDlg::OnInstallStep() {
    m_progress.DeltaPos(1);
    MirrorOnTaskbar();
}

void CKestrelDlg::OnInstallDone() {
    if (outcome_ != Outcome::kNone) return;
    outcome_ = Outcome::kSucceeded;
    StopWatchingWorker();
    m_progress.SetPos(kProgressSteps);
    MirrorOnTaskbar();
    ShowCompletionBox();
    EndDialog(1);
}

void CKestrelDlg::OnInstallError(int code) {
    if (outcome_ != Outcome::kNone) return;
    outcome_ = Outcome::kFailed;
    failureCode_ = code;
    StopWatchingWorker();
    MirrorOnTaskbar();
    ShowFailureBoxes(code);
    EndDialog(3);
}

// Every run comes to an outcome (see OnWorkerWatch), so the player is never
// left without a way out.
bool CKestrelDlg::MayEnd() const { return outcome_ != Outcome::kNone; }

void CKestrelDlg::MirrorOnTaskbar() {
    const platform::TaskbarProgress state =
        outcome_ == Outcome::kFailed ? platform::TaskbarProgress::kError : platform::TaskbarProgress::kNormal;
    platform::Os().SetTaskbarProgress(GetSafeHwnd(), state, m_progress.GetPos(), kProgressSteps);
}

void CKestrelDlg::OnOK() {
    if (MayEnd()) CDialog::OnOK();
}

void CKestrelDlg::OnCancel() {
    if (MayEnd()) CDialog::OnCancel();
}

bool CKestrelDlg::OnPaint() {
    platform::Platform& os = platform::Os();
    const platform::Window window = GetSafeHwnd();
    if (!os.IsIconic(window)) return CDialog::OnPaint();

    const std::uintptr_t deviceContext = os.BeginPaint(window);
    SendMessage(platform::win::kWmIconEraseBkgnd, deviceContext, 0);
    const int iconWidth = os.GetSystemMetrics(platform::win::kSmCxIcon);
    const int iconHeight = os.GetSystemMetrics(platform::win::kSmCyIcon);
    platform::Rect client;
    os.GetClientRect(window, &client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    os.DrawIcon(deviceContext, x, y, m_hIcon);
    os.EndPaint(window);
    return true;
}

platform::IconHandle CKestrelDlg::OnQueryDragIcon() { return m_hIcon; }
