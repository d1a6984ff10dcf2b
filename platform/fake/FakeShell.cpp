// The shell's documents folder, the system's ANSI code page, the conversion
// into it and network shares: what decides how the double reads a name.
#include "platform/AnsiConversion.h"
#include "platform/fake/FakeConversion.h"
#include "platform/fake/FakePath.h"
#include "platform/fake/FakeState.h"

#include <cstring>

namespace platform::fake {

namespace {

// The documents folder's name in the code page, converted with the
// arguments the lookup uses: 0, or the lookup's error.
std::uint32_t ConvertedPersonalFolder(const detail::FakeState& state, std::string* name) {
    if (!state.personalFolder && !state.personalFolderName) return win::kErrorFileNotFound;
    const AnsiNameConversion conversion = AnsiNameConversionFor(state.codePage);
    if (!state.personalFolderName) {
        *name = *state.personalFolder;
        return detail::ConversionArgumentsError(state.codePage, conversion.flags, conversion.reportsStandIns);
    }
    const detail::Conversion converted =
        detail::WideToAnsi(state.codePage, conversion.flags, *state.personalFolderName, conversion.reportsStandIns);
    if (converted.error != 0) return converted.error;
    if (converted.usedDefault) return win::kErrorNoUnicodeTranslation;
    *name = converted.bytes;
    return 0;
}

}  // namespace

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

int FakePlatform::WideCharToAnsi(const char16_t* text, std::uint32_t flags, char* buffer, int size,
                                 bool* usedDefault) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::WideCharToAnsi)) return 0;
    if (text == nullptr || size < 0 || (size > 0 && buffer == nullptr)) {
        state_->SetError(win::kErrorInvalidParameter);
        return 0;
    }
    const detail::Conversion converted =
        detail::WideToAnsi(state_->codePage, flags, std::u16string(text), usedDefault != nullptr);
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
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->personalFolder = std::move(path);
    state_->personalFolderName = std::nullopt;
    state_->personalFolderWithBackslash = withBackslash;
}

void FakePlatform::SetPersonalFolderName(std::u16string name, bool withBackslash) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->personalFolder = std::nullopt;
    state_->personalFolderName = std::move(name);
    state_->personalFolderWithBackslash = withBackslash;
}

void FakePlatform::SetPersonalFolderWithoutAnsiName() {
    SetPersonalFolderName(u"C:\\Users\\Player\\Documents\xD800");
}

bool FakePlatform::GetPersonalFolderPath(char (&buffer)[260]) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::GetPersonalFolderPath)) return false;
    std::string name;
    if (const std::uint32_t error = ConvertedPersonalFolder(*state_, &name)) {
        state_->SetError(error);
        return false;
    }
    std::string reported = detail::WithoutTrailingSeparators(state_->codePage, name);
    if (state_->personalFolderWithBackslash && reported.size() > 3) reported += '\\';
    // The conversion writes into the caller's 260 bytes.
    if (reported.size() >= sizeof(buffer)) {
        state_->SetError(win::kErrorInsufficientBuffer);
        return false;
    }
    std::memcpy(buffer, reported.c_str(), reported.size() + 1);
    return true;
}

}  // namespace platform::fake
