// The process-wide application object and the run of one program.
#pragma once

#include <cstdint>

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
    // A DLL of the system, or a function of one, that the program needs
    // (`part`, e.g. "shell32.dll" or "user32.dll!MessageBoxW") could not be
    // loaded (Win32 error `error`), and the run cannot go on. `canShowBoxes`
    // is false when message boxes are what is missing. Returns the process
    // exit status; the process ends right after.
    virtual int OnSystemPartMissing(const char* part, std::uint32_t error, bool canShowBoxes);

    CDialog* m_pMainWnd = nullptr;
};

// The application object, or null when none has been constructed.
CWinApp* AfxGetApp();

// Runs the application: InitInstance, then ExitInstance, whose value it
// returns. The program entry calls it once the platform is installed.
int AfxWinMain();

}  // namespace platform
