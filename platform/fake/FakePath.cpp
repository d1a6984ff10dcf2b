#include "platform/fake/FakePath.h"

#include "platform/AnsiCharacters.h"

#include <vector>

namespace platform::fake::detail {

const char kWorkingFolder[] = "C:\\work\\";

namespace {

constexpr std::uint32_t kErrorInvalidName = 123;
constexpr std::uint32_t kErrorBadNetPath = 53;

AnsiCodePage CodePageWithLeadBytes(std::uint32_t number, std::initializer_list<std::pair<int, int>> ranges) {
    AnsiCodePage codePage;
    codePage.number = number;
    for (const auto& range : ranges) {
        for (int byte = range.first; byte <= range.second; ++byte) codePage.leadBytes[byte] = true;
    }
    return codePage;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Bytes of the character that starts at `i`; bytes that form no character
// count as far as they belong together.
std::size_t CharacterLength(const AnsiCodePage& codePage, const std::string& text, std::size_t i) {
    return CharacterAt(codePage, text, i).length;
}

bool IsForbiddenInName(char c) {
    return c == '<' || c == '>' || c == ':' || c == '"' || c == '|' || c == '?' || c == '*' ||
           (static_cast<unsigned char>(c) < 0x20);
}

// Splits on separators that are characters of their own.
std::vector<std::string> SplitComponents(const AnsiCodePage& codePage, const std::string& path) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < path.size();) {
        const std::size_t length = CharacterLength(codePage, path, i);
        if (length == 1 && IsSeparator(path[i])) {
            parts.emplace_back();
        } else {
            parts.back().append(path, i, length);
        }
        i += length;
    }
    return parts;
}

bool EndsWithSeparator(const AnsiCodePage& codePage, const std::string& path) {
    bool lastWasSeparator = false;
    for (std::size_t i = 0; i < path.size();) {
        const std::size_t length = CharacterLength(codePage, path, i);
        lastWasSeparator = length == 1 && IsSeparator(path[i]);
        i += length;
    }
    return lastWasSeparator;
}

// In UTF-8 Windows reads bytes that form no character as U+FFFD, the
// replacement character: such names are valid, and two names that differ
// only there are the same name.
std::string WithReplacementCharacters(const AnsiCodePage& codePage, const std::string& text) {
    std::string replaced;
    for (std::size_t i = 0; i < text.size();) {
        const AnsiCharacter character = CharacterAt(codePage, text, i);
        if (character.whole) {
            replaced.append(text, i, character.length);
        } else {
            replaced += "\xEF\xBF\xBD";
        }
        i += character.length;
    }
    return replaced;
}

bool HasForbiddenCharacter(const AnsiCodePage& codePage, const std::string& name) {
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t length = CharacterLength(codePage, name, i);
        if (length == 1 && IsForbiddenInName(name[i])) return true;
        i += length;
    }
    return false;
}

// Windows drops trailing dots and spaces from the last component.
void TrimTrailingDotsAndSpaces(std::string& name) {
    if (name == "." || name == "..") return;
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
}

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// An absolute path split into its root ("C:\" or "\\srv\share\") and the rest.
struct AbsolutePath {
    std::string root;
    std::string rest;
};

// "\\server\share\rest": the root with a backslash after the share's name;
// 53 (the network path was not found) when the server or share name is missing.
std::uint32_t SplitShare(const AnsiCodePage& codePage, const std::string& path, AbsolutePath* absolute) {
    std::vector<std::string> parts = SplitComponents(codePage, path.substr(2));
    if (parts.size() < 2 || parts[0].empty() || parts[1].empty()) return kErrorBadNetPath;
    if (parts[0] == "?" || parts[0] == ".") return win::kErrorPathNotFound;  // device paths: none here
    absolute->root = "\\\\" + parts[0] + "\\" + parts[1] + "\\";
    const std::size_t restStart = 2 + parts[0].size() + 1 + parts[1].size() + 1;
    absolute->rest = restStart < path.size() ? path.substr(restStart) : std::string();
    return 0;
}

// Turns the caller's text into a root and a path below it.
std::uint32_t MakeAbsolute(const AnsiCodePage& codePage, const std::string& path, AbsolutePath* absolute) {
    const bool hasDrive = path.size() >= 2 && path[1] == ':' && IsDriveLetter(path[0]);
    if (hasDrive) {
        const char drive = static_cast<char>(path[0] & ~0x20);
        if (path.size() >= 3 && IsSeparator(path[2])) {
            *absolute = {std::string(1, drive) + ":\\", path.substr(3)};
        } else if (drive == 'C') {
            *absolute = {"C:\\", std::string(kWorkingFolder + 3) + path.substr(2)};
        } else {
            *absolute = {std::string(1, drive) + ":\\", path.substr(2)};
        }
        return 0;
    }
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        return SplitShare(codePage, path, absolute);
    }
    if (!path.empty() && IsSeparator(path[0])) {
        *absolute = {"C:\\", path.substr(1)};
    } else {
        *absolute = {"C:\\", std::string(kWorkingFolder + 3) + path};
    }
    return 0;
}

}  // namespace

