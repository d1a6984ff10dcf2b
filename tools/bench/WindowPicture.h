// A picture of what the screen shows inside one window's rectangle.
#pragma once

#include <windows.h>

namespace bench {

// Writes a 24-bit BMP file; false when the screen could not be read or the
// file not written.
bool SaveWindowPicture(HWND window, const char* path);

}  // namespace bench
