#include "install/RecordInstall.h"

#include "install/DocumentsFailures.h"
#include "install/GameDetection.h"
#include "install/InstallMessages.h"
#include "install/Paths.h"
#include "install/ProgressDialogLink.h"
#include "install/RetryPolicy.h"
#include "platform/Platform.h"
#include "platform/framework/CFile.h"

#include <string>

namespace {

using platform::CFile;
using platform::Os;
namespace win = platform::win;

int Fail(int code) {
    PostToProgressDialog(WM_INSTALL_ERROR, static_cast<std::uintptr_t>(code));
    return 0;
}

// 0, or the failure to report when the file cannot be created or a write,
// flush or close fails; what was written then stays in the temporary file
// and goes no further.
int WriteTemporaryRecord(const std::string& path, const InstallJob& job) {
    CFile file;
    // A temporary file left by an earlier run may be being looked at, and it
    // may be read-only (as the archives' are once patched), hidden or system,
    // each of which refuses the create.
    const auto create = [&] {
        Os().SetFileAttributes(path.c_str(), win::kFileAttributeArchive);
        return file.Open(path.c_str(), CFile::modeCreate | CFile::modeReadWrite | CFile::typeBinary);
    };
    if (!RetryWhileHeld(create)) return WriteFailure(Os().LastError(), kErrorRecordCreate);
    try {
        file.Write(job.pRecordData, job.dwRecordSize);
        file.Flush();
        file.Close();
    } catch (const platform::CFileException&) {
        return kErrorRecordCreate;
    }
    return 0;
}

// The expansion edition's record supersedes the base edition's. Never the
// file just installed, even if the registry changed since the job was made.
void RemoveBaseRecord(const std::string& folder, const InstallJob& job) {
    if (job.strRecordFileName == kBaseRecordFileName) return;
    if (DetectEdition() != Edition::Expansion) return;
    const std::string baseRecord = folder + kBaseRecordFileName;
    Os().SetFileAttributes(baseRecord.c_str(), win::kFileAttributeNormal);
    Os().DeleteFile(baseRecord.c_str());
}

}  // namespace

int InstallRecordStep(const InstallJob& job) {
    std::string root;
    GetDocumentsRoot(root);
    // Without the documents folder the record would land relative to the
    // working directory.
    if (root.empty()) return Fail(kErrorRecordCreate);
    const std::string folder = root + kRecordFolder;
    const std::string finalPath = folder + job.strRecordFileName;
    const std::string tempPath = finalPath + kTempSuffix;

    // An empty record would replace the player's with nothing the game can read.
    if (job.pRecordData == nullptr || job.dwRecordSize == 0) return Fail(kErrorRecordCreate);
    if (const int failure = WriteTemporaryRecord(tempPath, job)) return Fail(failure);
    if (!ReplaceFileWithRetries(tempPath.c_str(), finalPath.c_str())) {
        return Fail(ReplaceFailure(finalPath, Os().LastError(), kErrorRecordCommit));
    }
    Os().SetFileAttributes(finalPath.c_str(), win::kFileAttributeReadOnly);
    PostToProgressDialog(WM_INSTALL_STEP, 0);

    RemoveBaseRecord(folder, job);
    return 1;
}
