// The installer's texts are code page 950 bytes; Windows shows them through
// its wide-character functions, so they read the same on any system code page.
#pragma once

#include <string>

namespace platform::win32 {

// `text` (code page 950, zero-terminated) as UTF-16. Should the system lack
// code page 950, the ANSI code page's reading is the best left.
std::wstring WideFromCodePage950(const char* text);

}  // namespace platform::win32
