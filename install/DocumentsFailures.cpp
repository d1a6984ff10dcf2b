#include "install/DocumentsFailures.h"

#include "install/InstallMessages.h"
#include "install/RetryPolicy.h"
#include "platform/Platform.h"

namespace {

namespace win = platform::win;
using platform::Os;

constexpr std::uint32_t kShareAll = win::kFileShareRead | win::kFileShareWrite | win::kFileShareDelete;
constexpr std::uint32_t kDataElsewhere = win::kFileAttributeRecallOnDataAccess | win::kFileAttributeRecallOnOpen;

bool IsDiskFull(std::uint32_t error) { return error == win::kErrorDiskFull || error == win::kErrorHandleDiskFull; }

// Whether the file's data is not on this device (a placeholder of a sync
// client), so that a failure other than a full disk, a refusal or a hold
// came from fetching it: a placeholder that no filter serves any more gives
// ERROR_CANT_ACCESS_FILE, older offline stores other errors.
bool DataIsAway(const std::string& path, std::uint32_t error) {
    if (IsDiskFull(error) || IsBriefHold(error)) return false;
    const std::uint32_t attributes = Os().GetFileAttributes(path.c_str());
    return attributes != win::kInvalidFileAttributes && (attributes & win::kFileAttributeDirectory) == 0 &&
           (attributes & kDataElsewhere) != 0;
}

// Opens `path` for `access`, sharing everything, and closes it at once.
// The error of a failed open, or 0.
std::uint32_t OpenError(const std::string& path, std::uint32_t access) {
    const platform::FileHandle file =
        Os().CreateFile(path.c_str(), access, kShareAll, win::kOpenExisting, win::kFileAttributeNormal);
    if (file == platform::kInvalidFile) return Os().LastError();
    Os().CloseFile(file);
    return 0;
}

}  // namespace

bool IsCloudDataUnavailable(std::uint32_t error) {
    switch (error) {
    case win::kErrorCloudFileProviderUnknown:
    case win::kErrorCloudFileProviderNotRunning:
    case win::kErrorCloudFileMetadataCorrupt:
    case win::kErrorCloudFileAuthenticationFailed:
    case win::kErrorCloudFileInsufficientResources:
    case win::kErrorCloudFileNetworkUnavailable:
    case win::kErrorCloudFileUnsuccessful:
    case win::kErrorCloudFileInUse:
    case win::kErrorCloudFileRequestAborted:
    case win::kErrorCloudFileAccessDenied:
    case win::kErrorCloudFileRequestCanceled:
    case win::kErrorCloudFileProviderTerminated:
    case win::kErrorCloudFileRequestTimeout:
        return true;
    default:
        return false;
    }
}

int WriteFailure(std::uint32_t error, int stepCode) {
    return error == win::kErrorAccessDenied ? kErrorDocumentsRefused : stepCode;
}

int CopyWithinDocumentsFailure(const std::string& source, std::uint32_t error, int stepCode) {
    if (IsCloudDataUnavailable(error)) return kErrorCloudFileUnavailable;
    if (error == win::kErrorAccessDenied) return kErrorDocumentsRefused;
    return DataIsAway(source, error) ? kErrorCloudFileUnavailable : stepCode;
}

int ReadFailure(const std::string& path, std::uint32_t error, int stepCode) {
    if (IsCloudDataUnavailable(error) || DataIsAway(path, error)) return kErrorCloudFileUnavailable;
    return stepCode;
}

int ReplaceFailure(const std::string& target, std::uint32_t error, int stepCode) {
    if (error != win::kErrorAccessDenied) return stepCode;
    return OpenError(target, win::kDelete) == win::kErrorAccessDenied ? kErrorDocumentsRefused : stepCode;
}

int StagingCopyFailure(const std::string& source, std::uint32_t error, int stepCode) {
    if (error != win::kErrorAccessDenied) return stepCode;
    return OpenError(source, win::kGenericRead) == 0 ? kErrorDocumentsRefused : stepCode;
}