std::optional<AnsiCodePage> KnownCodePage(std::uint32_t number) {
    switch (number) {
    case 1252:
        return CodePageWithLeadBytes(1252, {});
    case 950:
        return CodePageWithLeadBytes(950, {{0x81, 0xFE}});
    case 936:
        return CodePageWithLeadBytes(936, {{0x81, 0xFE}});
    case 932:
        return CodePageWithLeadBytes(932, {{0x81, 0x9F}, {0xE0, 0xFC}});
    case 65001: {
        AnsiCodePage utf8 = CodePageWithLeadBytes(65001, {});
        utf8.utf8 = true;
        return utf8;
    }
    default:
        return std::nullopt;
    }
}

std::string FoldCase(const AnsiCodePage& codePage, const std::string& text) {
    std::string folded = text;
    for (std::size_t i = 0; i < folded.size();) {
        const std::size_t length = CharacterLength(codePage, folded, i);
        if (length == 1 && folded[i] >= 'a' && folded[i] <= 'z') folded[i] = static_cast<char>(folded[i] - 'a' + 'A');
        i += length;
    }
    return folded;
}

std::string FoldCase(const std::string& text) { return FoldCase(*KnownCodePage(950), text); }

std::uint32_t ResolvePath(const AnsiCodePage& codePage, const char* path, ResolvedPath* out) {
    if (path == nullptr || *path == '\0') return win::kErrorPathNotFound;
    std::string given(path);
    if (given.size() >= kMaxPath) return win::kErrorFilenameTooLong;
    if (codePage.utf8) {
        given = WithReplacementCharacters(codePage, given);
    } else if (!IsWholeCharacters(codePage, given)) {
        // Windows reads the names as characters: half of one is no name.
        return kErrorInvalidName;
    }
    AbsolutePath absolute;
    if (const std::uint32_t error = MakeAbsolute(codePage, given, &absolute)) return error;

    std::vector<std::string> parts = SplitComponents(codePage, absolute.rest);
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::string& name = parts[i];
        if (i + 1 == parts.size()) TrimTrailingDotsAndSpaces(name);
        if (name.empty() || name == ".") continue;
        if (name == "..") {
            if (!kept.empty()) kept.pop_back();
            continue;
        }
        if (HasForbiddenCharacter(codePage, name)) return kErrorInvalidName;
        kept.push_back(name);
    }

    ResolvedPath resolved;
    resolved.display = absolute.root;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (i > 0) resolved.display += '\\';
        resolved.display += kept[i];
    }
    if (resolved.display.size() >= kMaxPath) return win::kErrorFilenameTooLong;
    resolved.key = FoldCase(codePage, resolved.display);
    resolved.leaf = kept.empty() ? std::string() : kept.back();
    resolved.trailingSeparator = !kept.empty() && EndsWithSeparator(codePage, given);
    *out = resolved;
    return 0;
}

std::size_t RootLength(const AnsiCodePage& codePage, const std::string& key) {
    if (key.size() < 2 || key[0] != '\\' || key[1] != '\\') return 3;
    // Keys are resolved, so a share's root has both of its names.
    std::size_t separators = 0;
    for (std::size_t i = 2; i < key.size();) {
        const std::size_t length = CharacterLength(codePage, key, i);
        i += length;
        if (length == 1 && key[i - 1] == '\\' && ++separators == 2) return i;
    }
    return key.size();
}

std::string ParentKey(const AnsiCodePage& codePage, const std::string& key) {
    const std::size_t rootLength = RootLength(codePage, key);
    if (key.size() <= rootLength) return std::string();
    std::size_t lastSeparator = std::string::npos;
    for (std::size_t i = rootLength; i < key.size();) {
        const std::size_t length = CharacterLength(codePage, key, i);
        if (length == 1 && key[i] == '\\') lastSeparator = i;
        i += length;
    }
    if (lastSeparator == std::string::npos) return key.substr(0, rootLength);
    return key.substr(0, lastSeparator);
}

bool IsWithin(const AnsiCodePage& codePage, const std::string& key, const std::string& folderKey) {
    if (key == folderKey) return true;
    if (key.size() <= folderKey.size() || key.compare(0, folderKey.size(), folderKey) != 0) return false;
    // Keys end with a whole character, so the byte after `folderKey` starts one.
    return RootLength(codePage, folderKey) == folderKey.size() || key[folderKey.size()] == '\\';
}

std::string WithoutTrailingSeparators(const AnsiCodePage& codePage, const std::string& path) {
    std::string trimmed = path;
    while (!trimmed.empty() && EndsWithSeparator(codePage, trimmed)) {
        const bool isDriveRoot = trimmed.size() == 3 && trimmed[1] == ':';
        if (isDriveRoot) break;
        trimmed.pop_back();
    }
    return trimmed;
}

}  // namespace platform::fake::detail
