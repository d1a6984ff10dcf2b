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
    // Pairs of inclusive ranges, ended by a pair of zeros.
    for (int i = 0; i + 1 < MAX_LEADBYTES && (info.LeadByte[i] != 0 || info.LeadByte[i + 1] != 0); i += 2) {
        for (unsigned byte = info.LeadByte[i]; byte <= info.LeadByte[i + 1]; ++byte) result.leadBytes[byte] = true;
    }
    *codePage = result;
    win32::RecordLastError(ERROR_SUCCESS);
    return true;
}

}  // namespace platform
