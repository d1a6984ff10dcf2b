// A modal dialog over platform::Os(): the template's window, its messages
// dispatched to virtual handlers, and the binding of its controls.
#pragma once

#include "platform/Platform.h"

#include <atomic>
#include <cstdint>

namespace platform {

class CDialog;
class CProgressCtrl;

// One exchange between a dialog's members and its controls.
class CDataExchange {
public:
    CDataExchange(CDialog* dialog, bool saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CDialog* m_pDlgWnd;
    bool m_bSaveAndValidate;
};

// Binds `control` to the dialog's control `controlId`.
void DDX_Control(CDataExchange* pDX, int controlId, CProgressCtrl& control);

class CDialog : public DialogHandler {
public:
    explicit CDialog(int templateId, CDialog* parent = nullptr);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog until EndDialog; returns the value given to it, or -1
    // when the dialog could not be made.
    std::intptr_t DoModal();

    // The dialog's window, 0 when it has none. Safe from any thread.
    Window GetSafeHwnd() const { return window_.load(std::memory_order_acquire); }

    void EndDialog(std::intptr_t result);
    Window GetDlgItem(int controlId) const;
    std::intptr_t SendMessage(std::uint32_t message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
    void SetDlgItemText(int controlId, const char* text);
    // False: controls to members; true: members from controls.
    bool UpdateData(bool saveAndValidate = true);

    bool HandleDialogMessage(Window dialog, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                             std::intptr_t* result) final;

protected:
    // Every message of the dialog. Returns true when handled, with the
    // message's result in `result`.
    virtual bool OnWndMsg(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t* result);
    // Returns whether the system should give the default control the focus.
    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    // Returns false to leave the painting to the system.
    virtual bool OnPaint();
    // The icon shown while the minimised dialog is dragged; 0 for the system's.
    virtual IconHandle OnQueryDragIcon();
    virtual void DoDataExchange(CDataExchange* pDX);

private:
    int templateId_;
    CDialog* parent_;
    std::atomic<Window> window_{0};
};

}  // namespace platform
