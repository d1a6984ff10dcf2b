// Conversions between the platform's opaque handles and Win32's, and the
// per-thread last error that every operation records.
#pragma once

#include "platform/Platform.h"
#include "platform/win32/WindowsApi.h"

#include <cstdint>

namespace platform::win32 {

// Records ::GetLastError() for the calling thread; call right after the API.
void RecordLastError();
void RecordLastError(std::uint32_t error);
std::uint32_t RecordedLastError();

inline HWND ToHwnd(Window window) { return reinterpret_cast<HWND>(window); }
inline Window FromHwnd(HWND window) { return reinterpret_cast<Window>(window); }
inline HANDLE ToHandle(std::uintptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
inline std::uintptr_t FromHandle(HANDLE handle) { return reinterpret_cast<std::uintptr_t>(handle); }

// The platform spells HKEY_CURRENT_USER as its 32-bit value; Win32's is
// sign-extended on 64-bit Windows.
HKEY ToHkey(RegKey key);

}  // namespace platform::win32
