// The one place that includes the Windows headers. Their A/W macros would
// rename our Platform methods of the same names, so they are removed here and
// the ...A functions are called by their own names.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef STRICT
#define STRICT
#endif

#include <windows.h>

#include <commctrl.h>
#include <process.h>
#include <shlobj.h>
#include <shlwapi.h>

#undef CopyFile
#undef CreateDirectory
#undef CreateFile
#undef CreateMutex
#undef DeleteFile
#undef DrawText
#undef FindResource
#undef FindWindow
#undef GetFileAttributes
#undef GetObject
#undef LoadIcon
#undef MessageBox
#undef MoveFileEx
#undef OutputDebugString
#undef PathFileExists
#undef PostMessage
#undef RegOpenKeyEx
#undef RegQueryValueEx
#undef SendMessage
#undef SetDlgItemText
#undef SetFileAttributes
#undef SetWindowText
