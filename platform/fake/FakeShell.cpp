// The shell's documents folder, the system's ANSI code page and network
// shares: what decides how the double reads a name.
#include "platform/fake/FakePath.h"
#include "platform/fake/FakeState.h"

#include <cstring>

namespace platform::fake {

void FakePlatform::SetAnsiCodePage(std::uint32_t number) {
    const std::optional<AnsiCodePage> codePage = detail::KnownCodePage(number);
    if (!codePage) return;
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->codePage = *codePage;
}

bool FakePlatform::GetAnsiCodePage(AnsiCodePage* codePage) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::GetAnsiCodePage)) return false;
    *codePage = state_->codePage;
    return true;
}

void FakePlatform::AddShare(const std::string& share) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    detail::ResolvedPath resolved;
    if (detail::ResolvePath(state_->codePage, (share + "\\").c_str(), &resolved) != 0) return;
    if (!resolved.leaf.empty() || state_->Find(resolved.key)) return;
    state_->AddEntry(resolved.key, resolved.display, true);
}

void FakePlatform::SetPersonalFolder(std::optional<std::string> path, bool withBackslash) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->personalFolder = std::move(path);
    state_->personalFolderHasNoAnsiName = false;
    state_->personalFolderWithBackslash = withBackslash;
}

void FakePlatform::SetPersonalFolderWithoutAnsiName() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->personalFolder = std::nullopt;
    state_->personalFolderHasNoAnsiName = true;
}

bool FakePlatform::GetPersonalFolderPath(char (&buffer)[260]) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::GetPersonalFolderPath)) return false;
    if (state_->personalFolderHasNoAnsiName) {
        state_->SetError(win::kErrorNoUnicodeTranslation);
        return false;
    }
    if (!state_->personalFolder) {
        state_->SetError(win::kErrorFileNotFound);
        return false;
    }
    std::string reported = detail::WithoutTrailingSeparators(state_->codePage, *state_->personalFolder);
    if (state_->personalFolderWithBackslash && reported.size() > 3) reported += '\\';
    if (reported.size() >= sizeof(buffer)) {
        state_->SetError(win::kErrorFilenameTooLong);
        return false;
    }
    std::memcpy(buffer, reported.c_str(), reported.size() + 1);
    return true;
}

}  // namespace platform::fake
