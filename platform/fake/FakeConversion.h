// The double's WideCharToMultiByte into the ANSI code page, with Windows'
// rules for which arguments each code page takes (platform/Platform.h,
// WideCharToAnsi). Wine accepts every flag and the used-default pointer in
// UTF-8 and kWcErrInvalidChars anywhere; Windows refuses them, and so does
// the double.
//
// UTF-8 is written whole. The double holds no tables of the other code
// pages: there it writes ASCII as itself and every other character as the
// '?' of one the code page lacks, never a best fit. Tests give names in
// those code pages as their bytes instead.
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <string>

namespace platform::fake::detail {

struct Conversion {
    std::uint32_t error = 0;  // 0, or why the call fails
    std::string bytes;        // without the terminator
    bool usedDefault = false;
};

// 0 when Windows takes `flags` and a used-default pointer (or none) in
// `codePage`, else the error it fails with.
std::uint32_t ConversionArgumentsError(const AnsiCodePage& codePage, std::uint32_t flags, bool asksUsedDefault);

Conversion WideToAnsi(const AnsiCodePage& codePage, std::uint32_t flags, const std::u16string& text,
                      bool asksUsedDefault);

}  // namespace platform::fake::detail
