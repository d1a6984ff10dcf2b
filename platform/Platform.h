// The one seam between the installer and the operating system.
//
// Everything the program asks of Windows goes through `Platform`. The real
// program uses the Win32 implementation (platform/win32); the unit tests use
// the in-memory double (platform/fake), which models Windows' rules rather
// than POSIX ones. Strings are narrow. Names of files, registry keys and
// values, windows and mutexes are in the system's ANSI code page, as Windows
// itself hands them out. Texts that the user reads (SetWindowText,
// MessageBox) are code page 950 (Big5) bytes whatever the system's code page:
// the implementation shows them as that code page's characters, so a player
// whose system is not set to Traditional Chinese reads the same words.
//
// Error reporting follows Win32: an operation returns its natural result and
// leaves a Win32 error code for `LastError()` (per thread) when it fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Opaque handles. Zero is "none" for every kind except files, whose invalid
// value is kInvalidFile, as with Win32's INVALID_HANDLE_VALUE.
using Window = std::uintptr_t;
using RegKey = std::uintptr_t;
using FileHandle = std::uintptr_t;
using MutexHandle = std::uintptr_t;
using ThreadHandle = std::uintptr_t;
using IconHandle = std::uintptr_t;
using ResourceHandle = std::uintptr_t;

constexpr FileHandle kInvalidFile = ~static_cast<FileHandle>(0);
constexpr RegKey kHkeyCurrentUser = 0x80000001u;

// Win32 values the installer passes or checks, spelled out so that no code
// outside platform/ needs <windows.h>.
namespace win {
constexpr std::uint32_t kErrorSuccess = 0;
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorPathNotFound = 3;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr std::uint32_t kErrorSharingViolation = 32;
constexpr std::uint32_t kErrorLockViolation = 33;
constexpr std::uint32_t kErrorHandleDiskFull = 39;
constexpr std::uint32_t kErrorFileExists = 80;
constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorDiskFull = 112;
constexpr std::uint32_t kErrorInsufficientBuffer = 122;
constexpr std::uint32_t kErrorAlreadyExists = 183;
constexpr std::uint32_t kErrorFilenameTooLong = 206;
constexpr std::uint32_t kErrorMoreData = 234;
// The cloud files platform (Windows 10 1709 and later), as Windows'
// documentation of its system error codes numbers them; the mingw-w64
// headers of this toolchain lack them. Each is what reading a placeholder
// whose data is not on this device gives when the sync client cannot fetch
// it: not running, offline, failing or refusing.
constexpr std::uint32_t kErrorCloudFileProviderUnknown = 358;
constexpr std::uint32_t kErrorCloudFileProviderNotRunning = 362;
constexpr std::uint32_t kErrorCloudFileMetadataCorrupt = 363;
constexpr std::uint32_t kErrorCloudFileAuthenticationFailed = 386;
constexpr std::uint32_t kErrorCloudFileInsufficientResources = 387;
constexpr std::uint32_t kErrorCloudFileNetworkUnavailable = 388;
constexpr std::uint32_t kErrorCloudFileUnsuccessful = 389;
constexpr std::uint32_t kErrorCloudFileInUse = 391;
constexpr std::uint32_t kErrorCloudFileRequestAborted = 393;
constexpr std::uint32_t kErrorCloudFileAccessDenied = 395;
constexpr std::uint32_t kErrorCloudFileRequestCanceled = 398;
constexpr std::uint32_t kErrorCloudFileProviderTerminated = 404;
constexpr std::uint32_t kErrorCloudFileRequestTimeout = 426;
constexpr std::uint32_t kErrorInvalidFlags = 1004;
constexpr std::uint32_t kErrorNoUnicodeTranslation = 1113;
// Truncating or overwriting a file that a program has mapped into memory.
constexpr std::uint32_t kErrorUserMappedFile = 1224;
// A file whose reparse point no filter serves (a placeholder while the cloud
// files filter is not there).
constexpr std::uint32_t kErrorCantAccessFile = 1920;

constexpr std::uint32_t kCpAcp = 0;
constexpr std::uint32_t kCpUtf8 = 65001;
constexpr std::uint32_t kWcErrInvalidChars = 0x80;
constexpr std::uint32_t kWcNoBestFitChars = 0x400;

constexpr std::uint32_t kKeyAllAccess = 0xF003F;
constexpr std::uint32_t kKeyRead = 0x20019;

constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;
constexpr std::uint32_t kFileAttributeReadOnly = 0x01;
constexpr std::uint32_t kFileAttributeHidden = 0x02;
constexpr std::uint32_t kFileAttributeDirectory = 0x10;
constexpr std::uint32_t kFileAttributeArchive = 0x20;
constexpr std::uint32_t kFileAttributeNormal = 0x80;
constexpr std::uint32_t kFileAttributeOffline = 0x1000;
// The file has no data here: opening it fetches it (RECALL_ON_OPEN), or
// reading its data does (RECALL_ON_DATA_ACCESS: a cloud file kept online only).
constexpr std::uint32_t kFileAttributeRecallOnOpen = 0x40000;
constexpr std::uint32_t kFileAttributeRecallOnDataAccess = 0x400000;

constexpr std::uint32_t kDelete = 0x10000;
constexpr std::uint32_t kGenericRead = 0x80000000u;
constexpr std::uint32_t kGenericWrite = 0x40000000u;
constexpr std::uint32_t kFileShareRead = 0x1;
constexpr std::uint32_t kFileShareWrite = 0x2;
constexpr std::uint32_t kFileShareDelete = 0x4;
constexpr std::uint32_t kCreateNew = 1;
constexpr std::uint32_t kCreateAlways = 2;
constexpr std::uint32_t kOpenExisting = 3;
constexpr std::uint32_t kOpenAlways = 4;
constexpr std::uint32_t kTruncateExisting = 5;

constexpr std::uint32_t kFileBegin = 0;
constexpr std::uint32_t kFileCurrent = 1;
constexpr std::uint32_t kFileEnd = 2;

constexpr std::uint32_t kMoveFileReplaceExisting = 0x1;

constexpr int kSwRestore = 9;

constexpr std::uint32_t kWmUser = 0x0400;
constexpr std::uint32_t kWmSetText = 0x000C;
constexpr std::uint32_t kWmPaint = 0x000F;
constexpr std::uint32_t kWmClose = 0x0010;
constexpr std::uint32_t kWmQueryDragIcon = 0x0037;
constexpr std::uint32_t kWmSetIcon = 0x0080;
constexpr std::uint32_t kWmInitDialog = 0x0110;
constexpr std::uint32_t kWmCommand = 0x0111;
constexpr std::uint32_t kWmTimer = 0x0113;
constexpr std::uint32_t kWmIconEraseBkgnd = 0x0027;
constexpr std::uint32_t kIconSmall = 0;
constexpr std::uint32_t kIconBig = 1;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

constexpr std::uint32_t kPbmSetRange = 0x0401;
constexpr std::uint32_t kPbmSetPos = 0x0402;
constexpr std::uint32_t kPbmDeltaPos = 0x0403;
constexpr std::uint32_t kPbmGetRange = 0x0407;
constexpr std::uint32_t kPbmGetPos = 0x0408;

constexpr std::uint32_t kMbOk = 0x0;
constexpr std::uint32_t kMbTaskModal = 0x2000;
constexpr std::uint32_t kMbTopMost = 0x40000;

constexpr int kSmCxIcon = 11;
constexpr int kSmCyIcon = 12;

constexpr std::uint16_t kLangChineseTaiwan = 1028;
}  // namespace win

