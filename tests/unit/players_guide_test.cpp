// The players' guides quote the installer's messages in code spans (`...`).
// A quoted message that differs from what the installer shows sends a player
// looking for a box that never appears, and a failure number listed with the
// wrong message, or not at all, leaves him without help.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/Texts.h"

namespace {

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> CodeSpans(const std::string& line) {
    std::vector<std::string> spans;
    for (std::size_t open = line.find('`'); open != std::string::npos;) {
        const std::size_t close = line.find('`', open + 1);
        if (close == std::string::npos) break;
        spans.push_back(line.substr(open + 1, close - open - 1));
        open = line.find('`', close + 1);
    }
    return spans;
}

bool IsAscii(const std::string& text) {
    for (unsigned char c : text) {
        if (c >= 0x80) return false;
    }
    return true;
}

bool AllDigits(const std::string& text) {
    if (text.empty()) return false;
    for (unsigned char c : text) {
        if (!std::isdigit(c)) return false;
    }
    return true;
}

// The text as the player sees it: %s is the warlord's display name, %d any number.
bool ShowsAs(const std::string& quoted, std::string format) {
    const std::size_t name = format.find("%s");
    if (name != std::string::npos) format.replace(name, 2, texts::kWarlordDisplayName);
    const std::size_t number = format.find("%d");
    if (number == std::string::npos) return quoted == format;
    const std::string before = format.substr(0, number);
    const std::string after = format.substr(number + 2);
    return quoted.size() > before.size() + after.size() && quoted.compare(0, before.size(), before) == 0 &&
           quoted.compare(quoted.size() - after.size(), after.size(), after) == 0 &&
           AllDigits(quoted.substr(before.size(), quoted.size() - before.size() - after.size()));
}

bool IsInstallerText(const std::string& quoted) {
    for (std::size_t i = 0; i < texts::kAllCount; ++i) {
        if (ShowsAs(quoted, texts::kAll[i]->utf8)) return true;
    }
    return false;
}

bool IsFailureText(const std::string& quoted) {
    for (std::size_t i = 0; i < texts::kFailureCount; ++i) {
        if (quoted == texts::kFailures[i].text->utf8) return true;
    }
    return false;
}

// Readable in the failure message (gtest would print the UTF-8 as escapes).
template <typename Texts>
std::string Joined(const Texts& texts) {
    std::string joined;
    for (const std::string& text : texts) joined += (joined.empty() ? "" : " | ") + text;
    return "{" + joined + "}";
}

// Numbers of exactly three digits: failure numbers, not the face slot 1027.
std::vector<int> ThreeDigitNumbers(const std::string& line) {
    std::vector<int> numbers;
    for (std::size_t i = 0; i < line.size();) {
        std::size_t end = i;
        while (end < line.size() && std::isdigit(static_cast<unsigned char>(line[end]))) ++end;
        if (end - i == 3) numbers.push_back(std::stoi(line.substr(i, 3)));
        i = end > i ? end : i + 1;
    }
    return numbers;
}

class PlayersGuide : public testing::TestWithParam<const char*> {
protected:
    std::vector<std::string> Lines() const {
        const std::string path = std::string(INSTALLER_SOURCE_DIR) + "/docs/players/" + GetParam();
        std::vector<std::string> lines = ReadLines(path);
        EXPECT_FALSE(lines.empty()) << path << " is missing or empty";
        return lines;
    }
};

TEST_P(PlayersGuide, QuotesOnlyTheInstallersOwnMessages) {
    std::vector<std::string> strangers;
    for (const std::string& line : Lines()) {
        for (const std::string& span : CodeSpans(line)) {
            if (!IsAscii(span) && !IsInstallerText(span)) strangers.push_back(span);
        }
    }
    EXPECT_TRUE(strangers.empty()) << "quoted, but not a text of the installer: " << Joined(strangers);
}

// A failure's line gives its numbers and then the message it shows first.
TEST_P(PlayersGuide, ListsEveryFailureNumberWithTheMessageItShows) {
    std::map<int, std::set<std::string>> listed;
    for (const std::string& line : Lines()) {
        for (const std::string& span : CodeSpans(line)) {
            if (!IsFailureText(span)) continue;
            for (int code : ThreeDigitNumbers(line)) listed[code].insert(span);
        }
    }
    for (std::size_t i = 0; i < texts::kFailureCount; ++i) {
        const texts::Failure& failure = texts::kFailures[i];
        EXPECT_EQ(listed[failure.code], std::set<std::string>{failure.text->utf8})
            << "failure " << failure.code << " is listed with " << Joined(listed[failure.code]) << ", but shows "
            << failure.text->utf8;
        listed.erase(failure.code);
    }
    for (const auto& stranger : listed) {
        EXPECT_TRUE(stranger.second.empty()) << stranger.first << " is listed, but the installer has no such failure";
    }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, PlayersGuide, testing::Values("zh-TW.md", "en.md"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param) == "en.md" ? std::string("English")
                                                                       : std::string("TraditionalChinese");
                         });

}  // namespace
