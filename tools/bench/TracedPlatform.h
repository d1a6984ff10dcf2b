// The installer's platform with each call it makes handed to a recorder:
// the decorator between the application and Win32Platform in the benchmark's
// builds of the installer (traced_main.cpp, clocked_main.cpp).
#pragma once

// First: the Windows headers' A/W macros would rename the platform's methods.
#include "platform/win32/WindowsApi.h"

#include "CallRecorder.h"
#include "platform/Platform.h"

namespace bench {

using platform::AnsiCodePage;
using platform::CalendarTime;
using platform::DialogHandler;
using platform::FileHandle;
using platform::FileTime;
using platform::IconHandle;
using platform::MutexHandle;
using platform::Platform;
using platform::Rect;
using platform::RegKey;
using platform::ResourceHandle;
using platform::TaskbarProgress;
using platform::ThreadHandle;
using platform::ThreadProc;
using platform::Window;

class TracedPlatform final : public Platform {
public:
    TracedPlatform(Platform& os, CallRecorder& recorder) : os_(os), recorder_(recorder) {}

    std::uint32_t LastError() override { return os_.LastError(); }
    long RegOpenKeyEx(RegKey parent, const char* subKey, std::uint32_t options, std::uint32_t access,
                      RegKey* result) override {
        return Timed("RegOpenKeyEx", [&] { return os_.RegOpenKeyEx(parent, subKey, options, access, result); });
    }
    long RegQueryValueEx(RegKey key, const char* valueName, std::uint32_t* type, std::uint8_t* data,
                         std::uint32_t* size) override {
        return Timed("RegQueryValueEx", [&] { return os_.RegQueryValueEx(key, valueName, type, data, size); });
    }
    long RegCloseKey(RegKey key) override {
        return Timed("RegCloseKey", [&] { return os_.RegCloseKey(key); });
    }
    bool GetProcessElevation(bool* elevated) override {
        return Timed("GetProcessElevation", [&] { return os_.GetProcessElevation(elevated); });
    }
    bool GetProcessUser(std::vector<std::uint8_t>* sid) override {
        return Timed("GetProcessUser", [&] { return os_.GetProcessUser(sid); });
    }
    bool GetDesktopUser(std::vector<std::uint8_t>* sid) override {
        return Timed("GetDesktopUser", [&] { return os_.GetDesktopUser(sid); });
    }
    bool GetPersonalFolderPath(char16_t (&buffer)[260]) override {
        return Timed("GetPersonalFolderPath", [&] { return os_.GetPersonalFolderPath(buffer); });
    }
    bool GetAnsiCodePage(AnsiCodePage* codePage) override {
        return Timed("GetAnsiCodePage", [&] { return os_.GetAnsiCodePage(codePage); });
    }
    int WideCharToAnsi(std::uint32_t codePage, const char16_t* text, std::uint32_t flags, char* buffer, int size,
                       bool* usedDefault) override {
        return Timed("WideCharToAnsi",
                     [&] { return os_.WideCharToAnsi(codePage, text, flags, buffer, size, usedDefault); });
    }
    bool PathFileExists(const char* path) override {
        return Timed("PathFileExists", [&] { return os_.PathFileExists(path); });
    }
    std::uint32_t GetFileAttributes(const char* path) override {
        return Timed("GetFileAttributes", [&] { return os_.GetFileAttributes(path); });
    }
    bool SetFileAttributes(const char* path, std::uint32_t attributes) override {
        return Timed("SetFileAttributes", [&] { return os_.SetFileAttributes(path, attributes); });
    }
    bool CreateDirectory(const char* path) override {
        return Timed("CreateDirectory", [&] { return os_.CreateDirectory(path); });
    }
    bool CopyFile(const char* source, const char* target, bool failIfExists) override {
        return Timed("CopyFile", [&] { return os_.CopyFile(source, target, failIfExists); });
    }
    bool MoveFileEx(const char* source, const char* target, std::uint32_t flags) override {
        return Timed("MoveFileEx", [&] { return os_.MoveFileEx(source, target, flags); });
    }
    bool DeleteFile(const char* path) override {
        return Timed("DeleteFile", [&] { return os_.DeleteFile(path); });
    }
    FileHandle CreateFile(const char* path, std::uint32_t access, std::uint32_t shareMode, std::uint32_t disposition,
                          std::uint32_t attributes) override {
        return Timed("CreateFile", [&] { return os_.CreateFile(path, access, shareMode, disposition, attributes); });
    }
    bool ReadFile(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t* bytesRead) override {
        return Timed("ReadFile", [&] { return os_.ReadFile(file, buffer, count, bytesRead); });
    }
    bool WriteFile(FileHandle file, const void* buffer, std::uint32_t count, std::uint32_t* bytesWritten) override {
        return Timed("WriteFile", [&] { return os_.WriteFile(file, buffer, count, bytesWritten); });
    }
    bool SetFilePointerEx(FileHandle file, std::int64_t distance, std::uint32_t method,
                          std::uint64_t* newPosition) override {
        return Timed("SetFilePointerEx", [&] { return os_.SetFilePointerEx(file, distance, method, newPosition); });
    }
    bool GetFileSizeEx(FileHandle file, std::uint64_t* size) override {
        return Timed("GetFileSizeEx", [&] { return os_.GetFileSizeEx(file, size); });
    }
    bool GetFileTime(FileHandle file, FileTime* lastWrite) override {
        return Timed("GetFileTime", [&] { return os_.GetFileTime(file, lastWrite); });
    }
    bool FlushFileBuffers(FileHandle file) override {
        return Timed("FlushFileBuffers", [&] { return os_.FlushFileBuffers(file); });
    }
    bool CloseFile(FileHandle file) override {
        return Timed("CloseFile", [&] { return os_.CloseFile(file); });
    }
    bool FileTimeToLocalCalendar(const FileTime& utc, CalendarTime* local) override {
        return Timed("FileTimeToLocalCalendar", [&] { return os_.FileTimeToLocalCalendar(utc, local); });
    }
    Window FindWindow(const char* className) override {
        return Timed("FindWindow", [&] { return os_.FindWindow(className); });
    }
    bool IsIconic(Window window) override {
        return Timed("IsIconic", [&] { return os_.IsIconic(window); });
    }
    bool ShowWindow(Window window, int command) override {
        return Timed("ShowWindow", [&] { return os_.ShowWindow(window, command); });
    }
    Window GetLastActivePopup(Window window) override {
        return Timed("GetLastActivePopup", [&] { return os_.GetLastActivePopup(window); });
    }
    bool SetForegroundWindow(Window window) override {
        return Timed("SetForegroundWindow", [&] { return os_.SetForegroundWindow(window); });
    }
    bool IsWindow(Window window) override {
        return Timed("IsWindow", [&] { return os_.IsWindow(window); });
    }
    MutexHandle CreateMutex(const char* name) override {
        return Timed("CreateMutex", [&] { return os_.CreateMutex(name); });
    }
    bool ReleaseMutex(MutexHandle mutex) override {
        return Timed("ReleaseMutex", [&] { return os_.ReleaseMutex(mutex); });
    }
    bool CloseMutex(MutexHandle mutex) override {
        return Timed("CloseMutex", [&] { return os_.CloseMutex(mutex); });
    }
    bool PostMessage(Window window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
        return Timed("PostMessage", [&] { return os_.PostMessage(window, message, wParam, lParam); });
    }
    std::intptr_t SendMessage(Window window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) override {
        return Timed("SendMessage", [&] { return os_.SendMessage(window, message, wParam, lParam); });
    }
    Window GetDlgItem(Window dialog, int controlId) override {
        return Timed("GetDlgItem", [&] { return os_.GetDlgItem(dialog, controlId); });
    }
    bool SetWindowText(Window window, const char* text) override {
        return Timed("SetWindowText", [&] { return os_.SetWindowText(window, text); });
    }
    int MessageBox(Window owner, const char* text, const char* caption, std::uint32_t style) override {
        return Timed("MessageBox", [&] { return os_.MessageBox(owner, text, caption, style); });
    }
    // Its dialog's messages are timed too.
    std::intptr_t RunModalDialog(int templateId, DialogHandler& handler) override;
    bool EndDialog(Window dialog, std::intptr_t result) override {
        return Timed("EndDialog", [&] { return os_.EndDialog(dialog, result); });
    }
    void CenterWindowOnScreen(Window window) override {
        return Timed("CenterWindowOnScreen", [&] { return os_.CenterWindowOnScreen(window); });
    }
    bool SetTimer(Window window, std::uintptr_t id, std::uint32_t milliseconds) override {
        return Timed("SetTimer", [&] { return os_.SetTimer(window, id, milliseconds); });
    }
    bool KillTimer(Window window, std::uintptr_t id) override {
        return Timed("KillTimer", [&] { return os_.KillTimer(window, id); });
    }
    void SetTaskbarProgress(Window window, TaskbarProgress state, int completed, int total) override {
        return Timed("SetTaskbarProgress", [&] { return os_.SetTaskbarProgress(window, state, completed, total); });
    }
    IconHandle LoadIcon(int resourceId) override {
        return Timed("LoadIcon", [&] { return os_.LoadIcon(resourceId); });
    }
    int GetSystemMetrics(int index) override {
        return Timed("GetSystemMetrics", [&] { return os_.GetSystemMetrics(index); });
    }
    bool GetClientRect(Window window, Rect* rect) override {
        return Timed("GetClientRect", [&] { return os_.GetClientRect(window, rect); });
    }
    std::uintptr_t BeginPaint(Window window) override {
        return Timed("BeginPaint", [&] { return os_.BeginPaint(window); });
    }
    bool DrawIcon(std::uintptr_t deviceContext, int x, int y, IconHandle icon) override {
        return Timed("DrawIcon", [&] { return os_.DrawIcon(deviceContext, x, y, icon); });
    }
    void EndPaint(Window window) override {
        return Timed("EndPaint", [&] { return os_.EndPaint(window); });
    }
    ThreadHandle StartThread(ThreadProc proc, void* param) override {
        return Timed("StartThread", [&] { return os_.StartThread(proc, param); });
    }
    void JoinThread(ThreadHandle thread) override {
        return Timed("JoinThread", [&] { return os_.JoinThread(thread); });
    }
    bool HasThreadEnded(ThreadHandle thread) override {
        return Timed("HasThreadEnded", [&] { return os_.HasThreadEnded(thread); });
    }
    void Sleep(std::uint32_t milliseconds) override {
        return Timed("Sleep", [&] { return os_.Sleep(milliseconds); });
    }
    ResourceHandle FindResource(int id, const char* typeName) override {
        return Timed("FindResource", [&] { return os_.FindResource(id, typeName); });
    }
    const void* LoadResource(ResourceHandle resource) override {
        return Timed("LoadResource", [&] { return os_.LoadResource(resource); });
    }
    std::uint32_t SizeofResource(ResourceHandle resource) override {
        return Timed("SizeofResource", [&] { return os_.SizeofResource(resource); });
    }
    void OutputDebugString(const char* text) override { os_.OutputDebugString(text); }

private:
    template <typename Call>
    auto Timed(const char* name, Call call) -> decltype(call()) {
        RecordedCall recorded(recorder_, name);
        return call();
    }

    Platform& os_;
    CallRecorder& recorder_;
};

}  // namespace bench
