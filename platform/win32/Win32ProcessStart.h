// What the program entry does before the application runs, beside the DLL
// search narrowed in a TLS callback (Win32ProcessStart.cpp).
#pragma once

namespace platform::win32 {

// Loads every delay-loaded DLL of the program and binds all its functions
// now, before anything is shown or written: a DLL or function that this
// system cannot give then ends the run here, told to the player where a
// box can still be shown (CWinApp::OnSystemPartMissing), and never later
// with a half-done step. Call once the platform is installed.
void BindDelayLoadedImports();

}  // namespace platform::win32
