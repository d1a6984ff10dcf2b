// The contract tests' environment over the real system: a scratch folder
// under %TEMP% and a scratch key under HKCU\Software\InstallerContractTests.
// The platform only reads the registry, so values are written with the
// system's own reg.exe.
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WindowsApi.h"
#include "tests/contract/ContractEnvironment.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace contract {
namespace {

namespace fs = std::filesystem;

const char kKeyParent[] = "Software\\InstallerContractTests";

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    char pair[3];
    for (const std::uint8_t byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", byte);
        text += pair;
    }
    return text;
}

bool RunReg(const std::string& arguments) {
    const std::string command = "reg " + arguments + " >NUL 2>&1";
    return std::system(command.c_str()) == 0;
}

// reg.exe's type name and data for a value given as raw bytes.
std::string RegData(std::uint32_t type, const std::vector<std::uint8_t>& bytes) {
    if (type == kRegSz) {
        std::string text(bytes.begin(), bytes.end());
        if (!text.empty() && text.back() == '\0') text.pop_back();
        return "/t REG_SZ /d \"" + text + "\"";
    }
    if (type == kRegDword && bytes.size() == 4) {
        const std::uint32_t value =
            bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
        return "/t REG_DWORD /d " + std::to_string(value);
    }
    return "/t REG_BINARY /d " + Hex(bytes);
}

// A view of the file, as a program that maps a file keeps it: the file and
// section handles are closed, the view holds the file.
class Win32Mapping final : public Mapping {
public:
    explicit Win32Mapping(void* view) : view_(view) {}
    ~Win32Mapping() override { ::UnmapViewOfFile(view_); }

private:
    void* view_;
};

class Win32Environment final : public Environment {
public:
    explicit Win32Environment(const std::string& testName) : key_(std::string(kKeyParent) + "\\" + testName) {
        const fs::path folder = fs::temp_directory_path() / "InstallerContractTests" / testName;
        RemoveFolder(folder);
        std::error_code error;
        fs::create_directories(folder, error);
        EXPECT_FALSE(error) << "cannot create " << folder.string() << ": " << error.message();
        folder_ = folder.string();
        if (folder_.back() != '\\') folder_ += '\\';
        ExpectRequestedCodePage();
        RunReg("delete \"HKCU\\" + key_ + "\" /f");
        EXPECT_TRUE(RunReg("add \"HKCU\\" + key_ + "\" /f")) << "cannot create HKCU\\" << key_;
    }

    ~Win32Environment() override {
        RemoveFolder(fs::path(folder_));
        RunReg("delete \"HKCU\\" + key_ + "\" /f");
    }

    platform::Platform& Os() override { return os_; }
    std::string ScratchFolder() override { return folder_; }
    std::string ScratchKey() override { return key_; }

    void SetRegistryValue(const std::string& subKey, const std::string& name, std::uint32_t type,
                          const std::vector<std::uint8_t>& bytes) override {
        const std::string key = subKey.empty() ? key_ : key_ + "\\" + subKey;
        const std::string valueName = name.empty() ? "/ve" : "/v \"" + name + "\"";
        EXPECT_TRUE(RunReg("add \"HKCU\\" + key + "\" " + valueName + " " + RegData(type, bytes) + " /f"))
            << "cannot set HKCU\\" << key << " " << name;
    }

    // The test runner states the zone it started the program in.
    std::optional<int> UtcOffsetMinutes() override {
        const char* minutes = std::getenv("AW_TEST_UTC_OFFSET_MINUTES");
        if (minutes == nullptr || *minutes == '\0') return std::nullopt;
        return std::atoi(minutes);
    }

    bool UseAnsiCodePage(std::uint32_t number) override { return SystemCodePage() == number; }

    // Wine keeps a key of its own settings in every user's registry.
    bool UnderWine() override {
        platform::RegKey key = 0;
        if (os_.RegOpenKeyEx(platform::kHkeyCurrentUser, "Software\\Wine", 0, platform::win::kKeyRead, &key) != 0) {
            return false;
        }
        os_.RegCloseKey(key);
        return true;
    }

    // The runner makes it: Wine takes Unix permissions as Windows' own, but
    // a program inside it cannot set them.
    std::optional<std::string> FolderRefusingWrites() override {
        const char* folder = std::getenv("AW_TEST_REFUSING_FOLDER");
        if (folder == nullptr || *folder == '\0') return std::nullopt;
        return std::string(folder);
    }

    std::unique_ptr<Mapping> MapIntoMemory(const std::string& path) override {
        const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return nullptr;
        const HANDLE section = ::CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, 0, nullptr);
        ::CloseHandle(file);
        if (section == nullptr) return nullptr;
        void* view = ::MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, 0);
        ::CloseHandle(section);
        return view == nullptr ? nullptr : std::make_unique<Win32Mapping>(view);
    }

    bool MakeOnlineOnly(const std::string&) override { return false; }
    bool SetSyncClientRunning(bool) override { return false; }
    bool ElevateAsAnotherUser() override { return false; }

private:
    // The runner states the code page it started the program with; Wine
    // falls back to 1252 in silence when the locale for it is missing.
    std::uint32_t SystemCodePage() {
        platform::AnsiCodePage codePage;
        return os_.GetAnsiCodePage(&codePage) ? codePage.number : 0;
    }

    void ExpectRequestedCodePage() {
        const char* requested = std::getenv("AW_TEST_ANSI_CODE_PAGE");
        if (requested == nullptr || *requested == '\0') return;
        EXPECT_EQ(static_cast<std::uint32_t>(std::atoi(requested)), SystemCodePage())
            << "the system's code page is not the one the runner asked for: is its locale generated?";
    }

    // Read-only files must be made writable before they can be removed.
    void RemoveFolder(const fs::path& folder) {
        std::error_code error;
        if (!fs::exists(folder, error)) return;
        for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
            os_.SetFileAttributes(it->path().string().c_str(), platform::win::kFileAttributeNormal);
        }
        fs::remove_all(folder, error);
    }

    platform::Win32Platform os_;
    std::string folder_;
    std::string key_;
};

}  // namespace

std::unique_ptr<Environment> MakeEnvironment(const std::string& testName) {
    return std::make_unique<Win32Environment>(testName);
}

}  // namespace contract
