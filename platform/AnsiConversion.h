// How a name that Windows holds in UTF-16 (the documents folder) is written
// in the system's ANSI code page, so that it names the same folder or
// nothing: a character the code page lacks must fail the conversion, never
// stand in as '?' or as a look-alike ("best fit") that names another folder.
//
// Windows allows different arguments per code page. In UTF-8 the flags may
// only be 0 or WC_ERR_INVALID_CHARS and the used-default pointer must be
// null (otherwise the call fails, every time); there the only name that does
// not convert holds an unpaired surrogate, which WC_ERR_INVALID_CHARS turns
// into a failure. Every other code page that can be the ANSI one takes
// WC_NO_BEST_FIT_CHARS and reports a stand-in through the pointer. (The
// other code pages with restricted flags, such as GB18030 or UTF-7, are
// never the ANSI code page.)
#pragma once

#include "platform/Platform.h"

#include <cstdint>

namespace platform {

struct AnsiNameConversion {
    std::uint32_t flags = 0;
    // Pass a used-default flag, and refuse the name when it comes back set.
    bool reportsStandIns = false;
};

AnsiNameConversion AnsiNameConversionFor(const AnsiCodePage& codePage);

}  // namespace platform
