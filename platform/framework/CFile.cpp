#include "platform/framework/CFile.h"

#include <cstring>

namespace platform {

namespace {
[[noreturn]] void Raise() { throw CFileException(Os().LastError()); }
}  // namespace

CFile::~CFile() {
    if (IsOpen()) Os().CloseFile(handle_);
}

bool CFile::Open(const char* path, unsigned flags) {
    if (IsOpen() || std::strlen(path) >= kMaxPath) return false;
    std::uint32_t access = win::kGenericRead;
    if (flags & modeWrite) access = win::kGenericWrite;
    if (flags & modeReadWrite) access = win::kGenericRead | win::kGenericWrite;
    std::uint32_t disposition = win::kOpenExisting;
    if (flags & modeCreate) disposition = (flags & modeNoTruncate) ? win::kOpenAlways : win::kCreateAlways;
    handle_ = Os().CreateFile(path, access, 0, disposition, win::kFileAttributeNormal);
    return IsOpen();
}

std::uint32_t CFile::Read(void* buffer, std::uint32_t count) {
    std::uint32_t got = 0;
    if (!Os().ReadFile(handle_, buffer, count, &got)) Raise();
    return got;
}

void CFile::Write(const void* buffer, std::uint32_t count) {
    std::uint32_t written = 0;
    if (!Os().WriteFile(handle_, buffer, count, &written)) Raise();
    if (written != count) throw CFileException(win::kErrorDiskFull);
}

std::uint64_t CFile::Seek(std::int64_t offset, SeekPosition from) {
    std::uint64_t position = 0;
    if (!Os().SetFilePointerEx(handle_, offset, static_cast<std::uint32_t>(from), &position)) Raise();
    return position;
}

std::uint64_t CFile::GetLength() {
    std::uint64_t size = 0;
    if (!Os().GetFileSizeEx(handle_, &size)) Raise();
    return size;
}

void CFile::Flush() {
    if (!Os().FlushFileBuffers(handle_)) Raise();
}

void CFile::Close() {
    FileHandle handle = handle_;
    handle_ = kInvalidFile;
    if (!Os().CloseFile(handle)) Raise();
}

}  // namespace platform
