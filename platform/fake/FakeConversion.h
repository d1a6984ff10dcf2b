// The double's WideCharToMultiByte into the ANSI code page, with Windows'
// rules for which arguments each code page takes (platform/Platform.h,
// WideCharToAnsi). Wine accepts every flag and the used-default pointer in
// UTF-8 and kWcErrInvalidChars anywhere; Windows refuses them, and so does
// the double.
//
// UTF-8 and 1252 are written whole. Of the double-byte code pages the double
// knows only the characters that tests name (Windows' own mappings): any
// other character it writes as the '?' of one the code page lacks, never a
// best fit, so a test that strays from the table sees a refused name, never
// a wrong one.
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <optional>
#include <string>

namespace platform::fake::detail {

struct Conversion {
    std::uint32_t error = 0;  // 0, or why the call fails
    std::string bytes;        // without the terminator
    bool usedDefault = false;
};

// 0 when Windows takes `flags` and a used-default pointer (or none) for the
// code page number `passed` (kCpAcp or a number), which names `codePage`;
// else the error it fails with.
std::uint32_t ConversionArgumentsError(std::uint32_t passed, const AnsiCodePage& codePage, std::uint32_t flags,
                                       bool asksUsedDefault);

Conversion WideToAnsi(std::uint32_t passed, const AnsiCodePage& codePage, std::uint32_t flags,
                      const std::u16string& text, bool asksUsedDefault);

// What the bytes of a name in `codePage` are in UTF-16; nothing when they
// hold bytes that form no character or a character outside the double's
// table.
std::optional<std::u16string> AnsiToWide(const AnsiCodePage& codePage, const std::string& bytes);

}  // namespace platform::fake::detail
