// The driver's output: one key=value line per fact, for shell scripts to assert on.
#pragma once

#include <windows.h>

#include <string>

namespace driver {

void Line(const char* key, const std::string& value);
void Line(const char* key, long long value);
void HexLine(const char* key, const std::string& bytes);  // bytes as lower-case hex pairs
void HexWordLine(const char* key, DWORD value);           // 0x-prefixed, eight digits
void WindowLine(const char* key, HWND window);            // 0x-prefixed handle value

// Texts read from another process's windows, as the raw bytes of its code page.
std::string WindowText(HWND window);
std::string DialogItemText(HWND dialog, int id);

}  // namespace driver
