#include "install/GameDetection.h"

#include "install/InstallMessages.h"
#include "install/Paths.h"
#include "install/ProgressDialogLink.h"
#include "install/RegistryValue.h"
#include "platform/Platform.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr std::uint32_t kInstallInfoBufferSize = 260;
constexpr std::uint16_t kLastUnpatchedYear = 2010;

const char* ProductKey(Edition edition) {
    switch (edition) {
    case Edition::Base:
        return "Vantaris77 Tc";
    case Edition::Expansion:
        return "Vantaris77QX Tc";
    case Edition::None:
        break;
    }
    return nullptr;
}

int PatchLevelFailureCode(Edition edition) {
    return edition == Edition::Expansion ? kErrorExpansionPatchLevel : kErrorBasePatchLevel;
}

bool PatchLevelAtLeastTwo(Edition edition) {
    std::uint32_t level = 0;
    std::uint8_t bytes[sizeof level] = {};
    std::uint32_t size = sizeof bytes;
    if (QueryProductValue(ProductKey(edition), "PL", "1", bytes, &size) != 0) return false;
    // A shorter value fills the low-order bytes only.
    for (int i = 0; i < 4; ++i) level |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    return level > 1;
}

class ScopedFile {
public:
    explicit ScopedFile(platform::FileHandle handle) : handle_(handle) {}
    ~ScopedFile() {
        if (IsOpen()) platform::Os().CloseFile(handle_);
    }
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;
    bool IsOpen() const { return handle_ != platform::kInvalidFile; }
    platform::FileHandle Get() const { return handle_; }

private:
    platform::FileHandle handle_;
};

// The year of the file's last write in local time; false when the file
// cannot be opened or its time cannot be read or converted.
bool LocalLastWriteYear(const std::string& path, std::uint16_t* year) {
    if (path.size() > kMaxPathBytes) return false;
    namespace win = platform::win;
    // Only the time is read, so whoever else reads or writes the file (a
    // scanner, the game's own updater) is no reason to fail.
    constexpr std::uint32_t kShareAll = win::kFileShareRead | win::kFileShareWrite | win::kFileShareDelete;
    ScopedFile file(platform::Os().CreateFile(path.c_str(), win::kGenericRead, kShareAll, win::kOpenExisting,
                                              win::kFileAttributeNormal));
    if (!file.IsOpen()) return false;
    platform::FileTime lastWrite;
    if (!platform::Os().GetFileTime(file.Get(), &lastWrite)) return false;
    platform::CalendarTime local;
    if (!platform::Os().FileTimeToLocalCalendar(lastWrite, &local)) return false;
    *year = local.year;
    return true;
}

}  // namespace

bool ReadInstallInfo(Edition edition, std::string& text) {
    text.clear();
    const char* product = ProductKey(edition);
    if (product == nullptr) return false;
    char buffer[kInstallInfoBufferSize] = {};
    std::uint32_t size = sizeof buffer;
    // A value that does not fit with its terminator counts as not found:
    // cutting it would give a different folder.
    if (QueryProductValue(product, "Install", "InstallInfo", reinterpret_cast<std::uint8_t*>(buffer), &size) != 0) {
        return false;
    }
    const char* terminator = static_cast<const char*>(std::memchr(buffer, 0, sizeof buffer));
    if (terminator == nullptr) return false;
    text.assign(buffer, static_cast<std::size_t>(terminator - buffer));
    return !text.empty();
}

bool GetInstallDir(std::string& text) {
    if (ReadInstallInfo(Edition::Base, text)) return true;
    return ReadInstallInfo(Edition::Expansion, text);
}

Edition DetectEdition() {
    std::string text;
    if (ReadInstallInfo(Edition::Base, text)) return Edition::Base;
    if (ReadInstallInfo(Edition::Expansion, text)) return Edition::Expansion;
    return Edition::None;
}

int CheckPatchLevel(Edition edition) {
    if (edition != Edition::Base && edition != Edition::Expansion) return kErrorBasePatchLevel;
    const int failure = PatchLevelFailureCode(edition);
    if (!PatchLevelAtLeastTwo(edition)) return failure;
    std::string installDir;
    if (!GetInstallDir(installDir)) return failure;
    std::uint16_t year = 0;
    if (!LocalLastWriteYear(installDir + GameExeName(edition), &year)) return failure;
    return year > kLastUnpatchedYear ? 0 : failure;
}

int FindGameStep() {
    std::string installDir;
    if (GetInstallDir(installDir)) return 1;
    PostToProgressDialog(WM_INSTALL_ERROR, kErrorGameNotInstalled);
    return 0;
}

const char* GameExeName(Edition edition) {
    switch (edition) {
    case Edition::Base:
        return "VANT77.exe";
    case Edition::Expansion:
        return "VANT77QX.exe";
    case Edition::None:
        break;
    }
    return "";
}
