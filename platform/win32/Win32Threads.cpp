#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"

#include <memory>

namespace platform {

namespace {
struct ThreadStart {
    ThreadProc proc;
    void* param;
};

unsigned __stdcall RunThread(void* start) {
    const std::unique_ptr<ThreadStart> owned(static_cast<ThreadStart*>(start));
    return owned->proc(owned->param);
}
}  // namespace

ThreadHandle Win32Platform::StartThread(ThreadProc proc, void* param) {
    auto start = std::make_unique<ThreadStart>(ThreadStart{proc, param});
    const std::uintptr_t thread = ::_beginthreadex(nullptr, 0, RunThread, start.get(), 0, nullptr);
    win32::RecordLastError();
    if (thread != 0) start.release();  // the thread owns it now
    return thread;
}

void Win32Platform::JoinThread(ThreadHandle thread) {
    if (thread == 0) return;
    ::WaitForSingleObject(win32::ToHandle(thread), INFINITE);
    ::CloseHandle(win32::ToHandle(thread));
}

bool Win32Platform::HasThreadEnded(ThreadHandle thread) {
    const DWORD state = ::WaitForSingleObject(win32::ToHandle(thread), 0);
    win32::RecordLastError();
    return state == WAIT_OBJECT_0;
}

void Win32Platform::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace platform
