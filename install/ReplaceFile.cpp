#include "install/ReplaceFile.h"

#include "platform/Platform.h"

namespace {

namespace win = platform::win;

// Errors that another program holding the target for a moment gives.
bool IsTransientHold(std::uint32_t error) {
    return error == win::kErrorAccessDenied || error == win::kErrorSharingViolation;
}

bool TryReplace(const char* source, const char* target) {
    platform::Platform& os = platform::Os();
    // The holder may have reset the attributes, so this is done before each attempt.
    os.SetFileAttributes(target, win::kFileAttributeArchive);
    return os.MoveFileEx(source, target, win::kMoveFileReplaceExisting);
}

}  // namespace

bool ReplaceFileWithRetries(const char* source, const char* target) {
    for (int attempt = 1;; ++attempt) {
        if (TryReplace(source, target)) return true;
        if (attempt == kReplaceAttempts || !IsTransientHold(platform::Os().LastError())) return false;
        platform::Os().Sleep(kReplaceRetryDelayMs);
    }
}
