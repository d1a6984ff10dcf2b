// How a name that Windows holds in UTF-16 (the documents folder) is written
// in the system's ANSI code page, so that it names the same folder or
// nothing: a character the code page lacks must fail the conversion, never
// stand in as '?' or as a look-alike ("best fit") that names another folder.
// This is the one place that decides it; the platform only converts, with
// the arguments given (Platform::WideCharToAnsi).
//
// Windows allows different arguments per code page. In UTF-8 the flags may
// only be 0 or WC_ERR_INVALID_CHARS and the used-default pointer must be
// null (otherwise the call fails, every time); there the only name that does
// not convert holds an unpaired surrogate, which WC_ERR_INVALID_CHARS turns
// into a failure. That flag is documented only with the code page's own
// number (CP_UTF8), not with CP_ACP, so the number is always passed. Every
// other code page that can be the ANSI one takes WC_NO_BEST_FIT_CHARS and
// reports a stand-in through the pointer. (The other code pages with
// restricted flags, such as GB18030 or UTF-7, are never the ANSI code page.)
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <string>

namespace platform {

struct AnsiNameConversion {
    std::uint32_t flags = 0;
    // Pass a used-default flag, and refuse the name when it comes back set.
    bool reportsStandIns = false;
};

AnsiNameConversion AnsiNameConversionFor(const AnsiCodePage& codePage);

// A name in the ANSI code page, or why it has none there.
struct AnsiName {
    // 0; kErrorNoUnicodeTranslation for a character the code page cannot
    // write; kErrorInsufficientBuffer for more than 259 bytes (a path's
    // limit); or the conversion's own error.
    std::uint32_t error = win::kErrorSuccess;
    std::string bytes;
};

// `name` (zero-terminated UTF-16) written in `codePage` through Os().
AnsiName ToAnsiName(const AnsiCodePage& codePage, const char16_t* name);

}  // namespace platform
