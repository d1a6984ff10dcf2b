#include "install/Paths.h"

#include "install/InstallMessages.h"
#include "install/PathCharacters.h"
#include "install/ProgressDialogLink.h"
#include "platform/AnsiConversion.h"
#include "platform/Platform.h"

#include <cstring>
#include <optional>

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

// The system's code page, or nothing when the system cannot tell: a path
// whose characters are unknown cannot be split safely.
std::optional<PathLayout> LayOut(const std::string& path) {
    platform::AnsiCodePage codePage;
    if (!platform::Os().GetAnsiCodePage(&codePage)) return std::nullopt;
    return LayOutPath(codePage, path);
}
}  // namespace

void GetDocumentsRoot(std::string& text) {
    text.clear();
    char16_t shellName[kMaxPathBytes + 1] = {};
    if (!platform::Os().GetPersonalFolderPath(shellName)) return;
    platform::AnsiCodePage codePage;
    if (!platform::Os().GetAnsiCodePage(&codePage)) return;
    const platform::AnsiName name = platform::ToAnsiName(codePage, shellName);
    if (name.error != platform::win::kErrorSuccess) return;
    std::string folder = name.bytes;
    // The last byte may be the second half of a character such as 許 (B3 5C):
    // only a backslash character ends the folder's name.
    const std::optional<PathLayout> layout = LayOutPath(codePage, folder);
    if (!layout) return;
    // A folder of 259 bytes has no room for the backslash and stays as it is,
    // as the system's own path helper leaves it: every path built on it is
    // then too long and is refused, instead of naming a sibling folder that
    // fits.
    if (!folder.empty() && !layout->endsWithBackslash && folder.size() < kMaxPathBytes) folder += '\\';
    text = folder;
}

int CreateDirectoryChain(const char* path) {
    const std::size_t length = std::strlen(path);
    if (length > kMaxChainBytes) return 0;
    if (length == 0) return 1;
    const std::string whole(path, length);
    const std::optional<PathLayout> layout = LayOut(whole);
    if (!layout) return 0;
    // Nothing at or above the root is asked for: a share's server is no folder.
    for (const std::size_t end : layout->folderEnds) {
        const std::string prefix = whole.substr(0, end);
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
    // Without the documents folder every path would be relative to the
    // working directory; nothing may be written there.
    if (folder.empty()) {
        PostToProgressDialog(WM_INSTALL_ERROR, kErrorDocumentsFolder);
        return 0;
    }
    folder += kRecordFolder;
    // A folder that cannot be made shows later, when the record cannot be written.
    if (!platform::Os().PathFileExists(folder.c_str())) CreateDirectoryChain(folder.c_str());
    return 1;
}
