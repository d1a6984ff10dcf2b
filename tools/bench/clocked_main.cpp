// addonwarlord1_clocked: the installer as it ships (the same entry, DLL
// loading and resources), with one thing more: it notes on the performance
// counter when it calls its message boxes, and tells its starter when it has
// ended. The benchmark times the installer to its completion box's call with
// it. Unlike the traced build it times nothing else, so that it costs what
// the installer costs.
// First: the Windows headers' A/W macros would rename the platform's methods.
#include "platform/win32/WindowsApi.h"

#include "BoxMoments.h"
#include "TracedPlatform.h"
#include "platform/framework/CWinApp.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32ProcessStart.h"
#include "platform/win32/Win32SystemLibrary.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
    platform::win32::PreloadSystemLibraries();
    static bench::BoxMoments moments;
    static platform::Win32Platform win32;
    static bench::TracedPlatform os(win32, moments);
    platform::SetOs(&os);
    platform::win32::BindDelayLoadedImports();
    const int exitCode = platform::AfxWinMain();
    moments.Tell();
    return exitCode;
}
