#include "install/FaceArchiveStaging.h"

#include "install/GameDetection.h"
#include "install/InstallJob.h"
#include "install/InstallMessages.h"
#include "install/Paths.h"
#include "install/ProgressDialogLink.h"
#include "platform/Platform.h"

#include <string>

namespace {

using platform::Os;

enum class Staged { AlreadyThere, Copied, Failed };

Staged StageArchive(int index) {
    std::string root;
    GetDocumentsRoot(root);
    // Without the documents folder the target would be relative to the
    // working directory.
    if (root.empty()) return Staged::Failed;
    const std::string target = root + FaceArchivePaths[index];
    if (Os().PathFileExists(target.c_str())) return Staged::AlreadyThere;
    CreateDirectoryChain(target.c_str());

    std::string installDir;
    // Without the installation directory the source would be relative to the
    // working directory, and some unrelated file could be staged.
    if (!GetInstallDir(installDir)) return Staged::Failed;
    const std::string source = installDir + FaceArchiveSourcePaths[index];
    return Os().CopyFile(source.c_str(), target.c_str(), false) ? Staged::Copied : Staged::Failed;
}

}  // namespace

int StageFaceArchivesStep() {
    PostToProgressDialog(WM_INSTALL_STEP, 0);
    for (int index = 0; index < kFaceArchiveCount; ++index) {
        const Staged staged = StageArchive(index);
        if (staged == Staged::Failed) {
            PostToProgressDialog(WM_INSTALL_ERROR, kErrorFaceArchiveCopy);
            return 0;
        }
        if (staged == Staged::Copied) PostToProgressDialog(WM_INSTALL_STEP, 0);
    }
    return 1;
}
