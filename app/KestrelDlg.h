// The progress dialog: starts the installation worker and turns what it
// posts into progress, the completion box or the failure boxes.
#pragma once

#include "platform/Platform.h"
#include "platform/framework/CDialog.h"
#include "platform/framework/CProgressCtrl.h"
#include "platform/framework/CWinThread.h"

class CKestrelDlg : public platform::CDialog {
public:
    // What the installation reported, as far as the dialog has shown it.
    enum class Outcome { kNone, kSucceeded, kFailed };

    // `worker` is the thread procedure started when the dialog opens.
    explicit CKestrelDlg(platform::ThreadProc worker);
    ~CKestrelDlg() override;

    // Waits for the worker to end; the dialog's window is gone by then, so
    // its last posts are dropped.
    void JoinWorker();

    Outcome GetOutcome() const { return outcome_; }
    // The code of a reported failure; meaningless for other outcomes.
    int FailureCode() const { return failureCode_; }

    platform::IconHandle m_hIcon = 0;
    platform::CProgressCtrl m_progress;

protected:
    void DoDataExchange(platform::CDataExchange* pDX) override;
    bool OnWndMsg(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t* result) override;
    bool OnInitDialog() override;
    // Enter, Esc and a close request end the dialog only once the worker has
    // reported its outcome: the worker must never be cut off mid-write.
    void OnOK() override;
    void OnCancel() override;
    bool OnPaint() override;
    platform::IconHandle OnQueryDragIcon() override;

private:
    void OnInstallStep();
    void OnInstallDone();
    void OnInstallError(int code);
    void WatchWorker();
    void OnWorkerWatch();
    void StopWatchingWorker();
    bool MayEnd() const;
    // Shows the bar on the dialog's taskbar button: red once a failure came.
    void MirrorOnTaskbar();

    platform::ThreadProc workerProc_;
    platform::CWinThread worker_;
    Outcome outcome_ = Outcome::kNone;
    int failureCode_ = 0;
    bool workerEndSeen_ = false;
};
