#include "platform/win32/Win32DialogFont.h"

namespace platform::win32 {

ChineseDialogFont::~ChineseDialogFont() {
    if (font_ != nullptr) ::DeleteObject(font_);
}

void ChineseDialogFont::ApplyTo(HWND dialog) {
    const auto templateFont = reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0));
    LOGFONTW face{};
    if (templateFont == nullptr || font_ != nullptr ||
        ::GetObjectW(templateFont, sizeof face, &face) != static_cast<int>(sizeof face)) {
        return;
    }
    face.lfCharSet = CHINESEBIG5_CHARSET;
    font_ = ::CreateFontIndirectW(&face);
    if (font_ == nullptr) return;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    }
}

}  // namespace platform::win32
