// The program entry: the real platform, then the application object's run.
#include "platform/framework/CWinApp.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32ProcessStart.h"
#include "platform/win32/Win32SystemLibrary.h"
#include "platform/win32/WindowsApi.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
    platform::win32::PreloadSystemLibraries();
    static platform::Win32Platform os;
    platform::SetOs(&os);
    platform::win32::BindDelayLoadedImports();
    return platform::AfxWinMain();
}
