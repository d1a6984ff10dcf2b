#include "WindowQueries.h"

namespace driver {
namespace {

// One try: long enough for a thread that is merely busy, short enough to
// look again well before the deadline.
constexpr DWORD kTryMs = 500;

std::optional<LRESULT> Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const Deadline& deadline) {
    for (;;) {
        if (!IsWindow(window)) return std::nullopt;
        DWORD_PTR result = 0;
        const DWORD tryMs = deadline.RemainingMs() < kTryMs ? deadline.RemainingMs() + 1 : kTryMs;
        if (SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, tryMs, &result)) {
            return static_cast<LRESULT>(result);
        }
        if (deadline.Passed()) return std::nullopt;
    }
}

}  // namespace

std::optional<LRESULT> Ask(HWND window, UINT message, WPARAM wParam, const Deadline& deadline) {
    return Send(window, message, wParam, 0, deadline);
}

std::optional<std::string> ItemText(HWND dialog, int id, const Deadline& deadline) {
    HWND item = GetDlgItem(dialog, id);
    if (!item) return std::nullopt;
    char text[1024] = {};
    const auto length = Send(item, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), deadline);
    if (!length) return std::nullopt;
    return std::string(
        text, static_cast<std::size_t>(*length) < sizeof text ? static_cast<std::size_t>(*length) : sizeof text - 1);
}

}  // namespace driver
