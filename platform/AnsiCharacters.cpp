#include "platform/AnsiCharacters.h"

namespace platform {

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The bytes a UTF-8 lead byte announces, and the range its second byte must
// lie in: this excludes overlong forms, surrogates and values past U+10FFFF.
struct Utf8Lead {
    std::size_t length;
    unsigned char secondLow;
    unsigned char secondHigh;
};

Utf8Lead Utf8LeadOf(unsigned char byte) {
    if (byte < 0x80) return {1, 0, 0};
    if (byte >= 0xC2 && byte <= 0xDF) return {2, 0x80, 0xBF};
    if (byte == 0xE0) return {3, 0xA0, 0xBF};
    if (byte == 0xED) return {3, 0x80, 0x9F};
    if (byte >= 0xE1 && byte <= 0xEF) return {3, 0x80, 0xBF};
    if (byte == 0xF0) return {4, 0x90, 0xBF};
    if (byte >= 0xF1 && byte <= 0xF3) return {4, 0x80, 0xBF};
    if (byte == 0xF4) return {4, 0x80, 0x8F};
    return {0, 0, 0};  // a continuation byte or one that never occurs in UTF-8
}

AnsiCharacter Utf8CharacterAt(const std::string& text, std::size_t at) {
    const Utf8Lead lead = Utf8LeadOf(static_cast<unsigned char>(text[at]));
    if (lead.length == 0) return {1, false};
    if (lead.length == 1) return {1, true};
    std::size_t length = 1;
    while (length < lead.length && at + length < text.size()) {
        const unsigned char byte = static_cast<unsigned char>(text[at + length]);
        const bool fits = length == 1 ? byte >= lead.secondLow && byte <= lead.secondHigh : IsContinuation(byte);
        if (!fits) break;
        ++length;
    }
    return {length, length == lead.length};
}

}  // namespace

AnsiCharacter CharacterAt(const AnsiCodePage& codePage, const std::string& text, std::size_t at) {
    if (codePage.utf8) return Utf8CharacterAt(text, at);
    if (!codePage.IsLeadByte(static_cast<unsigned char>(text[at]))) return {1, true};
    if (at + 1 == text.size()) return {1, false};
    return {2, true};
}

bool IsWholeCharacters(const AnsiCodePage& codePage, const std::string& text) {
    for (std::size_t at = 0; at < text.size();) {
        const AnsiCharacter character = CharacterAt(codePage, text, at);
        if (!character.whole) return false;
        at += character.length;
    }
    return true;
}

}  // namespace platform
