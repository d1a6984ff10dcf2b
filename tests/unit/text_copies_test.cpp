// Every text the player reads exists twice: the code page 950 bytes the
// screen shows and the UTF-8 the guides quote. Converting one gives the
// other, so a correction made to one copy alone fails here.
#include "app/Texts.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <string>
#include <vector>

namespace {

// `utf8` in code page 950, or what stopped the conversion.
std::string InCodePage950(const std::string& utf8) {
    iconv_t converter = iconv_open("CP950", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) return "<no converter from UTF-8 to CP950>";
    std::vector<char> out(utf8.size() * 2 + 1);
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    const bool converted = iconv(converter, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
    iconv_close(converter);
    if (!converted) return "<not writable in CP950 from byte " + std::to_string(utf8.size() - inLeft) + ">";
    return std::string(out.data(), static_cast<std::size_t>(outPtr - out.data()));
}

void ExpectSameText(const UiText& text) {
    EXPECT_EQ(InCodePage950(text.utf8), std::string(text.cp950)) << "the text " << text.utf8;
}

TEST(TextCopies, TheCodePage950BytesAreTheUtf8TextConverted) {
    for (std::size_t i = 0; i < texts::kAllCount; ++i) ExpectSameText(*texts::kAll[i]);
    for (std::size_t i = 0; i < texts::kFailureCount; ++i) ExpectSameText(*texts::kFailures[i].text);
}

}  // namespace
