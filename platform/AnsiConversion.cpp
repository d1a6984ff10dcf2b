#include "platform/AnsiConversion.h"

namespace platform {

namespace {
constexpr int kPathBufferBytes = 260;  // 259 bytes and the terminator
}

AnsiNameConversion AnsiNameConversionFor(const AnsiCodePage& codePage) {
    if (codePage.utf8) return {win::kWcErrInvalidChars, false};
    return {win::kWcNoBestFitChars, true};
}

AnsiName ToAnsiName(const AnsiCodePage& codePage, const char16_t* name) {
    const AnsiNameConversion conversion = AnsiNameConversionFor(codePage);
    char buffer[kPathBufferBytes] = {};
    bool usedDefault = false;
    if (Os().WideCharToAnsi(codePage.number, name, conversion.flags, buffer, sizeof buffer,
                            conversion.reportsStandIns ? &usedDefault : nullptr) == 0) {
        return {Os().LastError(), {}};
    }
    if (usedDefault) return {win::kErrorNoUnicodeTranslation, {}};
    return {win::kErrorSuccess, buffer};
}

}  // namespace platform
