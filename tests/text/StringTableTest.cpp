// The string table in both languages: the rules every Chinese text must keep so that printf,
// the report reader and the buffers it is loaded into treat it as they treat the English one,
// and the choice of the language.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <clocale>
#include <cstdlib>
#include <cwchar>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "core/text/StringData.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"

namespace wexfold {
namespace {

std::vector<std::string> Conversions(const std::string& text) {
    static const std::regex conversion("%[-+ #0]*[0-9]*(\\.[0-9]+)?[hljztL]*[a-zA-Z%]");
    std::vector<std::string> found;
    for (std::sregex_iterator i(text.begin(), text.end(), conversion), end; i != end; ++i) {
        found.push_back(i->str());
    }
    return found;
}

std::string Edge(const std::string& text, bool leading) {
    const char* space = " \t\r\n";
    if (leading) return text.substr(0, std::min(text.find_first_not_of(space), text.size()));
    const std::size_t last = text.find_last_not_of(space);
    return last == std::string::npos ? text : text.substr(last + 1);
}

bool IsUtf8(const std::string& text) {
    std::mbstate_t state{};
    const char* at = text.c_str();
    return std::mbsrtowcs(nullptr, &at, 0, &state) != static_cast<std::size_t>(-1);
}

// How the report reader classes a log line: interval, broken, access, speed or other.
char LineClass(const std::string& line) {
    if (line.empty()) return 'o';
    if (line[0] == '.') return line.size() > 1 && line[1] == '.' ? 'a' : 's';
    return line[0] == '*' || line[0] == '!' ? line[0] : 'o';
}

struct TextPair {
    std::string label, english, chinese;
};

std::vector<TextPair> AllPairs() {
    std::vector<TextPair> pairs;
    for (const StringEntry& e : EnglishStrings()) {
        pairs.push_back({std::to_string(e.id), e.text, Text(e.id, Language::kChinese)});
    }
    for (const PhraseEntry& p : Phrases()) pairs.push_back({p.english, p.english, p.chinese});
    return pairs;
}

TEST(StringTable, ChineseKeepsWhatPrintfTheBuffersAndTheReaderRelyOn) {
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    std::set<int> english, chinese;
    for (const StringEntry& e : EnglishStrings()) english.insert(e.id);
    for (const StringEntry& e : ChineseStrings()) chinese.insert(e.id);
    EXPECT_EQ(english, chinese);
    for (int id : {-1, 0, 100, 999}) EXPECT_STREQ(Text(id), "") << id;

    for (const TextPair& p : AllPairs()) {
        SCOPED_TRACE(p.label);
        EXPECT_EQ(Conversions(p.english), Conversions(p.chinese));
        EXPECT_EQ(Edge(p.english, true), Edge(p.chinese, true));
        EXPECT_EQ(Edge(p.english, false), Edge(p.chinese, false));
        EXPECT_EQ(std::count(p.english.begin(), p.english.end(), '\n'),
                  std::count(p.chinese.begin(), p.chinese.end(), '\n'));
        EXPECT_TRUE(IsUtf8(p.chinese));
        EXPECT_LE(p.chinese.size(), 255u);
        // Left untranslated: English letters and not one Chinese character.
        const bool letters = std::any_of(p.chinese.begin(), p.chinese.end(),
                                         [](unsigned char c) { return std::isalpha(c) != 0; });
        const bool wide = std::any_of(p.chinese.begin(), p.chinese.end(),
                                      [](unsigned char c) { return c >= 0x80; });
        if (p.english != "Wexfold" && letters && Conversions(p.chinese).empty()) {
            EXPECT_TRUE(wide) << p.chinese;
        }
    }
    // An English text is translated once: a phrase may not repeat an id text.
    for (const PhraseEntry& p : Phrases()) {
        for (const StringEntry& e : EnglishStrings()) EXPECT_STRNE(p.english, e.text) << e.id;
    }
}

TEST(StringTable, LogLinesReadTheSameInBothLanguages) {
    for (Language language : {Language::kEnglish, Language::kChinese}) {
        SCOPED_TRACE(static_cast<int>(language));
        const std::string speed = FormatText(Text(196, language), 2147483647);
        EXPECT_EQ(speed.substr(0, 17), ".Download speed: ");
        EXPECT_EQ(std::atol(speed.c_str() + 17), 2147483647);
        const std::string reset = FormatText(Text(195, language), 3600);
        EXPECT_EQ(std::atol(reset.c_str() + 2), 3600);
        EXPECT_NE(reset.back(), '\n');
        const std::string opened =
            FormatText(Translate("* %d seconds interval time.\r\n", language), 45);
        EXPECT_EQ(std::atol(opened.c_str() + 2), 45);
        const std::vector<std::pair<int, char>> classes = {
            {190, 'o'}, {191, 'o'}, {192, '!'}, {193, 'a'}, {194, '!'}, {195, '*'}, {196, 's'}};
        for (const auto& [id, kind] : classes) EXPECT_EQ(LineClass(Text(id, language)), kind) << id;
        // A transfer status line may not pass for a counted line.
        for (int id = 127; id <= 179; ++id) EXPECT_EQ(LineClass(Text(id, language)), 'o') << id;
        EXPECT_EQ(LineClass(Translate("Exit program. ", language)), 'o');
    }
}

TEST(StringTable, LanguageComesFromTheFirstSetLocaleVariable) {
    struct Case {
        const char *all, *messages, *lang;
        Language expected;
    };
    const Case cases[] = {
        {"zh_CN.UTF-8", nullptr, "en_US", Language::kChinese},
        {"C", nullptr, "zh_CN.UTF-8", Language::kEnglish},
        {"", "", "zh_TW", Language::kChinese},
        {"", "en_US", "zh_CN", Language::kEnglish},
        {nullptr, nullptr, nullptr, Language::kEnglish},
        {"en_ZH", nullptr, nullptr, Language::kEnglish},
        {"zh", nullptr, nullptr, Language::kChinese},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LanguageFromLocale(c.all, c.messages, c.lang), c.expected)
            << (c.all ? c.all : "-") << " " << (c.lang ? c.lang : "-");
    }
    ASSERT_EQ(setenv("LC_ALL", "", 1), 0);
    ASSERT_EQ(setenv("LC_MESSAGES", "zh_CN.UTF-8", 1), 0);
    ASSERT_EQ(setenv("LANG", "C", 1), 0);
    EXPECT_EQ(LanguageFromEnvironment(), Language::kChinese);
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    unsetenv("LANG");
}

TEST(StringTable, TranslateFindsTextsByTheirEnglishWordingOnly) {
    const std::string unknown = "Not a text of the program";
    EXPECT_EQ(Translate(unknown.c_str(), Language::kChinese), unknown.c_str());
    EXPECT_STREQ(Translate("Name:", Language::kChinese), "名称：");
    EXPECT_STREQ(Translate("Name: ", Language::kChinese), "名称： ");
    EXPECT_STREQ(Translate("warning", Language::kChinese), "warning");
    // Equal English texts under two ids ("Statistics" 103 and 212) translate alike.
    for (const StringEntry& e : EnglishStrings()) {
        EXPECT_STREQ(Translate(e.text, Language::kChinese), Text(e.id, Language::kChinese)) << e.id;
    }
    SetLanguage(Language::kChinese);
    EXPECT_STREQ(Text(102), Text(102, Language::kChinese));
    EXPECT_STREQ(Translate("Exit Warning"), Translate("Exit Warning", Language::kChinese));
    SetLanguage(Language::kEnglish);
    EXPECT_STREQ(Text(102), "URL");
}

}  // namespace
}  // namespace wexfold
