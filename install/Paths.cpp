#include "install/Paths.h"

#include "install/InstallMessages.h"
#include "install/PathCharacters.h"
#include "install/ProgressDialogLink.h"
#include "install/RetryPolicy.h"
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

// The folders of the game's data that the installation makes or writes in,
// each after the folders above it.
const char* const kGameFolders[] = {
    "ZAVO",
    "ZAVO\\Vantaris77 Tc",
    "ZAVO\\Vantaris77 Tc\\EDIT",
    "ZAVO\\Vantaris77 Tc\\EDIT\\BUSHOU",
    "ZAVO\\Vantaris77 Tc\\GRP",
};

bool IsFile(const std::string& name) {
    const std::uint32_t attributes = platform::Os().GetFileAttributes(name.c_str());
    return attributes != platform::win::kInvalidFileAttributes &&
           (attributes & platform::win::kFileAttributeDirectory) == 0;
}

// Makes the folder `prefix` (ending with its backslash) unless it is there.
FolderChain MakeFolder(const std::string& prefix) {
    const std::uint32_t attributes = platform::Os().GetFileAttributes(prefix.c_str());
    if (attributes != platform::win::kInvalidFileAttributes) {
        return (attributes & platform::win::kFileAttributeDirectory) != 0 ? FolderChain::kMade
                                                                          : FolderChain::kFileInTheWay;
    }
    // A file's name with a backslash after it names nothing, so the file is
    // looked for by its own name.
    const std::string name = prefix.substr(0, prefix.size() - 1);
    if (IsFile(name)) return FolderChain::kFileInTheWay;
    // A folder of that name being deleted refuses a new one for a moment.
    if (RetryWhileHeld([&prefix] { return platform::Os().CreateDirectory(prefix.c_str()); })) {
        return FolderChain::kMade;
    }
    const std::uint32_t error = platform::Os().LastError();
    if (error == platform::win::kErrorAlreadyExists) {
        return IsFile(name) ? FolderChain::kFileInTheWay : FolderChain::kMade;
    }
    return error == platform::win::kErrorAccessDenied ? FolderChain::kRefused : FolderChain::kFailed;
}

bool FileStandsInGameFolders(const std::string& root) {
    for (const char* folder : kGameFolders) {
        if (IsFile(root + folder)) return true;
    }
    return false;
}

int Fail(int code) {
    PostToProgressDialog(WM_INSTALL_ERROR, static_cast<std::uintptr_t>(code));
    return 0;
}

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

FolderChain MakeFolderChain(const char* path) {
    const std::size_t length = std::strlen(path);
    if (length > kMaxChainBytes) return FolderChain::kFailed;
    if (length == 0) return FolderChain::kMade;
    const std::string whole(path, length);
    const std::optional<PathLayout> layout = LayOut(whole);
    if (!layout) return FolderChain::kFailed;
    // Nothing at or above the root is asked for: a share's server is no folder.
    for (const std::size_t end : layout->folderEnds) {
        const FolderChain made = MakeFolder(whole.substr(0, end));
        if (made != FolderChain::kMade) return made;
    }
    return FolderChain::kMade;
}

int CreateDirectoryChain(const char* path) { return MakeFolderChain(path) == FolderChain::kMade ? 1 : 0; }

int PrepareRecordFolderStep() {
    std::string root;
    GetDocumentsRoot(root);
    // Without the documents folder every path would be relative to the
    // working directory; nothing may be written there.
    if (root.empty()) return Fail(kErrorDocumentsFolder);
    // Told before anything is made: later it would show only as a file that
    // cannot be written, as if the game were missing.
    if (FileStandsInGameFolders(root)) return Fail(kErrorFileInPlaceOfFolder);
    const std::string folder = root + kRecordFolder;
    if (platform::Os().PathFileExists(folder.c_str())) return 1;
    switch (MakeFolderChain(folder.c_str())) {
    case FolderChain::kRefused:
        return Fail(kErrorDocumentsRefused);
    case FolderChain::kFileInTheWay:
        return Fail(kErrorFileInPlaceOfFolder);
    case FolderChain::kMade:
    case FolderChain::kFailed:
        break;  // Any other reason shows when the record cannot be written.
    }
    return 1;
}
