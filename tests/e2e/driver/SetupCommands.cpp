#include "SetupCommands.h"

#include "Report.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace driver {
namespace {

class RegistryKey {
public:
    explicit RegistryKey(const char* path) {
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr) !=
            ERROR_SUCCESS) {
            key_ = nullptr;
        }
    }
    ~RegistryKey() {
        if (key_) RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

bool ParseHex(const std::string& text, std::vector<BYTE>& bytes) {
    if (text.size() % 2 != 0) return false;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        char* end = nullptr;
        const std::string pair = text.substr(i, 2);
        const unsigned long value = std::strtoul(pair.c_str(), &end, 16);
        if (*end != '\0') return false;
        bytes.push_back(static_cast<BYTE>(value));
    }
    return true;
}

// UTF-8 text given as hex (the command line reaches the driver in the code
// page, which may lack its characters) in UTF-16 with its terminator.
bool Utf8HexToUtf16(const std::string& hex, std::vector<BYTE>& bytes) {
    std::vector<BYTE> utf8;
    if (!ParseHex(hex, utf8)) return false;
    const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(utf8.data()),
                                          static_cast<int>(utf8.size()), nullptr, 0);
    if (units <= 0 && !utf8.empty()) return false;
    std::vector<wchar_t> wide(static_cast<std::size_t>(units) + 1, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(utf8.data()), static_cast<int>(utf8.size()),
                        wide.data(), units);
    const auto* first = reinterpret_cast<const BYTE*>(wide.data());
    bytes.assign(first, first + wide.size() * sizeof(wchar_t));
    return true;
}

// `wide`: the bytes are UTF-16, for RegSetValueExW.
bool EncodeValue(const std::string& type, const std::string& data, DWORD& regType, std::vector<BYTE>& bytes,
                 bool& wide) {
    wide = false;
    if (type == "sz-utf8-hex") {
        regType = REG_SZ;
        wide = true;
        return Utf8HexToUtf16(data, bytes);
    }
    if (type == "sz") {
        regType = REG_SZ;
        bytes.assign(data.begin(), data.end());
        bytes.push_back(0);
        return true;
    }
    if (type == "dword" || type == "qword") {
        char* end = nullptr;
        const unsigned long long number = std::strtoull(data.c_str(), &end, 0);
        if (data.empty() || *end != '\0') return false;
        regType = type == "dword" ? REG_DWORD : REG_QWORD;
        const std::size_t size = type == "dword" ? 4 : 8;
        for (std::size_t i = 0; i < size; ++i) bytes.push_back(static_cast<BYTE>(number >> (8 * i)));
        return true;
    }
    if (type == "binary") {
        regType = REG_BINARY;
        return ParseHex(data, bytes);
    }
    return false;
}

}  // namespace

int RegSet(int count, char** arguments) {
    if (count == 0 || count % 4 != 0) {
        Line("reg_set", "usage");
        return 1;
    }
    for (int i = 0; i < count; i += 4) {
        DWORD regType = 0;
        std::vector<BYTE> bytes;
        bool wide = false;
        if (!EncodeValue(arguments[i + 2], arguments[i + 3], regType, bytes, wide)) {
            Line("reg_set", std::string("bad-value ") + arguments[i + 1]);
            return 1;
        }
        RegistryKey key(arguments[i]);
        wchar_t wideName[256] = {};
        if (wide && MultiByteToWideChar(CP_ACP, 0, arguments[i + 1], -1, wideName, 256) == 0) {
            Line("reg_set", std::string("bad-name ") + arguments[i + 1]);
            return 1;
        }
        const LONG set =
            !key.get() ? ERROR_INVALID_HANDLE
            : wide     ? RegSetValueExW(key.get(), wideName, 0, regType, bytes.data(), static_cast<DWORD>(bytes.size()))
                       : RegSetValueExA(key.get(), arguments[i + 1], 0, regType, bytes.data(),
                                        static_cast<DWORD>(bytes.size()));
        if (set != ERROR_SUCCESS) {
            Line("reg_set", std::string("failed ") + arguments[i]);
            return 2;
        }
    }
    Line("reg_set", "ok");
    return 0;
}

int SetFileTimeUtc(const char* path, const char* dateTime) {
    SYSTEMTIME utc{};
    unsigned year, month, day, hour, minute, second;
    if (std::sscanf(dateTime, "%u-%u-%u %u:%u:%u", &year, &month, &day, &hour, &minute, &second) != 6) {
        Line("set_file_time", "usage");
        return 1;
    }
    utc.wYear = static_cast<WORD>(year);
    utc.wMonth = static_cast<WORD>(month);
    utc.wDay = static_cast<WORD>(day);
    utc.wHour = static_cast<WORD>(hour);
    utc.wMinute = static_cast<WORD>(minute);
    utc.wSecond = static_cast<WORD>(second);
    FILETIME time{};
    if (!SystemTimeToFileTime(&utc, &time)) {
        Line("set_file_time", "bad-date");
        return 1;
    }
    HANDLE opened = CreateFileA(path, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        Line("set_file_time", "open-failed");
        return 2;
    }
    const UniqueHandle file(opened);
    const BOOL set = SetFileTime(file.get(), nullptr, nullptr, &time);
    Line("set_file_time", set ? "ok" : "failed");
    return set ? 0 : 2;
}

int SetReadOnly(const char* path) {
    const BOOL set = SetFileAttributesA(path, FILE_ATTRIBUTE_READONLY);
    Line("set_readonly", set ? "ok" : "failed");
    return set ? 0 : 2;
}

int PrintCodePage() {
    Line("acp", static_cast<long long>(GetACP()));
    return 0;
}

}  // namespace driver
