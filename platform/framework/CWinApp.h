// The process-wide application object and the run of one program.
#pragma once

namespace platform {

class CDialog;

class CWinApp {
public:
    // Registers this object as the application; the program has one.
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // True would ask for the application's own message loop; the base has
    // nothing to set up.
    virtual bool InitInstance();
    // The process exit code.
    virtual int ExitInstance();

    CDialog* m_pMainWnd = nullptr;
};

// The application object, or null when none has been constructed.
CWinApp* AfxGetApp();

// Runs the application: InitInstance, then ExitInstance, whose value it
// returns. The program entry calls it once the platform is installed.
int AfxWinMain();

}  // namespace platform
