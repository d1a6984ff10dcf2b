#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"

namespace platform {
namespace win32 {

namespace {
thread_local std::uint32_t t_lastError = 0;
}

void RecordLastError() { t_lastError = ::GetLastError(); }
void RecordLastError(std::uint32_t error) { t_lastError = error; }
std::uint32_t RecordedLastError() { return t_lastError; }

HKEY ToHkey(RegKey key) {
    if (key == kHkeyCurrentUser) return HKEY_CURRENT_USER;
    return reinterpret_cast<HKEY>(key);
}

}  // namespace win32

std::uint32_t Win32Platform::LastError() { return win32::RecordedLastError(); }

void Win32Platform::OutputDebugString(const char* text) { ::OutputDebugStringA(text); }

}  // namespace platform
