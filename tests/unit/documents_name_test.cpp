// The installer's own conversion of the shell's UTF-16 name into the system's
// code page, held to Windows' rules for the arguments as the double models
// them: every character the code page has comes through, a name with one it
// lacks or one over 259 bytes comes back as an error, never as a stand-in.
#include "install/Paths.h"
#include "platform/AnsiConversion.h"
#include "platform/fake/FakePlatform.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

namespace win = platform::win;
using platform::fake::ScopedFakeOs;

struct NameCase {
    const char* name;
    std::uint32_t codePage;
    std::u16string shellName;
    std::uint32_t error;  // 0: written as `bytes`
    std::string bytes;
};
void PrintTo(const NameCase& c, std::ostream* out) { *out << c.name; }

const std::u16string kThai = u"\u0E44\u0E17\u0E22";  // no character of 950, 936, 932 or 1252
const std::string kXuUtf8 = "\xE8\xA8\xB1";          // 許

std::string Repeated(const std::string& text, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) out += text;
    return out;
}

const NameCase kCases[] = {
    {"Big5", 950, u"C:\\Users\\\u8A31\u5FD7\u660E\\\u8A31\u529F\u84CB\u7684\u6587\u4EF6", 0,
     "C:\\Users\\\xB3\x5C\xA7\xD3\xA9\xFA\\\xB3\x5C\xA5\x5C\xBB\x5C\xAA\xBA\xA4\xE5\xA5\xF3"},
    {"Big5Lacks", 950, u"C:\\Users\\" + kThai, win::kErrorNoUnicodeTranslation, ""},
    {"Big5UnpairedSurrogate", 950, u"C:\\Users\\\xD800", win::kErrorNoUnicodeTranslation, ""},
    {"Big5Takes259Bytes", 950, u"C:\\" + std::u16string(128, u'\u8A31'), 0, "C:\\" + Repeated("\xB3\x5C", 128)},
    {"Big5Needs261Bytes", 950, u"C:\\" + std::u16string(129, u'\u8A31'), win::kErrorInsufficientBuffer, ""},
    {"Gbk", 936, u"C:\\\u4E57", 0, "C:\\\x81\x5C"},
    {"GbkLacks", 936, u"C:\\" + kThai, win::kErrorNoUnicodeTranslation, ""},
    {"ShiftJis", 932, u"C:\\\u8868\u30BD\uFF73", 0, "C:\\\x95\x5C\x83\x5C\xB3"},
    {"ShiftJisLacks", 932, u"C:\\" + kThai, win::kErrorNoUnicodeTranslation, ""},
    {"Cp1252", 1252, u"C:\\\u00B3\u20AC", 0, "C:\\\xB3\x80"},
    {"Cp1252LacksChinese", 1252, u"C:\\\u8A31", win::kErrorNoUnicodeTranslation, ""},
    {"Utf8", 65001, u"C:\\\u8A31" + kThai + u"\xD83D\xDE00", 0,
     "C:\\" + kXuUtf8 + "\xE0\xB9\x84\xE0\xB8\x97\xE0\xB8\xA2\xF0\x9F\x98\x80"},
    {"Utf8UnpairedSurrogate", 65001, u"C:\\Users\\\xDC00", win::kErrorNoUnicodeTranslation, ""},
    {"Utf8Takes259Bytes", 65001, u"C:\\a" + std::u16string(85, u'\u8A31'), 0, "C:\\a" + Repeated(kXuUtf8, 85)},
    {"Utf8Needs262Bytes", 65001, u"C:\\" + std::u16string(86, u'\u8A31') + u"a", win::kErrorInsufficientBuffer, ""},
};

class DocumentsNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(DocumentsNameTest, IsWrittenWholeOrRefused) {
    const NameCase& c = GetParam();
    ScopedFakeOs os;
    os->SetAnsiCodePage(c.codePage);
    platform::AnsiCodePage codePage;
    ASSERT_TRUE(os->GetAnsiCodePage(&codePage));

    const platform::AnsiName name = platform::ToAnsiName(codePage, c.shellName.c_str());
    EXPECT_EQ(name.error, c.error);
    EXPECT_EQ(name.bytes, c.bytes);

    // The documents root is that name with one backslash character added, or
    // nothing at all.
    os->SetPersonalFolderName(c.shellName);
    std::string root = "stale";
    GetDocumentsRoot(root);
    const bool full = c.bytes.size() == kMaxPathBytes;
    EXPECT_EQ(root, c.error != 0 ? "" : c.bytes + (full ? "" : "\\"));
}

INSTANTIATE_TEST_SUITE_P(CodePages, DocumentsNameTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
