#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"

namespace platform {

using win32::RecordLastError;

long Win32Platform::RegOpenKeyEx(RegKey parent, const char* subKey, std::uint32_t options, std::uint32_t access,
                                 RegKey* result) {
    HKEY opened = nullptr;
    const LONG status = ::RegOpenKeyExA(win32::ToHkey(parent), subKey, options, access, &opened);
    RecordLastError(static_cast<std::uint32_t>(status));
    *result = status == ERROR_SUCCESS ? reinterpret_cast<RegKey>(opened) : 0;
    return status;
}

long Win32Platform::RegQueryValueEx(RegKey key, const char* valueName, std::uint32_t* type, std::uint8_t* data,
                                    std::uint32_t* size) {
    DWORD valueType = 0;
    DWORD byteCount = size != nullptr ? *size : 0;
    const LONG status = ::RegQueryValueExA(win32::ToHkey(key), valueName, nullptr, &valueType, data,
                                           size != nullptr ? &byteCount : nullptr);
    RecordLastError(static_cast<std::uint32_t>(status));
    if (type != nullptr) *type = valueType;
    if (size != nullptr) *size = byteCount;
    return status;
}

long Win32Platform::RegCloseKey(RegKey key) {
    const LONG status = ::RegCloseKey(win32::ToHkey(key));
    RecordLastError(static_cast<std::uint32_t>(status));
    return status;
}

}  // namespace platform
