// How a path splits into folders when its bytes are read as characters of
// the system's ANSI code page.
//
// In code pages 950, 936 and 932 the second byte of many characters is 0x5C,
// the backslash: 許 is B3 5C in Big5. Windows reads a name as characters, so
// such a byte separates nothing, and neither may we. In UTF-8 every 0x5C byte
// is a backslash, but a sequence that is cut or invalid is read as another
// character.
#pragma once

#include "platform/Platform.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

struct PathLayout {
    // Bytes of the root, which no one creates: "C:\", "\\server\share\",
    // "\\?\C:\", "\\?\UNC\server\share\"; "C:" or "\" for a path relative
    // to a drive's or the current drive's root; 0 for a relative path.
    std::size_t rootLength = 0;
    // The length of each prefix below the root that ends with a backslash
    // character, in order: the folders along the path.
    std::vector<std::size_t> folderEnds;
    bool endsWithBackslash = false;
};

// nullopt when bytes of `path` form no character: a lead byte at the end, or
// in UTF-8 a cut or invalid sequence anywhere. Half a character names
// nothing, and cutting it off would name another folder.
std::optional<PathLayout> LayOutPath(const platform::AnsiCodePage& codePage, const std::string& path);
