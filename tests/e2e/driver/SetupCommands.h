// Preparing the machine the installer will see: registry values, file dates and attributes.
#pragma once

namespace driver {

// Arguments in groups of four: key (under HKEY_CURRENT_USER), value name,
// type (sz | dword | qword | binary) and data (text, a number, or hex bytes).
int RegSet(int count, char** arguments);
int SetFileTimeUtc(const char* path, const char* dateTime);
int SetReadOnly(const char* path);
// The system's ANSI code page, as acp=NUMBER: names given on the command line
// arrive in it.
int PrintCodePage();

}  // namespace driver
