#include "platform/AnsiConversion.h"

namespace platform {

AnsiNameConversion AnsiNameConversionFor(const AnsiCodePage& codePage) {
    if (codePage.utf8) return {win::kWcErrInvalidChars, false};
    return {win::kWcNoBestFitChars, true};
}

}  // namespace platform