// Win32 FILETIME: 100-ns intervals since 1601-01-01 UTC.
struct FileTime {
    std::uint64_t ticks = 0;
};

// The fields of Win32 SYSTEMTIME the installer reads.
struct CalendarTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
};

// The system's ANSI code page, in which every name the installer passes is
// written: its number and how its bytes form characters.
//
// In a double-byte code page a lead byte and the byte after it are one
// character, whatever that second byte is: in code pages 950, 936 and 932 it
// may be 0x5C, the backslash, which then separates nothing. A single-byte
// code page has no lead bytes.
//
// In UTF-8 (the system option "use Unicode UTF-8 for worldwide language
// support") a character is one to four bytes, and every byte of a longer one
// is 0x80 or above: a 0x5C byte is always a backslash. It has no lead bytes
// of the double-byte kind.
struct AnsiCodePage {
    std::uint32_t number = 0;
    bool leadBytes[256] = {};
    bool utf8 = false;

    bool IsLeadByte(unsigned char byte) const { return leadBytes[byte]; }
};

// The progress shown on a window's taskbar button.
enum class TaskbarProgress {
    kNone,    // no progress shown
    kNormal,  // running
    kError,   // stopped by a failure
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Receives every message of a modal dialog run by RunModalDialog. Returns true
// when it handled the message; `result` is then the message's result (for
// WM_INITDIALOG: whether the system should set the default focus).
class DialogHandler {
public:
    virtual bool HandleDialogMessage(Window dialog, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                                     std::intptr_t* result) = 0;

protected:
    ~DialogHandler() = default;
};

using ThreadProc = unsigned (*)(void* param);

class Platform {
public:
    virtual ~Platform() = default;

    // Last Win32 error code of the calling thread.
    virtual std::uint32_t LastError() = 0;

