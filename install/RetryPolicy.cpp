#include "install/RetryPolicy.h"

#include "platform/Platform.h"

namespace win = platform::win;

bool IsBriefHold(std::uint32_t error) {
    // A file whose deletion is pending (a sync client replacing it, a
    // scanner's quarantine) also refuses opens with access denied until its
    // last handle closes.
    return error == win::kErrorAccessDenied || error == win::kErrorSharingViolation;
}

bool RetryWhileHeld(const std::function<bool()>& attempt) {
    for (int made = 1;; ++made) {
        if (attempt()) return true;
        if (made == kHeldFileAttempts || !IsBriefHold(platform::Os().LastError())) return false;
        platform::Os().Sleep(kHeldFileRetryDelayMs);
    }
}

bool ReplaceFileWithRetries(const char* source, const char* target) {
    return RetryWhileHeld([source, target] {
        platform::Platform& os = platform::Os();
        // The holder may have reset the attributes.
        os.SetFileAttributes(target, win::kFileAttributeArchive);
        return os.MoveFileEx(source, target, win::kMoveFileReplaceExisting);
    });
}
