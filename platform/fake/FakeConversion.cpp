#include "platform/fake/FakeConversion.h"

namespace platform::fake::detail {

namespace {

constexpr char kReplacementCharacter[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void AppendUtf8(char32_t scalar, std::string* out) {
    if (scalar < 0x80) {
        *out += static_cast<char>(scalar);
    } else if (scalar < 0x800) {
        *out += static_cast<char>(0xC0 | (scalar >> 6));
        *out += static_cast<char>(0x80 | (scalar & 0x3F));
    } else if (scalar < 0x10000) {
        *out += static_cast<char>(0xE0 | (scalar >> 12));
        *out += static_cast<char>(0x80 | ((scalar >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (scalar & 0x3F));
    } else {
        *out += static_cast<char>(0xF0 | (scalar >> 18));
        *out += static_cast<char>(0x80 | ((scalar >> 12) & 0x3F));
        *out += static_cast<char>(0x80 | ((scalar >> 6) & 0x3F));
        *out += static_cast<char>(0x80 | (scalar & 0x3F));
    }
}

Conversion ToUtf8(std::uint32_t flags, const std::u16string& text) {
    Conversion result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            AppendUtf8(0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00),
                       &result.bytes);
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            if (flags & win::kWcErrInvalidChars) return {win::kErrorNoUnicodeTranslation, {}, false};
            result.bytes += kReplacementCharacter;
        } else {
            AppendUtf8(unit, &result.bytes);
        }
    }
    return result;
}

Conversion ToCodePageWithoutTables(const std::u16string& text) {
    Conversion result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] < 0x80) {
            result.bytes += static_cast<char>(text[i]);
            continue;
        }
        // A surrogate pair is one character: one '?'.
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
        result.bytes += '?';
        result.usedDefault = true;
    }
    return result;
}

}  // namespace

std::uint32_t ConversionArgumentsError(const AnsiCodePage& codePage, std::uint32_t flags, bool asksUsedDefault) {
    if (codePage.utf8) {
        if ((flags & ~win::kWcErrInvalidChars) != 0) return win::kErrorInvalidFlags;
        if (asksUsedDefault) return win::kErrorInvalidParameter;
        return 0;
    }
    // The only flag the double models elsewhere.
    if ((flags & ~win::kWcNoBestFitChars) != 0) return win::kErrorInvalidFlags;
    return 0;
}

Conversion WideToAnsi(const AnsiCodePage& codePage, std::uint32_t flags, const std::u16string& text,
                      bool asksUsedDefault) {
    if (const std::uint32_t error = ConversionArgumentsError(codePage, flags, asksUsedDefault)) {
        return {error, {}, false};
    }
    return codePage.utf8 ? ToUtf8(flags, text) : ToCodePageWithoutTables(text);
}

}  // namespace platform::fake::detail
