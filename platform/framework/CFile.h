// The framework's file class: a thin owner of one open file handle.
//
// Opening reports failure by its result; once a file is open, a failed read,
// write, seek, flush or close raises CFileException, and so does a write
// that writes fewer bytes than asked (as on a full disk). The destructor
// closes a file that is still open and never raises.
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <exception>

namespace platform {

class CFileException : public std::exception {
public:
    explicit CFileException(std::uint32_t error) : error_(error) {}
    std::uint32_t Error() const { return error_; }
    const char* what() const noexcept override { return "file operation failed"; }

private:
    std::uint32_t error_;
};

class CFile {
public:
    enum OpenFlags : unsigned {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareExclusive = 0x0010,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeBinary = 0x8000,
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    // Windows' path buffers hold 259 bytes and a terminator; longer paths
    // are refused before the system is asked.
    static constexpr std::size_t kMaxPath = 260;

    CFile() = default;
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Shares nothing with other openers. modeCreate creates or truncates;
    // without it only an existing file is opened.
    bool Open(const char* path, unsigned flags);
    bool IsOpen() const { return handle_ != kInvalidFile; }

    std::uint32_t Read(void* buffer, std::uint32_t count);
    void Write(const void* buffer, std::uint32_t count);
    std::uint64_t Seek(std::int64_t offset, SeekPosition from);
    std::uint64_t GetLength();
    void Flush();
    void Close();

private:
    FileHandle handle_ = kInvalidFile;
};

}  // namespace platform
