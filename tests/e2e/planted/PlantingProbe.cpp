// The weakness the installer must not have, on purpose: loads each DLL named
// on its command line by bare name, with the search order a program gets
// when it sets none. Run beside the marker DLLs, it shows that a marker
// appears when a planted DLL is loaded: the test's own proof that it can see
// what it looks for. Exit status: how many of the names failed to load.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

// The command line's words after the program's own (names hold no spaces or quotes).
const wchar_t* SkipProgramName(const wchar_t* line) {
    if (*line == L'"') {
        ++line;
        while (*line != L'\0' && *line != L'"') ++line;
        if (*line == L'"') ++line;
    } else {
        while (*line != L'\0' && *line != L' ') ++line;
    }
    return line;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const wchar_t* rest = SkipProgramName(::GetCommandLineW());
    int failed = 0;
    wchar_t name[MAX_PATH];
    while (*rest != L'\0') {
        while (*rest == L' ') ++rest;
        int length = 0;
        while (*rest != L'\0' && *rest != L' ' && length < MAX_PATH - 1) name[length++] = *rest++;
        name[length] = L'\0';
        if (length > 0 && ::LoadLibraryW(name) == nullptr) ++failed;
    }
    return failed;
}
