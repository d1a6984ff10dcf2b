#include "app/KestrelDlg.h"

#include "app/Texts.h"
#include "install/InstallMessages.h"
#include "install/ProgressDialogLink.h"
#include "resources/resource_ids.h"

#include <cstdio>

namespace {
constexpr int kProgressSteps = 12;

// Generous for the longest format with the display name and any int.
using TextBuffer = char[256];
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

    TextBuffer status;
    std::snprintf(status, sizeof status, texts::kStatusFormat.cp950, texts::kWarlordDisplayName);
    SetDlgItemText(IDC_STATUS, status);

    SendMessage(platform::win::kWmSetIcon, platform::win::kIconBig, static_cast<std::intptr_t>(m_hIcon));
    SendMessage(platform::win::kWmSetIcon, platform::win::kIconSmall, static_cast<std::intptr_t>(m_hIcon));

    m_progress.SetRange(0, kProgressSteps);
    m_progress.SetPos(0);
    MirrorOnTaskbar();

    worker_ = platform::AfxBeginThread(workerProc_, nullptr);
    return true;
}

bool CKestrelDlg::OnWndMsg(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                           std::intptr_t* result) {
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
    m_progress.SetPos(kProgressSteps);
    MirrorOnTaskbar();

    TextBuffer text;
    std::snprintf(text, sizeof text, texts::kDoneFormat.cp950, texts::kWarlordDisplayName);
    ShowInstallerMessageBox(text);
    EndDialog(1);
}

void CKestrelDlg::OnInstallError(int code) {
    if (outcome_ != Outcome::kNone) return;
    outcome_ = Outcome::kFailed;
    failureCode_ = code;
    MirrorOnTaskbar();
    if (const UiText* specific = texts::FailureText(code)) ShowInstallerMessageBox(specific->cp950);

    TextBuffer text;
    std::snprintf(text, sizeof text, texts::kFailedFormat.cp950, texts::kWarlordDisplayName, code);
    ShowInstallerMessageBox(text);
    EndDialog(3);
}

bool CKestrelDlg::MayEnd() const {
    // Without a worker nothing is being written, and nothing would ever end
    // the dialog otherwise.
    return outcome_ != Outcome::kNone || !worker_.IsJoinable();
}

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
