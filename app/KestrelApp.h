// The installer's application object: refuses to run beside the game, its
// launcher or a second copy of itself, and otherwise runs the progress dialog.
#pragma once

#include "platform/Platform.h"
#include "platform/framework/CWinApp.h"

class CKestrelApp : public platform::CWinApp {
public:
    // `worker` is the thread procedure that the dialog starts.
    explicit CKestrelApp(platform::ThreadProc worker);
    CKestrelApp();
    ~CKestrelApp() override;

    bool InitInstance() override;
    // Returns the process exit status (app/ExitCodes.h).
    int ExitInstance() override;
    // Tells the player (failure 504) where a box can still be shown.
    int OnSystemPartMissing(const char* part, std::uint32_t error, bool canShowBoxes) override;

    // True when the installer may run; the single-instance mutex is then in
    // m_hMutex (0 only when it could not be created at all).
    bool CheckMayRun();

    platform::MutexHandle m_hMutex = 0;

private:
    enum class Admission { kMayRun, kGameRunning, kAnotherCopyRunning };
    Admission Admit();

    platform::ThreadProc worker_;
    int exitCode_;
};
