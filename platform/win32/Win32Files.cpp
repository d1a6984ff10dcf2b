#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"

namespace platform {

using win32::RecordLastError;
using win32::ToHandle;

namespace {
// Calls an API that reports success as a BOOL and records its error.
template <typename Call>
bool Succeeded(Call call) {
    const BOOL ok = call();
    RecordLastError();
    return ok != FALSE;
}
}  // namespace

bool Win32Platform::PathFileExists(const char* path) {
    return Succeeded([&] { return ::PathFileExistsA(path); });
}

std::uint32_t Win32Platform::GetFileAttributes(const char* path) {
    const DWORD attributes = ::GetFileAttributesA(path);
    RecordLastError();
    return attributes;
}

bool Win32Platform::SetFileAttributes(const char* path, std::uint32_t attributes) {
    return Succeeded([&] { return ::SetFileAttributesA(path, attributes); });
}

bool Win32Platform::CreateDirectory(const char* path) {
    return Succeeded([&] { return ::CreateDirectoryA(path, nullptr); });
}

bool Win32Platform::CopyFile(const char* source, const char* target, bool failIfExists) {
    return Succeeded([&] { return ::CopyFileA(source, target, failIfExists ? TRUE : FALSE); });
}

bool Win32Platform::MoveFileEx(const char* source, const char* target, std::uint32_t flags) {
    return Succeeded([&] { return ::MoveFileExA(source, target, flags); });
}

bool Win32Platform::DeleteFile(const char* path) {
    return Succeeded([&] { return ::DeleteFileA(path); });
}

FileHandle Win32Platform::CreateFile(const char* path, std::uint32_t access, std::uint32_t shareMode,
                                     std::uint32_t disposition, std::uint32_t attributes) {
    const HANDLE file = ::CreateFileA(path, access, shareMode, nullptr, disposition, attributes, nullptr);
    RecordLastError();
    return file == INVALID_HANDLE_VALUE ? kInvalidFile : win32::FromHandle(file);
}

bool Win32Platform::ReadFile(FileHandle file, void* buffer, std::uint32_t count, std::uint32_t* bytesRead) {
    DWORD got = 0;
    const bool ok = Succeeded([&] { return ::ReadFile(ToHandle(file), buffer, count, &got, nullptr); });
    if (bytesRead != nullptr) *bytesRead = got;
    return ok;
}

bool Win32Platform::WriteFile(FileHandle file, const void* buffer, std::uint32_t count, std::uint32_t* bytesWritten) {
    DWORD written = 0;
    const bool ok = Succeeded([&] { return ::WriteFile(ToHandle(file), buffer, count, &written, nullptr); });
    if (bytesWritten != nullptr) *bytesWritten = written;
    return ok;
}

bool Win32Platform::SetFilePointerEx(FileHandle file, std::int64_t distance, std::uint32_t method,
                                     std::uint64_t* newPosition) {
    LARGE_INTEGER move;
    move.QuadPart = distance;
    LARGE_INTEGER reached;
    reached.QuadPart = 0;
    const bool ok = Succeeded([&] { return ::SetFilePointerEx(ToHandle(file), move, &reached, method); });
    if (ok && newPosition != nullptr) *newPosition = static_cast<std::uint64_t>(reached.QuadPart);
    return ok;
}

bool Win32Platform::GetFileSizeEx(FileHandle file, std::uint64_t* size) {
    LARGE_INTEGER length;
    length.QuadPart = 0;
    const bool ok = Succeeded([&] { return ::GetFileSizeEx(ToHandle(file), &length); });
    if (ok && size != nullptr) *size = static_cast<std::uint64_t>(length.QuadPart);
    return ok;
}

bool Win32Platform::GetFileTime(FileHandle file, FileTime* lastWrite) {
    FILETIME written{};
    const bool ok = Succeeded([&] { return ::GetFileTime(ToHandle(file), nullptr, nullptr, &written); });
    if (ok && lastWrite != nullptr) {
        lastWrite->ticks = (static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    }
    return ok;
}

bool Win32Platform::FlushFileBuffers(FileHandle file) {
    return Succeeded([&] { return ::FlushFileBuffers(ToHandle(file)); });
}

bool Win32Platform::CloseFile(FileHandle file) {
    return Succeeded([&] { return ::CloseHandle(ToHandle(file)); });
}

bool Win32Platform::FileTimeToLocalCalendar(const FileTime& utc, CalendarTime* local) {
    FILETIME universal;
    universal.dwLowDateTime = static_cast<DWORD>(utc.ticks & 0xFFFFFFFFu);
    universal.dwHighDateTime = static_cast<DWORD>(utc.ticks >> 32);
    FILETIME localTime{};
    if (!Succeeded([&] { return ::FileTimeToLocalFileTime(&universal, &localTime); })) return false;
    SYSTEMTIME calendar{};
    if (!Succeeded([&] { return ::FileTimeToSystemTime(&localTime, &calendar); })) return false;
    local->year = calendar.wYear;
    local->month = calendar.wMonth;
    local->day = calendar.wDay;
    local->hour = calendar.wHour;
    local->minute = calendar.wMinute;
    local->second = calendar.wSecond;
    return true;
}

}  // namespace platform
