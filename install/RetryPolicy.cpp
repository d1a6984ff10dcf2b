#include "install/RetryPolicy.h"

#include "platform/Platform.h"

namespace win = platform::win;

bool IsBriefHold(std::uint32_t error) {
    // A file whose deletion is pending (a sync client replacing it, a
    // scanner's quarantine) also refuses opens with access denied until its
    // last handle closes. A copy whose read meets a range that another
    // program has locked fails with a lock violation (Windows; Wine does not
    // hold reads to such locks).
    return error == win::kErrorAccessDenied || error == win::kErrorSharingViolation ||
           error == win::kErrorLockViolation || error == win::kErrorUserMappedFile;
}

bool RetryWhileHeld(const std::function<bool()>& attempt) {
    for (int made = 1;; ++made) {
        if (attempt()) return true;
        if (made == kHeldFileAttempts || !IsBriefHold(platform::Os().LastError())) return false;
        platform::Os().Sleep(kHeldFileRetryDelayMs);
    }
}

bool CopyFileWithRetries(const char* source, const char* target) {
    platform::Platform& os = platform::Os();
    const bool copied = RetryWhileHeld([&os, source, target] {
        // A read-only leftover of an interrupted run, or one the holder made so.
        os.SetFileAttributes(target, win::kFileAttributeArchive);
        return os.CopyFile(source, target, false);
    });
    if (copied) os.SetFileAttributes(target, win::kFileAttributeArchive);
    return copied;
}

bool ReplaceFileWithRetries(const char* source, const char* target) {
    return RetryWhileHeld([source, target] {
        platform::Platform& os = platform::Os();
        // The holder may have reset the attributes.
        os.SetFileAttributes(target, win::kFileAttributeArchive);
        return os.MoveFileEx(source, target, win::kMoveFileReplaceExisting);
    });
}
