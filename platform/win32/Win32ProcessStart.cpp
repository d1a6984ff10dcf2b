// What runs before the C runtime starts: the DLL search is narrowed to the
// system folder in a TLS callback, which Windows calls once the static
// imports are loaded and before the program's entry point, so before any
// static constructor or other code of ours could load a DLL. The DLLs that
// the program uses beyond its static imports are delay-loaded; the hook
// below has each of them taken from the system folder.
//
// Compiled into the executable itself: the loader finds the callback and the
// delay-load helper finds the hook only there.
#include "platform/win32/Win32SystemLibrary.h"

#include <delayimp.h>

namespace {

void NTAPI RestrictDllSearchAtStart(PVOID /*module*/, DWORD reason, PVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) platform::win32::RestrictDllSearchToSystemFolder();
}

FARPROC WINAPI LoadDelayedFromSystemFolder(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreLoadLibrary) return nullptr;
    // Should this fail, a null result lets the helper try the bare name: the
    // restricted search confines that to the system folder, and the DLLs
    // delay-loaded here are KnownDLLs or redirected by the manifest, which
    // Windows never takes from the program's folder anyway.
    return reinterpret_cast<FARPROC>(platform::win32::LoadSystemLibrary(info->szDll));
}

}  // namespace

// The callback table lies between the C runtime's markers .CRT$XLA and
// .CRT$XLZ; "B" sorts before the runtime's own callbacks.
#if defined(_MSC_VER)
#pragma comment(linker, "/INCLUDE:_tls_used")
#pragma comment(linker, "/INCLUDE:restrict_dll_search_callback")
#pragma const_seg(".CRT$XLB")
extern "C" {
extern const PIMAGE_TLS_CALLBACK restrict_dll_search_callback;
const PIMAGE_TLS_CALLBACK restrict_dll_search_callback = RestrictDllSearchAtStart;
}
#pragma const_seg()
#elif defined(__GNUC__)
extern "C" {
extern const PIMAGE_TLS_CALLBACK restrict_dll_search_callback;
__attribute__((used, section(".CRT$XLB")))
const PIMAGE_TLS_CALLBACK restrict_dll_search_callback = RestrictDllSearchAtStart;
}
#else
#error "place RestrictDllSearchAtStart in the TLS callback table for this compiler"
#endif

// <delayimp.h> declares the hook with C linkage; Microsoft's declares it
// const, mingw-w64's does not.
#if defined(_MSC_VER)
const PfnDliHook __pfnDliNotifyHook2 = LoadDelayedFromSystemFolder;
#else
PfnDliHook __pfnDliNotifyHook2 = LoadDelayedFromSystemFolder;
#endif
