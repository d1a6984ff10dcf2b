// addonwarlord1_traced: the installer, with each platform call it makes and
// each dialog message it handles timed, for finding where a run's time goes.
// A benchmark tool only: the installer itself writes no log. The record goes
// to installer-trace.txt in the documents folder when the run ends.
// First: the Windows headers' A/W macros would rename the platform's methods.
#include "platform/win32/WindowsApi.h"

#include "CallTrace.h"
#include "TracedPlatform.h"
#include "platform/framework/CWinApp.h"
#include "platform/win32/Win32Platform.h"

#include <string>

namespace {

std::string TracePath() {
    char documents[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, 0, documents))) return "installer-trace.txt";
    return std::string(documents) + "\\installer-trace.txt";
}

}  // namespace

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
    static bench::CallTrace trace;
    static platform::Win32Platform win32;
    static bench::TracedPlatform os(win32, trace);
    platform::SetOs(&os);
    const int exitCode = platform::AfxWinMain();
    trace.WriteTo(TracePath().c_str());
    return exitCode;
}
