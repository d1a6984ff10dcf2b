#include "install/Paths.h"

#include "platform/Platform.h"

#include <cstring>

const char kRecordFolder[] = "ZAVO\\Vantaris77 Tc\\EDIT\\BUSHOU\\";
const char kSetDataFolder[] = "ZAVO\\Vantaris77 Tc\\EDIT\\SETDATA\\";
const char kSetDataFileName[] = "EDATA000.77Q";
const char kBaseRecordFileName[] = "addonwarlord1.77B";
const char kExpansionRecordFileName[] = "addonwarlord1.77P";
const char kTempSuffix[] = ".$$$";

const char* const FaceArchivePaths[kFaceArchiveCount] = {
    "ZAVO\\Vantaris77 Tc\\GRP\\EDIT_KAO_L.V77",
    "ZAVO\\Vantaris77 Tc\\GRP\\EDIT_KAO_M.V77",
    "ZAVO\\Vantaris77 Tc\\GRP\\EDIT_KAO_S.V77",
};
const char* const FaceArchiveTempPaths[kFaceArchiveCount] = {
    "ZAVO\\Vantaris77 Tc\\GRP\\EDIT_KAO_L.$$$",
    "ZAVO\\Vantaris77 Tc\\GRP\\EDIT_KAO_M.$$$",
    "ZAVO\\Vantaris77 Tc\\GRP\\EDIT_KAO_S.$$$",
};
const char* const FaceArchiveSourcePaths[kFaceArchiveCount] = {
    "GRP\\EDIT_KAO_L.V77",
    "GRP\\EDIT_KAO_M.V77",
    "GRP\\EDIT_KAO_S.V77",
};

namespace {
constexpr std::size_t kMaxChainBytes = 260;
}

void GetDocumentsRoot(std::string& text) {
    text.clear();
    char buffer[kMaxPathBytes + 1] = {};
    if (!platform::Os().GetPersonalFolderPath(buffer)) return;
    const char* terminator = static_cast<const char*>(std::memchr(buffer, 0, sizeof buffer));
    if (terminator == nullptr) return;
    text.assign(buffer, static_cast<std::size_t>(terminator - buffer));
    // A folder of 259 bytes has no room for the backslash and stays as it is,
    // as the system's own path helper leaves it: every path built on it is
    // then too long and is refused, instead of naming a sibling folder that
    // fits.
    if (!text.empty() && text.back() != '\\' && text.size() < kMaxPathBytes) text += '\\';
}

int CreateDirectoryChain(const char* path) {
    const std::size_t length = std::strlen(path);
    if (length > kMaxChainBytes) return 0;
    std::string prefix;
    prefix.reserve(length);
    // Byte-wise on purpose: the folders the installer creates have ASCII names.
    for (std::size_t i = 0; i < length; ++i) {
        prefix += path[i];
        if (path[i] != '\\') continue;
        if (platform::Os().GetFileAttributes(prefix.c_str()) != platform::win::kInvalidFileAttributes) {
            continue;
        }
        if (!platform::Os().CreateDirectory(prefix.c_str())) return 0;
    }
    return 1;
}

int PrepareRecordFolderStep() {
    std::string folder;
    GetDocumentsRoot(folder);
    folder += kRecordFolder;
    // A folder that cannot be made shows later, when the record cannot be written.
    if (!platform::Os().PathFileExists(folder.c_str())) CreateDirectoryChain(folder.c_str());
    return 1;
}
