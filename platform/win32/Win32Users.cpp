#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32SystemLibrary.h"

#include <wtsapi32.h>

#include <string>

namespace platform {

namespace {

class ScopedToken {
public:
    ScopedToken() {
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token_)) token_ = nullptr;
    }
    ~ScopedToken() {
        if (token_ != nullptr) ::CloseHandle(token_);
    }
    ScopedToken(const ScopedToken&) = delete;
    ScopedToken& operator=(const ScopedToken&) = delete;
    HANDLE Get() const { return token_; }

private:
    HANDLE token_ = nullptr;
};

// One piece of the process's token, whatever its size.
bool ReadProcessToken(TOKEN_INFORMATION_CLASS kind, std::vector<std::uint8_t>* bytes) {
    ScopedToken token;
    if (token.Get() == nullptr) return false;
    DWORD size = 0;
    ::GetTokenInformation(token.Get(), kind, nullptr, 0, &size);
    if (size == 0) return false;
    bytes->assign(size, 0);
    return ::GetTokenInformation(token.Get(), kind, bytes->data(), size, &size) != FALSE;
}

bool CopySid(PSID sid, std::vector<std::uint8_t>* out) {
    if (sid == nullptr || !::IsValidSid(sid)) return false;
    const auto* bytes = static_cast<const std::uint8_t*>(sid);
    out->assign(bytes, bytes + ::GetLengthSid(sid));
    return true;
}

// The terminal services serve only this question, so wtsapi32 is not
// imported: taken from the system folder when asked, and where it cannot be
// had the desktop's user is simply not known.
struct SessionFunctions {
    decltype(::WTSQuerySessionInformationW)* query = nullptr;
    decltype(::WTSFreeMemory)* release = nullptr;
};

const SessionFunctions& SystemSessionFunctions() {
    static const SessionFunctions functions{
        win32::SystemFunction<decltype(::WTSQuerySessionInformationW)>("wtsapi32.dll", "WTSQuerySessionInformationW"),
        win32::SystemFunction<decltype(::WTSFreeMemory)>("wtsapi32.dll", "WTSFreeMemory"),
    };
    return functions;
}

// A text about the process's own session, as the terminal services tell it.
bool SessionText(const SessionFunctions& session, WTS_INFO_CLASS kind, std::wstring* text) {
    LPWSTR buffer = nullptr;
    DWORD bytes = 0;
    if (!session.query(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, kind, &buffer, &bytes)) return false;
    text->assign(buffer != nullptr ? buffer : L"");
    session.release(buffer);
    return true;
}

bool LookUpAccount(const std::wstring& account, std::vector<std::uint8_t>* sid) {
    DWORD sidSize = 0;
    DWORD domainSize = 0;
    SID_NAME_USE use = SidTypeUnknown;
    ::LookupAccountNameW(nullptr, account.c_str(), nullptr, &sidSize, nullptr, &domainSize, &use);
    if (sidSize == 0) return false;
    std::vector<std::uint8_t> buffer(sidSize);
    std::wstring domain(domainSize + 1, L'\0');
    if (!::LookupAccountNameW(nullptr, account.c_str(), buffer.data(), &sidSize, &domain[0], &domainSize, &use)) {
        return false;
    }
    return CopySid(buffer.data(), sid);
}

}  // namespace

bool Win32Platform::GetProcessElevation(bool* elevated) {
    std::vector<std::uint8_t> bytes;
    const bool read = ReadProcessToken(TokenElevation, &bytes) && bytes.size() >= sizeof(TOKEN_ELEVATION);
    win32::RecordLastError();
    if (!read) return false;
    *elevated = reinterpret_cast<const TOKEN_ELEVATION*>(bytes.data())->TokenIsElevated != 0;
    return true;
}

bool Win32Platform::GetProcessUser(std::vector<std::uint8_t>* sid) {
    std::vector<std::uint8_t> bytes;
    const bool read = ReadProcessToken(TokenUser, &bytes) && bytes.size() >= sizeof(TOKEN_USER) &&
                      CopySid(reinterpret_cast<const TOKEN_USER*>(bytes.data())->User.Sid, sid);
    win32::RecordLastError();
    return read;
}

bool Win32Platform::GetDesktopUser(std::vector<std::uint8_t>* sid) {
    const SessionFunctions& session = SystemSessionFunctions();
    if (session.query == nullptr || session.release == nullptr) {
        win32::RecordLastError();
        return false;
    }
    std::wstring user;
    std::wstring domain;
    if (!SessionText(session, WTSUserName, &user) || !SessionText(session, WTSDomainName, &domain)) {
        win32::RecordLastError();
        return false;
    }
    // A session nobody is signed in to (a service's) has no user.
    if (user.empty()) {
        win32::RecordLastError(ERROR_NO_SUCH_LOGON_SESSION);
        return false;
    }
    const bool found = LookUpAccount(domain.empty() ? user : domain + L"\\" + user, sid);
    win32::RecordLastError();
    return found;
}

}  // namespace platform
