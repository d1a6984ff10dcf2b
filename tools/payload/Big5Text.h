// The game reads its texts in code page 950; the sources keep them in UTF-8.
#pragma once

#include <optional>
#include <string>

namespace payload {

// Empty when the text holds a character that code page 950 cannot express.
std::optional<std::string> ToCodePage950(const std::string& utf8);

}  // namespace payload