    // --- Registry (HKEY_CURRENT_USER only) ---------------------------------
    // Win32 status codes (0 = success), as the Reg* functions return them.
    virtual long RegOpenKeyEx(RegKey parent, const char* subKey, std::uint32_t options, std::uint32_t access,
                              RegKey* result) = 0;
    // `size` is in: the buffer's length; out: the value's length.
    virtual long RegQueryValueEx(RegKey key, const char* valueName, std::uint32_t* type, std::uint8_t* data,
                                 std::uint32_t* size) = 0;
    virtual long RegCloseKey(RegKey key) = 0;

    // --- Shell --------------------------------------------------------------
    // The current user's documents folder (CSIDL_PERSONAL) as the shell holds
    // it, in UTF-16, zero-terminated in `buffer` (MAX_PATH units). Windows
    // reports it without a trailing backslash, Wine's shell with one. False,
    // with the shell's error, when it could not give it. Writing it in the
    // ANSI code page is the caller's business (platform/AnsiConversion.h).
    virtual bool GetPersonalFolderPath(char16_t (&buffer)[260]) = 0;

    // --- The user -----------------------------------------------------------
    // Whether the process's token is elevated (TokenElevation): started with
    // "Run as administrator", or by an administrator where UAC is off. False
    // when it cannot be told.
    virtual bool GetProcessElevation(bool* elevated) = 0;
    // The security identifier (the bytes of its SID) of the user the process
    // runs as. Two SIDs name the same account when their bytes are equal.
    virtual bool GetProcessUser(std::vector<std::uint8_t>* sid) = 0;
    // The SID of the user signed in to the session whose desktop shows the
    // process's windows. Elevated from a standard account with an
    // administrator's password, the process runs as that administrator while
    // the desktop stays the player's. False when it cannot be told (nobody is
    // signed in to the session, the name cannot be looked up).
    virtual bool GetDesktopUser(std::vector<std::uint8_t>* sid) = 0;

    // --- Code page ----------------------------------------------------------
    // GetACP and GetCPInfo(CP_ACP). False when the system could not tell.
    virtual bool GetAnsiCodePage(AnsiCodePage* codePage) = 0;
    // WideCharToMultiByte(codePage, flags, text, -1, buffer, size, nullptr,
    // usedDefault): the zero-terminated UTF-16 `text` in `codePage` (a
    // number, or kCpAcp for the ANSI code page). Returns the bytes written,
    // the terminator included; 0 on failure (kErrorInsufficientBuffer when
    // `size` is too small). Windows' rules for the arguments hold:
    // kWcErrInvalidChars is allowed only when `codePage` is kCpUtf8 itself
    // (not kCpAcp, even where that is UTF-8; else kErrorInvalidFlags); in
    // UTF-8 the flags may only be 0 or kWcErrInvalidChars (else
    // kErrorInvalidFlags) and `usedDefault` must be null (else
    // kErrorInvalidParameter). Without that flag UTF-8 writes an unpaired
    // surrogate as U+FFFD; with it the call fails with
    // kErrorNoUnicodeTranslation. Another code page writes a character it
    // lacks as '?' and sets `*usedDefault`.
    virtual int WideCharToAnsi(std::uint32_t codePage, const char16_t* text, std::uint32_t flags, char* buffer,
                               int size, bool* usedDefault) = 0;

    // --- File system by name ------------------------------------------------
    virtual bool PathFileExists(const char* path) = 0;
    virtual std::uint32_t GetFileAttributes(const char* path) = 0;
    virtual bool SetFileAttributes(const char* path, std::uint32_t attributes) = 0;
    virtual bool CreateDirectory(const char* path) = 0;
    virtual bool CopyFile(const char* source, const char* target, bool failIfExists) = 0;
    virtual bool MoveFileEx(const char* source, const char* target, std::uint32_t flags) = 0;
    virtual bool DeleteFile(const char* path) = 0;

    // --- Open files ---------------------------------------------------------
    virtual FileHandle CreateFile(const char* path, std::uint32_t access, std::uint32_t shareMode,
                                  std::uint32_t disposition, std::uint32_t attributes) = 0;
    virtual bool ReadFile(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t* bytesRead) = 0;
    virtual bool WriteFile(FileHandle file, const void* buffer, std::uint32_t count, std::uint32_t* bytesWritten) = 0;
    virtual bool SetFilePointerEx(FileHandle file, std::int64_t distance, std::uint32_t method,
                                  std::uint64_t* newPosition) = 0;
    virtual bool GetFileSizeEx(FileHandle file, std::uint64_t* size) = 0;
    virtual bool GetFileTime(FileHandle file, FileTime* lastWrite) = 0;
    virtual bool FlushFileBuffers(FileHandle file) = 0;
    virtual bool CloseFile(FileHandle file) = 0;

    // FileTimeToLocalFileTime followed by FileTimeToSystemTime.
    virtual bool FileTimeToLocalCalendar(const FileTime& utc, CalendarTime* local) = 0;

