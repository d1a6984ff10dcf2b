// The dialog's texts are Traditional Chinese. Its template names the font
// with the default character set, which on a system of another code page
// picks a font without those glyphs (boxes instead of words). The controls
// get the template's font again, asked for with the Big5 character set, which
// makes the font mapper pick one that has them.
#pragma once

#include "platform/win32/WindowsApi.h"

namespace platform::win32 {

class ChineseDialogFont {
public:
    ChineseDialogFont() = default;
    ~ChineseDialogFont();
    ChineseDialogFont(const ChineseDialogFont&) = delete;
    ChineseDialogFont& operator=(const ChineseDialogFont&) = delete;

    // Gives the dialog's controls the font; call once, at WM_INITDIALOG. The
    // object must outlive the dialog's window.
    void ApplyTo(HWND dialog);

private:
    HFONT font_ = nullptr;
};

}  // namespace platform::win32
