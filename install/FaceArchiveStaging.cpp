#include "install/FaceArchiveStaging.h"

#include "install/DocumentsFailures.h"
#include "install/GameDetection.h"
#include "install/InstallJob.h"
#include "install/InstallMessages.h"
#include "install/Paths.h"
#include "install/ProgressDialogLink.h"
#include "install/RetryPolicy.h"
#include "platform/Platform.h"
#include "platform/framework/CFile.h"

#include <string>

namespace {

using platform::Os;

namespace win = platform::win;

// How staging one archive ended: its failure code (0 for none), and whether
// it made a copy.
struct Staged {
    int failure = 0;
    bool copied = false;
};

Staged Failed(int code) { return Staged{code, false}; }

// 0 when the copy is on the disk; else the failure to report.
int FlushToDisk(const std::string& path) {
    platform::CFile file;
    const auto open = [&] {
        return file.Open(path.c_str(), platform::CFile::modeReadWrite | platform::CFile::typeBinary);
    };
    // A fresh copy is what scanners look at first.
    if (!RetryWhileHeld(open)) return WriteFailure(Os().LastError(), kErrorFaceArchiveCopy);
    try {
        file.Flush();
        file.Close();
    } catch (const platform::CFileException&) {
        return kErrorFaceArchiveCopy;
    }
    return 0;
}

// The copy is made beside the archive and flushed before it takes the
// archive's name, so that a power cut never leaves an archive whose bytes
// are not all on the disk. It never replaces an archive that is there after
// all (its existence check may have failed): that may hold the player's own
// faces.
Staged CopyDurably(const std::string& source, const std::string& temp, const std::string& target) {
    // The game's archive may be read by a scanner or held by the game's own
    // tools for a moment; a leftover copy of an interrupted run as well.
    if (!CopyFileWithRetries(source.c_str(), temp.c_str())) {
        return Failed(StagingCopyFailure(source, Os().LastError(), kErrorFaceArchiveCopy));
    }
    if (const int failure = FlushToDisk(temp)) return Failed(failure);
    if (RetryWhileHeld([&] { return Os().MoveFileEx(temp.c_str(), target.c_str(), 0); })) return Staged{0, true};
    const std::uint32_t error = Os().LastError();
    return error == win::kErrorAlreadyExists ? Staged{} : Failed(WriteFailure(error, kErrorFaceArchiveCopy));
}

Staged StageArchive(int index) {
    std::string root;
    GetDocumentsRoot(root);
    // Without the documents folder the target would be relative to the
    // working directory.
    if (root.empty()) return Failed(kErrorFaceArchiveCopy);
    const std::string target = root + FaceArchivePaths[index];
    if (Os().PathFileExists(target.c_str())) return Staged{};
    switch (MakeFolderChain(target.c_str())) {
    case FolderChain::kRefused:
        return Failed(kErrorDocumentsRefused);
    case FolderChain::kFileInTheWay:
        return Failed(kErrorFileInPlaceOfFolder);
    case FolderChain::kMade:
    case FolderChain::kFailed:
        break;  // the copy tells
    }

    std::string installDir;
    // Without the installation directory the source would be relative to the
    // working directory, and some unrelated file could be staged.
    if (!GetInstallDir(installDir)) return Failed(kErrorFaceArchiveCopy);
    const std::string source = installDir + FaceArchiveSourcePaths[index];
    return CopyDurably(source, root + FaceArchiveTempPaths[index], target);
}

}  // namespace

int StageFaceArchivesStep() {
    PostToProgressDialog(WM_INSTALL_STEP, 0);
    for (int index = 0; index < kFaceArchiveCount; ++index) {
        const Staged staged = StageArchive(index);
        if (staged.failure != 0) {
            PostToProgressDialog(WM_INSTALL_ERROR, static_cast<std::uintptr_t>(staged.failure));
            return 0;
        }
        if (staged.copied) PostToProgressDialog(WM_INSTALL_STEP, 0);
    }
    return 1;
}