    // --- Windows ------------------------------------------------------------
    virtual Window FindWindow(const char* className) = 0;
    virtual bool IsIconic(Window window) = 0;
    virtual bool ShowWindow(Window window, int command) = 0;
    virtual Window GetLastActivePopup(Window window) = 0;
    virtual bool SetForegroundWindow(Window window) = 0;
    virtual bool IsWindow(Window window) = 0;

    // --- Named mutex --------------------------------------------------------
    // Returns the handle (0 on failure); LastError() is kErrorAlreadyExists
    // when the name was already taken, also on success. A name taken by a
    // process whose object this user may not open (an elevated one) gives 0
    // and kErrorAccessDenied.
    virtual MutexHandle CreateMutex(const char* name) = 0;
    virtual bool ReleaseMutex(MutexHandle mutex) = 0;
    virtual bool CloseMutex(MutexHandle mutex) = 0;

    // --- Messages and dialogs -----------------------------------------------
    virtual bool PostMessage(Window window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
    virtual std::intptr_t SendMessage(Window window, std::uint32_t message, std::uintptr_t wParam,
                                      std::intptr_t lParam) = 0;
    virtual Window GetDlgItem(Window dialog, int controlId) = 0;
    // `text` is code page 950.
    virtual bool SetWindowText(Window window, const char* text) = 0;
    // `text` and `caption` are code page 950. Returns the button the user
    // pressed (IDOK).
    virtual int MessageBox(Window owner, const char* text, const char* caption, std::uint32_t style) = 0;
    // Creates the dialog from template `templateId` of the program's
    // resources, with no owner, and runs its modal loop until EndDialog.
    // Returns the value passed to EndDialog, or -1 when it could not be made.
    virtual std::intptr_t RunModalDialog(int templateId, DialogHandler& handler) = 0;
    virtual bool EndDialog(Window dialog, std::intptr_t result) = 0;
    // Centres a top-level window on the screen's work area.
    virtual void CenterWindowOnScreen(Window window) = 0;

    // --- Timers of the modal dialog -------------------------------------------
    // WM_TIMER with `id` in wParam reaches `window`'s dialog handler every
    // `milliseconds` or later, as long as it lives: the system makes it only
    // while no posted message waits in the thread's queue, so it never comes
    // before a message posted ahead of it, nor takes a place in the queue.
    // False when the timer could not be set.
    virtual bool SetTimer(Window window, std::uintptr_t id, std::uint32_t milliseconds) = 0;
    virtual bool KillTimer(Window window, std::uintptr_t id) = 0;

    // --- Taskbar --------------------------------------------------------------
    // Shows `state` with `completed` of `total` on the taskbar button of
    // `window`, a dialog being run by RunModalDialog; called on the dialog's
    // thread. The latest request is applied once the shell has made the
    // button. Where the system offers no taskbar progress, nothing happens;
    // callers never learn which.
    virtual void SetTaskbarProgress(Window window, TaskbarProgress state, int completed, int total) = 0;

    // --- Painting the minimised dialog --------------------------------------
    virtual IconHandle LoadIcon(int resourceId) = 0;
    virtual int GetSystemMetrics(int index) = 0;
    virtual bool GetClientRect(Window window, Rect* rect) = 0;
    // BeginPaint; returns the paint device context (0 on failure).
    virtual std::uintptr_t BeginPaint(Window window) = 0;
    virtual bool DrawIcon(std::uintptr_t deviceContext, int x, int y, IconHandle icon) = 0;
    virtual void EndPaint(Window window) = 0;

    // --- Threads ------------------------------------------------------------
    // Starts `proc(param)` on a new thread at normal priority, default stack.
    virtual ThreadHandle StartThread(ThreadProc proc, void* param) = 0;
    // Waits until the thread has ended, then releases the handle.
    virtual void JoinThread(ThreadHandle thread) = 0;
    // True once the thread has ended; false while it runs, and when that
    // cannot be told.
    virtual bool HasThreadEnded(ThreadHandle thread) = 0;
    // Suspends the calling thread for about `milliseconds`.
    virtual void Sleep(std::uint32_t milliseconds) = 0;

    // --- Resources of the program's own module --------------------------------
    virtual ResourceHandle FindResource(int id, const char* typeName) = 0;
    virtual const void* LoadResource(ResourceHandle resource) = 0;
    virtual std::uint32_t SizeofResource(ResourceHandle resource) = 0;

    // --- Diagnostics ------------------------------------------------------------
    // A line for a developer's debugger (OutputDebugString; under Wine, the
    // debugstr channel). The program writes no log, and the player sees none
    // of it.
    virtual void OutputDebugString(const char* text) = 0;
};

// The process-wide platform that the framework, the application and the
// installation steps use. The program entry installs the Win32 one; tests
// install the double.
Platform& Os();
void SetOs(Platform* platform);

}  // namespace platform
