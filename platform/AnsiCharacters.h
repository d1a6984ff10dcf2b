// How the bytes of a name form characters of the system's ANSI code page,
// for whoever must find the backslashes in a name or tell whether it ends
// inside a character.
#pragma once

#include "platform/Platform.h"

#include <cstddef>
#include <string>

namespace platform {

struct AnsiCharacter {
    std::size_t length = 0;  // bytes, at least 1
    // False for bytes that form no character: a lead byte with nothing after
    // it, or in UTF-8 a sequence that is cut short or is no UTF-8. They are
    // taken as far as they belong together (in UTF-8 the longest start of a
    // valid sequence), which Windows reads as one stand-in character.
    bool whole = true;
};

// The character that starts at byte `at` (< text.size()) of `text`.
AnsiCharacter CharacterAt(const AnsiCodePage& codePage, const std::string& text, std::size_t at);

// True when `text` is whole characters from its first byte to its last.
bool IsWholeCharacters(const AnsiCodePage& codePage, const std::string& text);

}  // namespace platform
