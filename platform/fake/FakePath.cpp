#include "platform/fake/FakePath.h"

#include "platform/Platform.h"

#include <cstring>
#include <vector>

namespace platform::fake::detail {

const char kWorkingFolder[] = "C:\\work\\";

namespace {

constexpr std::uint32_t kErrorInvalidName = 123;

bool IsLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

bool IsForbiddenInName(char c) {
    return c == '<' || c == '>' || c == ':' || c == '"' || c == '|' || c == '?' || c == '*' ||
           (static_cast<unsigned char>(c) < 0x20);
}

// Splits on separators that are real characters, not the second byte of a
// double-byte character (0x5C is a valid trail byte in code page 950).
std::vector<std::string> SplitComponents(const std::string& path) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < path.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (IsLeadByte(c) && i + 1 < path.size()) {
            parts.back() += path[i];
            parts.back() += path[++i];
        } else if (c == '\\' || c == '/') {
            parts.emplace_back();
        } else {
            parts.back() += path[i];
        }
    }
    return parts;
}

bool EndsWithSeparator(const std::string& path) {
    std::size_t i = 0;
    bool lastWasSeparator = false;
    while (i < path.size()) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        lastWasSeparator = (c == '\\' || c == '/');
        i += (IsLeadByte(c) && i + 1 < path.size()) ? 2 : 1;
    }
    return lastWasSeparator;
}

bool HasForbiddenCharacter(const std::string& name) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (IsLeadByte(static_cast<unsigned char>(name[i])) && i + 1 < name.size()) {
            ++i;
        } else if (IsForbiddenInName(name[i])) {
            return true;
        }
    }
    return false;
}

// Windows drops trailing dots and spaces from the last component.
void TrimTrailingDotsAndSpaces(std::string& name) {
    if (name == "." || name == "..") return;
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
}

// Turns the caller's text into an absolute path "X:\rest".
bool MakeAbsolute(const std::string& path, std::string* absolute) {
    const bool hasDrive = path.size() >= 2 && path[1] == ':' &&
                          ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    const auto isSeparator = [](char c) { return c == '\\' || c == '/'; };
    if (hasDrive && path.size() >= 3 && isSeparator(path[2])) {
        *absolute = path;
    } else if (hasDrive) {
        const char drive = static_cast<char>(path[0] & ~0x20);
        *absolute = drive == 'C' ? std::string(kWorkingFolder) + path.substr(2)
                                 : std::string(1, drive) + ":\\" + path.substr(2);
    } else if (!path.empty() && isSeparator(path[0])) {
        if (path.size() >= 2 && isSeparator(path[1])) return false;  // network paths: none here
        *absolute = "C:" + path;
    } else {
        *absolute = std::string(kWorkingFolder) + path;
    }
    return true;
}

}  // namespace

std::string FoldCase(const std::string& text) {
    std::string folded = text;
    for (std::size_t i = 0; i < folded.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(folded[i]);
        if (IsLeadByte(c) && i + 1 < folded.size()) {
            ++i;
        } else if (c >= 'a' && c <= 'z') {
            folded[i] = static_cast<char>(c - 'a' + 'A');
        }
    }
    return folded;
}

std::uint32_t ResolvePath(const char* path, ResolvedPath* out) {
    if (path == nullptr || *path == '\0') return win::kErrorPathNotFound;
    const std::string given(path);
    if (given.size() >= kMaxPath) return win::kErrorFilenameTooLong;
    std::string absolute;
    if (!MakeAbsolute(given, &absolute)) return win::kErrorPathNotFound;

    std::vector<std::string> parts = SplitComponents(absolute.substr(3));
    std::vector<std::string> kept;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::string& name = parts[i];
        if (i + 1 == parts.size()) TrimTrailingDotsAndSpaces(name);
        if (name.empty() || name == ".") continue;
        if (name == "..") {
            if (!kept.empty()) kept.pop_back();
            continue;
        }
        if (HasForbiddenCharacter(name)) return kErrorInvalidName;
        kept.push_back(name);
    }

    ResolvedPath resolved;
    resolved.display = std::string(1, static_cast<char>(absolute[0] & ~0x20)) + ":\\";
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (i > 0) resolved.display += '\\';
        resolved.display += kept[i];
    }
    if (resolved.display.size() >= kMaxPath) return win::kErrorFilenameTooLong;
    resolved.key = FoldCase(resolved.display);
    resolved.leaf = kept.empty() ? std::string() : kept.back();
    resolved.trailingSeparator = !kept.empty() && EndsWithSeparator(given);
    *out = resolved;
    return 0;
}

std::string ParentKey(const std::string& key) {
    if (key.size() <= 3) return std::string();
    // Keys are folded, so a 0x5C trail byte may still be present: walk forward.
    std::size_t lastSeparator = std::string::npos;
    for (std::size_t i = 0; i < key.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(key[i]);
        if (IsLeadByte(c) && i + 1 < key.size()) {
            ++i;
        } else if (c == '\\') {
            lastSeparator = i;
        }
    }
    if (lastSeparator == 2) return key.substr(0, 3);
    return key.substr(0, lastSeparator);
}

bool IsWithin(const std::string& key, const std::string& folderKey) {
    if (key == folderKey) return true;
    if (key.size() <= folderKey.size() || key.compare(0, folderKey.size(), folderKey) != 0) return false;
    return folderKey.back() == '\\' || key[folderKey.size()] == '\\';
}

}  // namespace platform::fake::detail
