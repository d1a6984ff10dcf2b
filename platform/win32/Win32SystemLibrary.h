// Where the program's DLLs may come from: the system folder only.
//
// A player runs the installer from a downloads folder, where any file a web
// page once dropped may lie. Windows looks in the program's own folder first
// for every DLL that is not one of its KnownDLLs, so a DLL named like a
// system one lying there would run with the player's rights. The program
// therefore restricts the search before anything else runs, and loads every
// DLL beyond its few static imports through LoadSystemLibrary.
#pragma once

#include "platform/win32/WindowsApi.h"

namespace platform::win32 {

// Makes the system folder the only place the process's own DLL loads search
// (SetDefaultDllDirectories where Windows has it; Windows 7 before update
// KB2533623 lacks it, and there the current folder at least is taken out of
// the search). Safe to call more than once; changes nothing it cannot.
void RestrictDllSearchToSystemFolder();

// Loads from the system folder, ahead of need, the DLLs that Windows' own
// DLLs load later by bare name (themes, drawing, version information):
// a later load by that name then finds the one already loaded. It closes the
// gap where the restriction above is missing (Windows 7 before KB2533623)
// or not honoured for those loads (Wine's delay-loaded imports).
void PreloadSystemLibraries();

// A DLL of the system folder by its bare name ("shell32.dll"), or null with
// the thread's last error set. Bare names keep the side-by-side redirection
// that the manifest asks for (the common controls version 6).
HMODULE LoadSystemLibrary(const char* name);

// The same from the DLL's full path in the system folder, as on a system
// without the system-folder flag (redirected assemblies by bare name).
HMODULE LoadSystemLibraryByPath(const char* name);

// A function of a system DLL, or null: for calls that older Windows lack.
// `Function` is the function's type, e.g. decltype(::SHGetFolderPathW).
FARPROC SystemProcedure(const char* library, const char* procedure);

template <typename Function>
Function* SystemFunction(const char* library, const char* procedure) {
    // Through the generic function pointer type, which converts to any other.
    return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(SystemProcedure(library, procedure)));
}

}  // namespace platform::win32
