#include "platform/framework/CDialog.h"

#include "platform/framework/CProgressCtrl.h"

namespace platform {

namespace {
constexpr std::uint32_t kWmNcDestroy = 0x0082;

int LowWord(std::uintptr_t value) { return static_cast<int>(value & 0xFFFF); }
}  // namespace

void DDX_Control(CDataExchange* pDX, int controlId, CProgressCtrl& control) {
    if (control.GetSafeHwnd() == 0) control.Attach(pDX->m_pDlgWnd->GetDlgItem(controlId));
}

CDialog::CDialog(int templateId, CDialog* parent) : templateId_(templateId), parent_(parent) {}

CDialog::~CDialog() = default;

std::intptr_t CDialog::DoModal() {
    const std::intptr_t result = Os().RunModalDialog(templateId_, *this);
    window_.store(0, std::memory_order_release);
    return result;
}

void CDialog::EndDialog(std::intptr_t result) { Os().EndDialog(GetSafeHwnd(), result); }

Window CDialog::GetDlgItem(int controlId) const { return Os().GetDlgItem(GetSafeHwnd(), controlId); }

std::intptr_t CDialog::SendMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    return Os().SendMessage(GetSafeHwnd(), message, wParam, lParam);
}

void CDialog::SetDlgItemText(int controlId, const char* text) { Os().SetWindowText(GetDlgItem(controlId), text); }

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return true;
}

bool CDialog::HandleDialogMessage(Window dialog, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                                  std::intptr_t* result) {
    if (message == win::kWmInitDialog) window_.store(dialog, std::memory_order_release);
    const bool handled = OnWndMsg(message, wParam, lParam, result);
    // From here on the handle names no window of ours; posts to it are dropped.
    if (message == kWmNcDestroy) window_.store(0, std::memory_order_release);
    return handled;
}

bool CDialog::OnWndMsg(std::uint32_t message, std::uintptr_t wParam, std::intptr_t /*lParam*/, std::intptr_t* result) {
    switch (message) {
    case win::kWmInitDialog:
        *result = OnInitDialog() ? 1 : 0;
        return true;
    case win::kWmCommand:
        if (LowWord(wParam) == win::kIdOk) {
            OnOK();
        } else if (LowWord(wParam) == win::kIdCancel) {
            OnCancel();
        } else {
            return false;
        }
        *result = 0;
        return true;
    case win::kWmClose:
        OnCancel();
        *result = 0;
        return true;
    case win::kWmPaint:
        if (!OnPaint()) return false;
        *result = 0;
        return true;
    case win::kWmQueryDragIcon: {
        const IconHandle icon = OnQueryDragIcon();
        if (icon == 0) return false;
        *result = static_cast<std::intptr_t>(icon);
        return true;
    }
    default:
        return false;
    }
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    // Our templates put an ownerless dialog at 0,0 and leave the placing to us.
    if (parent_ == nullptr) Os().CenterWindowOnScreen(GetSafeHwnd());
    return true;
}

void CDialog::OnOK() {
    if (!UpdateData(true)) return;
    EndDialog(win::kIdOk);
}

void CDialog::OnCancel() { EndDialog(win::kIdCancel); }

bool CDialog::OnPaint() { return false; }

IconHandle CDialog::OnQueryDragIcon() { return 0; }

void CDialog::DoDataExchange(CDataExchange* /*pDX*/) {}

}  // namespace platform
