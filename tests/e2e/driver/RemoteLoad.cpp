#include "RemoteLoad.h"

#include "Report.h"

#include <windows.h>
#include <psapi.h>

#include <memory>
#include <string>
#include <vector>

namespace driver {
namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// The address of `function` of kernel32 in `process`: kernel32 need not lie
// at the same address there as here, its layout is the same.
FARPROC RemoteKernelFunction(HANDLE process, const char* function) {
    HMODULE localKernel = GetModuleHandleW(L"kernel32.dll");
    FARPROC local = GetProcAddress(localKernel, function);
    if (local == nullptr) return nullptr;
    std::vector<HMODULE> modules(1024);
    DWORD needed = 0;
    if (!EnumProcessModulesEx(process, modules.data(), static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &needed,
                              LIST_MODULES_ALL)) {
        return nullptr;
    }
    modules.resize(needed / sizeof(HMODULE));
    for (HMODULE module : modules) {
        wchar_t name[MAX_PATH] = {};
        if (GetModuleBaseNameW(process, module, name, MAX_PATH) != 0 && lstrcmpiW(name, L"kernel32.dll") == 0) {
            const auto offset = reinterpret_cast<const char*>(local) - reinterpret_cast<const char*>(localKernel);
            return reinterpret_cast<FARPROC>(reinterpret_cast<char*>(module) + offset);
        }
    }
    return nullptr;
}

}  // namespace

int LoadInProcess(const WatchedProcess& watched, const char* name, double timeoutSeconds) {
    if (!watched.Watching()) {
        Line("remote_load_error", "no process to load in (--pid)");
        return 1;
    }
    UniqueHandle process(OpenProcess(
        PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ,
        FALSE, watched.Id()));
    if (!process) {
        Line("remote_load_error", "OpenProcess " + std::to_string(GetLastError()));
        return 1;
    }
    FARPROC load = RemoteKernelFunction(process.get(), "LoadLibraryW");
    if (load == nullptr) {
        Line("remote_load_error", "no kernel32 in the process");
        return 1;
    }
    std::wstring wide(name, name + lstrlenA(name));
    const SIZE_T bytes = (wide.size() + 1) * sizeof(wchar_t);
    void* remoteName = VirtualAllocEx(process.get(), nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (remoteName == nullptr || !WriteProcessMemory(process.get(), remoteName, wide.c_str(), bytes, nullptr)) {
        Line("remote_load_error", "cannot write the name there: " + std::to_string(GetLastError()));
        return 1;
    }
    const auto start = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void (*)()>(load));
    UniqueHandle thread(CreateRemoteThread(process.get(), nullptr, 0, start, remoteName, 0, nullptr));
    if (!thread) {
        Line("remote_load_error", "CreateRemoteThread " + std::to_string(GetLastError()));
        return 1;
    }
    DWORD status = 0;
    if (WaitForSingleObject(thread.get(), static_cast<DWORD>(timeoutSeconds * 1000)) != WAIT_OBJECT_0 ||
        !GetExitCodeThread(thread.get(), &status)) {
        Line("remote_load_error", "the loading thread did not end");
        return 1;
    }
    VirtualFreeEx(process.get(), remoteName, 0, MEM_RELEASE);
    // The thread's status is the module handle's low half: zero only when nothing loaded.
    Line("remote_load", status != 0 ? "loaded" : "not-loaded");
    return 0;
}

}  // namespace driver
