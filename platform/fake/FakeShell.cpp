// The shell's documents folder, the system's ANSI code page, the conversion
// into it and network shares: what decides how the double reads a name.
#include "platform/fake/FakeConversion.h"
#include "platform/fake/FakePath.h"
#include "platform/fake/FakeState.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

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

int FakePlatform::WideCharToAnsi(std::uint32_t codePage, const char16_t* text, std::uint32_t flags, char* buffer,
                                 int size, bool* usedDefault) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::WideCharToAnsi)) return 0;
    const std::optional<AnsiCodePage> target =
        codePage == win::kCpAcp ? std::optional<AnsiCodePage>(state_->codePage) : detail::KnownCodePage(codePage);
    if (!target || text == nullptr || size < 0 || (size > 0 && buffer == nullptr)) {
        state_->SetError(win::kErrorInvalidParameter);
        return 0;
    }
    const detail::Conversion converted =
        detail::WideToAnsi(codePage, *target, flags, std::u16string(text), usedDefault != nullptr);
    if (converted.error != 0) {
        state_->SetError(converted.error);
        return 0;
    }
    const int needed = static_cast<int>(converted.bytes.size()) + 1;
    if (size == 0) return needed;  // only measured
    if (needed > size) {
        state_->SetError(win::kErrorInsufficientBuffer);
        return 0;
    }
    std::memcpy(buffer, converted.bytes.c_str(), static_cast<std::size_t>(needed));
    if (usedDefault != nullptr) *usedDefault = converted.usedDefault;
    return needed;
}

void FakePlatform::AddShare(const std::string& share) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    detail::ResolvedPath resolved;
    if (detail::ResolvePath(state_->codePage, (share + "\\").c_str(), &resolved) != 0) return;
    if (!resolved.leaf.empty() || state_->Find(resolved.key)) return;
    state_->AddEntry(resolved.key, resolved.display, true);
}

void FakePlatform::SetPersonalFolder(std::optional<std::string> path, bool withBackslash) {
    std::optional<std::u16string> name;
    if (path) {
        std::lock_guard<std::mutex> lock(state_->mutex);
        name = detail::AnsiToWide(state_->codePage, *path);
        if (!name) throw std::invalid_argument("the double cannot read the documents folder's bytes as characters");
    }
    SetPersonalFolderName(std::move(name), withBackslash);
}

void FakePlatform::SetPersonalFolderName(std::optional<std::u16string> name, bool withBackslash) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->personalFolder = std::move(name);
    state_->personalFolderWithBackslash = withBackslash;
}

void FakePlatform::SetPersonalFolderWithoutAnsiName() { SetPersonalFolderName(u"C:\\Users\\Player\\Documents\xD800"); }

bool FakePlatform::GetPersonalFolderPath(char16_t (&buffer)[260]) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::GetPersonalFolderPath)) return false;
    if (!state_->personalFolder) {
        state_->SetError(win::kErrorFileNotFound);
        return false;
    }
    std::u16string reported = *state_->personalFolder;
    while (reported.size() > 3 && reported.back() == u'\\') reported.pop_back();
    if (state_->personalFolderWithBackslash && reported.size() > 3) reported += u'\\';
    if (reported.size() >= sizeof buffer / sizeof buffer[0]) {
        state_->SetError(win::kErrorInsufficientBuffer);
        return false;
    }
    std::copy(reported.begin(), reported.end(), buffer);
    buffer[reported.size()] = u'\0';
    state_->SetError(win::kErrorSuccess);
    return true;
}

}  // namespace platform::fake
