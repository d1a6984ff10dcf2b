// platform::Platform over the real Win32 API, each operation one thin call.
#pragma once

#include "platform/Platform.h"

namespace platform {

namespace win32 {
class TaskbarProgressMirror;
}

class Win32Platform final : public Platform {
public:
    std::uint32_t LastError() override;

    long RegOpenKeyEx(RegKey parent, const char* subKey, std::uint32_t options, std::uint32_t access,
                      RegKey* result) override;
    long RegQueryValueEx(RegKey key, const char* valueName, std::uint32_t* type, std::uint8_t* data,
                         std::uint32_t* size) override;
    long RegCloseKey(RegKey key) override;

    bool GetProcessElevation(bool* elevated) override;
    bool GetProcessUser(std::vector<std::uint8_t>* sid) override;
    bool GetDesktopUser(std::vector<std::uint8_t>* sid) override;

    bool GetPersonalFolderPath(char16_t (&buffer)[260]) override;
    bool GetAnsiCodePage(AnsiCodePage* codePage) override;
    int WideCharToAnsi(std::uint32_t codePage, const char16_t* text, std::uint32_t flags, char* buffer, int size,
                       bool* usedDefault) override;

    bool PathFileExists(const char* path) override;
    std::uint32_t GetFileAttributes(const char* path) override;
    bool SetFileAttributes(const char* path, std::uint32_t attributes) override;
    bool CreateDirectory(const char* path) override;
    bool CopyFile(const char* source, const char* target, bool failIfExists) override;
    bool MoveFileEx(const char* source, const char* target, std::uint32_t flags) override;
    bool DeleteFile(const char* path) override;

    FileHandle CreateFile(const char* path, std::uint32_t access, std::uint32_t shareMode, std::uint32_t disposition,
                          std::uint32_t attributes) override;
    bool ReadFile(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t* bytesRead) override;
    bool WriteFile(FileHandle file, const void* buffer, std::uint32_t count, std::uint32_t* bytesWritten) override;
    bool SetFilePointerEx(FileHandle file, std::int64_t distance, std::uint32_t method,
                          std::uint64_t* newPosition) override;
    bool GetFileSizeEx(FileHandle file, std::uint64_t* size) override;
    bool GetFileTime(FileHandle file, FileTime* lastWrite) override;
    bool FlushFileBuffers(FileHandle file) override;
    bool CloseFile(FileHandle file) override;
    bool FileTimeToLocalCalendar(const FileTime& utc, CalendarTime* local) override;

    Window FindWindow(const char* className) override;
    bool IsIconic(Window window) override;
    bool ShowWindow(Window window, int command) override;
    Window GetLastActivePopup(Window window) override;
    bool SetForegroundWindow(Window window) override;
    bool IsWindow(Window window) override;

    MutexHandle CreateMutex(const char* name) override;
    bool ReleaseMutex(MutexHandle mutex) override;
    bool CloseMutex(MutexHandle mutex) override;

    bool PostMessage(Window window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    std::intptr_t SendMessage(Window window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) override;
    Window GetDlgItem(Window dialog, int controlId) override;
    bool SetWindowText(Window window, const char* text) override;
    int MessageBox(Window owner, const char* text, const char* caption, std::uint32_t style) override;
    std::intptr_t RunModalDialog(int templateId, DialogHandler& handler) override;
    bool EndDialog(Window dialog, std::intptr_t result) override;
    void CenterWindowOnScreen(Window window) override;
    bool SetTimer(Window window, std::uintptr_t id, std::uint32_t milliseconds) override;
    bool KillTimer(Window window, std::uintptr_t id) override;
    // Call on the dialog's thread, while RunModalDialog runs it.
    void SetTaskbarProgress(Window window, TaskbarProgress state, int completed, int total) override;

    IconHandle LoadIcon(int resourceId) override;
    int GetSystemMetrics(int index) override;
    bool GetClientRect(Window window, Rect* rect) override;
    std::uintptr_t BeginPaint(Window window) override;
    bool DrawIcon(std::uintptr_t deviceContext, int x, int y, IconHandle icon) override;
    void EndPaint(Window window) override;

    ThreadHandle StartThread(ThreadProc proc, void* param) override;
    void JoinThread(ThreadHandle thread) override;
    bool HasThreadEnded(ThreadHandle thread) override;
    void Sleep(std::uint32_t milliseconds) override;

    ResourceHandle FindResource(int id, const char* typeName) override;
    const void* LoadResource(ResourceHandle resource) override;
    std::uint32_t SizeofResource(ResourceHandle resource) override;

    void OutputDebugString(const char* text) override;

private:
    // The taskbar button of the dialog that RunModalDialog is running, if any.
    win32::TaskbarProgressMirror* taskbar_ = nullptr;
};

}  // namespace platform
