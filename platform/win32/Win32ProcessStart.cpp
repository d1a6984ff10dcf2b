// What runs before the C runtime starts: the DLL search is narrowed to the
// system folder in a TLS callback, which Windows calls once the static
// imports are loaded and before the program's entry point, so before any
// static constructor or other code of ours could load a DLL. The DLLs that
// the program uses beyond its static imports are delay-loaded; the hooks
// below have each of them taken from the system folder, and end the run in
// a defined way when one cannot be had: the helper's default is an
// exception that nothing handles, a silent crash.
//
// Compiled into the executable itself: the loader finds the callback and the
// delay-load helper finds the hooks only there.
#include "platform/win32/Win32ProcessStart.h"

#include "platform/framework/CWinApp.h"
#include "platform/win32/Win32SystemLibrary.h"

#include <delayimp.h>

#include <cstddef>
#include <cstdio>

// Made by the build (cmake/DelayLoad.cmake).
extern const ImgDelayDescr* const kDelayLoadedDescriptors[];

#if !defined(_MSC_VER)
// The helper that every delayed call goes through; mingw-w64's <delayimp.h>
// does not declare it, Microsoft's does.
extern "C" FARPROC WINAPI __delayLoadHelper2(PCImgDelayDescr descriptor, FARPROC* entry);
#endif

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

// "shell32.dll", or "shell32.dll!SHGetFolderPathW" for a function (by
// ordinal: "name.dll!#12") that the DLL lacks.
void DescribeMissingPart(unsigned notification, const DelayLoadInfo& info, char (&part)[160]) {
    if (notification != dliFailGetProc) {
        std::snprintf(part, sizeof part, "%s", info.szDll);
    } else if (info.dlp.fImportByName) {
        std::snprintf(part, sizeof part, "%s!%s", info.szDll, info.dlp.szProcName);
    } else {
        std::snprintf(part, sizeof part, "%s!#%lu", info.szDll, static_cast<unsigned long>(info.dlp.dwOrdinal));
    }
}

// Message boxes need user32, and the delayed call that shows one must not
// come back here.
bool CanShowBoxes(const DelayLoadInfo& info) {
    return ::lstrcmpiA(info.szDll, "user32.dll") != 0 && ::GetModuleHandleW(L"user32.dll") != nullptr;
}

FARPROC WINAPI EndRunOnMissingSystemPart(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliFailLoadLib && notification != dliFailGetProc) return nullptr;
    char part[160];
    DescribeMissingPart(notification, *info, part);
    platform::CWinApp* app = platform::AfxGetApp();
    const int status = app == nullptr ? -1 : app->OnSystemPartMissing(part, info->dwLastError, CanShowBoxes(*info));
    ::ExitProcess(static_cast<UINT>(status));
}

// The program's own image, as the loader mapped it.
const char* ImageBase() { return reinterpret_cast<const char*>(::GetModuleHandleW(nullptr)); }

const IMAGE_DATA_DIRECTORY& DelayImportDirectory() {
    const char* base = ImageBase();
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT];
}

// Calls `bind` with each delay-import descriptor of the image: from its
// delay-import directory where the linker filled it (Microsoft's), else from
// the table that the build made (GNU ld leaves the directory empty).
template <typename Bind>
void ForEachDelayLoadedDll(Bind bind) {
    const IMAGE_DATA_DIRECTORY& directory = DelayImportDirectory();
    if (directory.VirtualAddress == 0) {
        for (const ImgDelayDescr* const* descriptor = kDelayLoadedDescriptors; *descriptor != nullptr; ++descriptor) {
            bind(**descriptor);
        }
        return;
    }
    // The table ends with a zeroed entry.
    for (const auto* descriptor = reinterpret_cast<const ImgDelayDescr*>(ImageBase() + directory.VirtualAddress);
         descriptor->rvaDLLName != 0; ++descriptor) {
        bind(*descriptor);
    }
}

const char* DllName(const ImgDelayDescr& descriptor) { return ImageBase() + descriptor.rvaDLLName; }

// Loads the DLL and resolves every function the program imports from it,
// as its first call of each would.
void BindAll(const ImgDelayDescr& descriptor) {
    // Every image of this century gives relative addresses; the helper
    // itself refuses others.
    if ((descriptor.grAttrs & dlattrRva) == 0) return;
    const char* base = ImageBase();
    const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + descriptor.rvaINT);
    auto* addresses = reinterpret_cast<FARPROC*>(const_cast<char*>(base) + descriptor.rvaIAT);
    for (std::size_t i = 0; names[i].u1.AddressOfData != 0; ++i) ::__delayLoadHelper2(&descriptor, &addresses[i]);
}

}  // namespace

void platform::win32::BindDelayLoadedImports() {
    // user32 first: once it is bound, a DLL that fails after it can still be
    // told in a box.
    ForEachDelayLoadedDll([](const ImgDelayDescr& descriptor) {
        if (::lstrcmpiA(DllName(descriptor), "user32.dll") == 0) BindAll(descriptor);
    });
    ForEachDelayLoadedDll([](const ImgDelayDescr& descriptor) {
        if (::lstrcmpiA(DllName(descriptor), "user32.dll") != 0) BindAll(descriptor);
    });
}

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
__attribute__((used, section(".CRT$XLB"))) const PIMAGE_TLS_CALLBACK restrict_dll_search_callback =
    RestrictDllSearchAtStart;
}
#else
#error "place RestrictDllSearchAtStart in the TLS callback table for this compiler"
#endif

// <delayimp.h> declares the hook with C linkage; Microsoft's declares it
// const, mingw-w64's does not.
#if defined(_MSC_VER)
const PfnDliHook __pfnDliNotifyHook2 = LoadDelayedFromSystemFolder;
const PfnDliHook __pfnDliFailureHook2 = EndRunOnMissingSystemPart;
#else
PfnDliHook __pfnDliNotifyHook2 = LoadDelayedFromSystemFolder;
PfnDliHook __pfnDliFailureHook2 = EndRunOnMissingSystemPart;
#endif
