#include "platform/win32/Win32Text.h"

#include "platform/win32/WindowsApi.h"

namespace platform::win32 {

namespace {
constexpr UINT kCodePage950 = 950;

// Empty when `codePage` cannot read `text`.
std::wstring Widen(UINT codePage, const char* text) {
    const int length = ::MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (::MultiByteToWideChar(codePage, 0, text, -1, &wide[0], length) != length) return std::wstring();
    wide.resize(static_cast<std::size_t>(length) - 1);  // the terminator stays std::wstring's own
    return wide;
}
}  // namespace

std::wstring WideFromCodePage950(const char* text) {
    if (text == nullptr || *text == '\0') return std::wstring();
    std::wstring wide = Widen(kCodePage950, text);
    if (wide.empty()) wide = Widen(CP_ACP, text);
    return wide;
}

}  // namespace platform::win32
