#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"

namespace platform {

bool Win32Platform::GetAnsiCodePage(AnsiCodePage* codePage) {
    CPINFO info = {};
    if (!::GetCPInfo(CP_ACP, &info)) {
        win32::RecordLastError();
        return false;
    }
    AnsiCodePage result;
    result.number = ::GetACP();
    result.utf8 = result.number == CP_UTF8;
    // Pairs of inclusive ranges, ended by a pair of zeros.
    for (int i = 0; i + 1 < MAX_LEADBYTES && (info.LeadByte[i] != 0 || info.LeadByte[i + 1] != 0); i += 2) {
        for (unsigned byte = info.LeadByte[i]; byte <= info.LeadByte[i + 1]; ++byte) result.leadBytes[byte] = true;
    }
    *codePage = result;
    win32::RecordLastError(ERROR_SUCCESS);
    return true;
}

int Win32Platform::WideCharToAnsi(std::uint32_t codePage, const char16_t* text, std::uint32_t flags, char* buffer,
                                  int size, bool* usedDefault) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 code units");
    BOOL used = FALSE;
    const int bytes = ::WideCharToMultiByte(codePage, flags, reinterpret_cast<const wchar_t*>(text), -1, buffer, size,
                                            nullptr, usedDefault != nullptr ? &used : nullptr);
    win32::RecordLastError(bytes == 0 ? ::GetLastError() : ERROR_SUCCESS);
    if (usedDefault != nullptr) *usedDefault = used != FALSE;
    return bytes;
}

}  // namespace platform
