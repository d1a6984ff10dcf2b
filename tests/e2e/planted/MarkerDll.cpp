// A DLL that stands for one an attacker left beside the installer: when any
// process loads it, it leaves "<its own file name>.loaded" in the folder that
// AW_TEST_MARKER_DIR names (holding, in UTF-16, its path and the loading
// program's), and nothing else. One build is copied under many
// system DLL names. It has no C runtime, so that nothing but kernel32 (always
// loaded already) stands between its load and its mark.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

const wchar_t* BaseName(const wchar_t* path) {
    const wchar_t* base = path;
    for (const wchar_t* at = path; *at != L'\0'; ++at) {
        if (*at == L'\\' || *at == L'/') base = at + 1;
    }
    return base;
}

void LeaveMarker(HINSTANCE self) {
    wchar_t own_path[MAX_PATH];
    const DWORD own_length = ::GetModuleFileNameW(self, own_path, MAX_PATH);
    if (own_length == 0 || own_length >= MAX_PATH) return;

    wchar_t marker[2 * MAX_PATH + 16];
    const DWORD folder_length = ::GetEnvironmentVariableW(L"AW_TEST_MARKER_DIR", marker, MAX_PATH);
    if (folder_length == 0 || folder_length >= MAX_PATH) return;
    ::lstrcatW(marker, L"\\");
    ::lstrcatW(marker, BaseName(own_path));
    ::lstrcatW(marker, L".loaded");

    // Which process loaded which file, for the test's failure message.
    wchar_t process_path[MAX_PATH];
    const DWORD process_length = ::GetModuleFileNameW(nullptr, process_path, MAX_PATH);
    HANDLE file = ::CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, own_path, own_length * sizeof(wchar_t), &written, nullptr);
    ::WriteFile(file, L" loaded by ", 11 * sizeof(wchar_t), &written, nullptr);
    if (process_length < MAX_PATH) ::WriteFile(file, process_path, process_length * sizeof(wchar_t), &written, nullptr);
    ::CloseHandle(file);
}

}  // namespace

extern "C" BOOL WINAPI MarkerDllEntry(HINSTANCE self, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) LeaveMarker(self);
    return TRUE;
}
