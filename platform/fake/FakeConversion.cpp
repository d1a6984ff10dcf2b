#include "platform/fake/FakeConversion.h"

namespace platform::fake::detail {

namespace {

constexpr char kReplacementCharacter[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// Characters of the double-byte code pages, as Windows maps them: the ones
// the tests name.
struct TableEntry {
    std::uint32_t codePage;
    char16_t character;
    const char* bytes;
};
constexpr TableEntry kTable[] = {
    {950, u'\u8A31', "\xB3\x5C"},  // 許
    {950, u'\u529F', "\xA5\x5C"},  // 功
    {950, u'\u84CB', "\xBB\x5C"},  // 蓋
    {950, u'\u5FD7', "\xA7\xD3"},  // 志
    {950, u'\u660E', "\xA9\xFA"},  // 明
    {950, u'\u7684', "\xAA\xBA"},  // 的
    {950, u'\u6587', "\xA4\xE5"},  // 文
    {950, u'\u4EF6', "\xA5\xF3"},  // 件
    {950, u'\u8CC7', "\xB8\xEA"},  // 資
    {950, u'\u6599', "\xAE\xC6"},  // 料
    {936, u'\u4E57', "\x81\x5C"},  // 乗
    {932, u'\u8868', "\x95\x5C"},  // 表
    {932, u'\u30BD', "\x83\x5C"},  // ソ
    {932, u'\uFF73', "\xB3"},      // ｳ, a single byte
};

// Code page 1252 differs from Latin-1 only in 0x80 to 0x9F; the five bytes
// it leaves undefined stand for the control characters of the same value.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t Cp1252Character(unsigned char byte) { return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte; }

// The bytes of `character` in a code page other than UTF-8; empty when the
// double does not know it there.
std::string CodePageBytes(std::uint32_t codePage, char16_t character) {
    if (character < 0x80) return std::string(1, static_cast<char>(character));
    if (codePage == 1252) {
        for (unsigned byte = 0x80; byte < 0x100; ++byte) {
            if (Cp1252Character(static_cast<unsigned char>(byte)) == character)
                return std::string(1, static_cast<char>(byte));
        }
        return {};
    }
    for (const TableEntry& entry : kTable) {
        if (entry.codePage == codePage && entry.character == character) return entry.bytes;
    }
    return {};
}

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

Conversion ToCodePage(std::uint32_t codePage, const std::u16string& text) {
    Conversion result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::string bytes = CodePageBytes(codePage, text[i]);
        if (!bytes.empty()) {
            result.bytes += bytes;
            continue;
        }
        // A surrogate pair is one character: one '?'.
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
        result.bytes += '?';
        result.usedDefault = true;
    }
    return result;
}

// One UTF-8 sequence at `at`, moving past it; nothing for bytes that form no
// character (a cut, overlong or surrogate sequence).
std::optional<char32_t> NextUtf8(const std::string& bytes, std::size_t& at) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = byte(at);
    const int length = lead < 0x80                   ? 1
                       : lead >= 0xC2 && lead < 0xE0 ? 2
                       : lead >= 0xE0 && lead < 0xF0 ? 3
                       : lead >= 0xF0 && lead < 0xF5 ? 4
                                                     : 0;
    if (length == 0 || at + length > bytes.size()) return std::nullopt;
    char32_t scalar = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        if ((byte(at + k) & 0xC0) != 0x80) return std::nullopt;
        scalar = scalar << 6 | (byte(at + k) & 0x3F);
    }
    static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (scalar < kLeast[length] || scalar > 0x10FFFF || (scalar >= 0xD800 && scalar < 0xE000)) return std::nullopt;
    at += static_cast<std::size_t>(length);
    return scalar;
}

void AppendUtf16(char32_t scalar, std::u16string* out) {
    if (scalar < 0x10000) {
        *out += static_cast<char16_t>(scalar);
        return;
    }
    *out += static_cast<char16_t>(0xD800 + ((scalar - 0x10000) >> 10));
    *out += static_cast<char16_t>(0xDC00 + ((scalar - 0x10000) & 0x3FF));
}

std::optional<std::u16string> Utf8ToWide(const std::string& bytes) {
    std::u16string text;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::optional<char32_t> scalar = NextUtf8(bytes, at);
        if (!scalar) return std::nullopt;
        AppendUtf16(*scalar, &text);
    }
    return text;
}

}  // namespace

std::uint32_t ConversionArgumentsError(std::uint32_t passed, const AnsiCodePage& codePage, std::uint32_t flags,
                                       bool asksUsedDefault) {
    // Documented for CP_UTF8 (and GB18030) only, not for CP_ACP that is UTF-8.
    if ((flags & win::kWcErrInvalidChars) != 0 && passed != win::kCpUtf8) return win::kErrorInvalidFlags;
    if (codePage.utf8) {
        if ((flags & ~win::kWcErrInvalidChars) != 0) return win::kErrorInvalidFlags;
        if (asksUsedDefault) return win::kErrorInvalidParameter;
        return 0;
    }
    // The only flag the double models elsewhere.
    if ((flags & ~win::kWcNoBestFitChars) != 0) return win::kErrorInvalidFlags;
    return 0;
}

Conversion WideToAnsi(std::uint32_t passed, const AnsiCodePage& codePage, std::uint32_t flags,
                      const std::u16string& text, bool asksUsedDefault) {
    if (const std::uint32_t error = ConversionArgumentsError(passed, codePage, flags, asksUsedDefault)) {
        return {error, {}, false};
    }
    return codePage.utf8 ? ToUtf8(flags, text) : ToCodePage(codePage.number, text);
}

std::optional<std::u16string> AnsiToWide(const AnsiCodePage& codePage, const std::string& bytes) {
    if (codePage.utf8) return Utf8ToWide(bytes);
    std::u16string text;
    for (std::size_t at = 0; at < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        const std::size_t length = codePage.IsLeadByte(byte) ? 2 : 1;
        if (at + length > bytes.size()) return std::nullopt;
        const std::string character = bytes.substr(at, length);
        at += length;
        if (codePage.number == 1252 || byte < 0x80) {
            text += codePage.number == 1252 ? Cp1252Character(byte) : byte;
            continue;
        }
        bool known = false;
        for (const TableEntry& entry : kTable) {
            if (entry.codePage == codePage.number && character == entry.bytes) {
                text += entry.character;
                known = true;
                break;
            }
        }
        if (!known) return std::nullopt;
    }
    return text;
}

}  // namespace platform::fake::detail
