#include "platform/win32/Win32SystemLibrary.h"

#include <atomic>

namespace platform::win32 {

namespace {

// Set once SetDefaultDllDirectories has taken effect: from then on the
// system-folder flag of LoadLibraryEx is understood.
std::atomic<bool> g_searchFlagsUnderstood{false};

template <typename Function>
Function* KernelFunction(const char* name) {
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr) return nullptr;
    return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(::GetProcAddress(kernel, name)));
}

// "<system folder>\<name>", or false when it does not fit.
bool SystemPath(const char* name, char (&path)[MAX_PATH]) {
    const UINT folder = ::GetSystemDirectoryA(path, MAX_PATH);
    if (folder == 0 || folder >= MAX_PATH) return false;
    UINT at = folder;
    if (path[at - 1] != '\\') path[at++] = '\\';
    for (const char* from = name; *from != '\0'; ++from) {
        if (at + 1 >= MAX_PATH) return false;
        path[at++] = *from;
    }
    path[at] = '\0';
    return true;
}

bool IsRedirectedAssembly(const char* name) {
    wchar_t wide[MAX_PATH];
    if (::MultiByteToWideChar(CP_ACP, 0, name, -1, wide, MAX_PATH) == 0) return false;
    ACTCTX_SECTION_KEYED_DATA found{};
    found.cbSize = sizeof(found);
    return ::FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, wide, &found) != FALSE;
}

}  // namespace

void RestrictDllSearchToSystemFolder() {
    using SetDefaultDllDirectoriesFunction = BOOL WINAPI(DWORD);
    using SetDllDirectoryFunction = BOOL WINAPI(LPCWSTR);

    if (auto* setDefault = KernelFunction<SetDefaultDllDirectoriesFunction>("SetDefaultDllDirectories")) {
        if (setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE) g_searchFlagsUnderstood = true;
    }
    // Takes the current folder out of the search of loads that still use
    // the classic order (every load on a system without the call above).
    if (auto* setDllDirectory = KernelFunction<SetDllDirectoryFunction>("SetDllDirectoryW")) setDllDirectory(L"");
}

HMODULE LoadSystemLibrary(const char* name) {
    if (g_searchFlagsUnderstood) return ::LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return LoadSystemLibraryByPath(name);
}

HMODULE LoadSystemLibraryByPath(const char* name) {
    // A bare name may find a DLL that is not the system's; only a name that
    // the manifest redirects to the side-by-side store is safe bare. The
    // altered search order takes the DLL's own dependencies from its folder
    // rather than the program's.
    if (IsRedirectedAssembly(name)) return ::LoadLibraryExA(name, nullptr, 0);
    char path[MAX_PATH];
    if (!SystemPath(name, path)) {
        ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    return ::LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void PreloadSystemLibraries() {
    static const char* const kLoadedByTheSystemLater[] = {
        "version.dll",
        "uxtheme.dll",
        "msimg32.dll",
        "dwmapi.dll",
    };
    // A DLL that this Windows lacks is simply not there to be planted in its stead.
    for (const char* name : kLoadedByTheSystemLater) LoadSystemLibrary(name);
}

FARPROC SystemProcedure(const char* library, const char* procedure) {
    HMODULE module = LoadSystemLibrary(library);
    return module == nullptr ? nullptr : ::GetProcAddress(module, procedure);
}

}  // namespace platform::win32
