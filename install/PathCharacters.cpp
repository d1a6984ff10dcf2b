#include "install/PathCharacters.h"

#include "platform/AnsiCharacters.h"

namespace {

// Byte offsets of the backslashes that are characters of their own; false
// when some bytes form no character (half of one at the end; in UTF-8 also
// a cut or invalid sequence): Windows would read such a name as another one.
bool FindBackslashes(const platform::AnsiCodePage& codePage, const std::string& path,
                     std::vector<std::size_t>* backslashes) {
    for (std::size_t i = 0; i < path.size();) {
        const platform::AnsiCharacter character = platform::CharacterAt(codePage, path, i);
        if (!character.whole) return false;
        if (character.length == 1 && path[i] == '\\') backslashes->push_back(i);
        i += character.length;
    }
    return true;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The end of the root that ends at the `count`th backslash at or after
// `from`; the whole path when it has fewer (it is then all root).
std::size_t AfterBackslash(const std::vector<std::size_t>& backslashes, std::size_t from, int count,
                           std::size_t whole) {
    for (const std::size_t at : backslashes) {
        if (at >= from && --count == 0) return at + 1;
    }
    return whole;
}

std::size_t RootLength(const std::string& path, const std::vector<std::size_t>& backslashes) {
    const std::size_t whole = path.size();
    // Each prefix tested here is ASCII, and an ASCII byte is never the first
    // byte of a longer character, so it begins on a character boundary.
    if (StartsWith(path, "\\\\?\\UNC\\")) return AfterBackslash(backslashes, 8, 2, whole);
    if (StartsWith(path, "\\\\?\\") || StartsWith(path, "\\\\.\\")) {
        const bool drive = path.size() >= 6 && IsDriveLetter(path[4]) && path[5] == ':';
        return AfterBackslash(backslashes, drive ? 6 : 4, 1, whole);
    }
    if (StartsWith(path, "\\\\")) return AfterBackslash(backslashes, 2, 2, whole);
    if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':') {
        return path.size() >= 3 && path[2] == '\\' ? 3 : 2;
    }
    return StartsWith(path, "\\") ? 1 : 0;
}

}  // namespace

std::optional<PathLayout> LayOutPath(const platform::AnsiCodePage& codePage, const std::string& path) {
    std::vector<std::size_t> backslashes;
    if (!FindBackslashes(codePage, path, &backslashes)) return std::nullopt;
    PathLayout layout;
    layout.rootLength = RootLength(path, backslashes);
    for (const std::size_t at : backslashes) {
        if (at + 1 > layout.rootLength) layout.folderEnds.push_back(at + 1);
    }
    layout.endsWithBackslash = !backslashes.empty() && backslashes.back() + 1 == path.size();
    return layout;
}
