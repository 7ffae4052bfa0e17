// Rules that hold for every entry of both languages: a Chinese text that breaks one of them
// crashes a printf call, misleads the report reader or shows English to a Chinese user.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "TextChecks.h"
#include "core/text/StringData.h"
#include "core/text/StringTable.h"

namespace wexfold {
namespace {

using testing::ClassifyLine;
using testing::Conversions;
using testing::IsValidUtf8;
using testing::LeadingSpace;
using testing::TrailingSpace;

struct TextPair {
    std::string label;
    std::string_view english;
    std::string_view chinese;
};

// Every English text with its Chinese counterpart: the id texts and the phrases.
std::vector<TextPair> AllPairs() {
    std::vector<TextPair> pairs;
    for (const StringEntry& e : EnglishStrings()) {
        pairs.push_back({"string " + std::to_string(e.id), e.text, Text(e.id, Language::kChinese)});
    }
    for (const PhraseEntry& p : Phrases()) {
        pairs.push_back({"phrase \"" + std::string(p.english) + "\"", p.english, p.chinese});
    }
    return pairs;
}

std::set<int> Ids(std::span<const StringEntry> table) {
    std::set<int> ids;
    for (const StringEntry& e : table) ids.insert(e.id);
    return ids;
}

TEST(TableConsistency, BothLanguagesHoldTheSameIdsInOrder) {
    EXPECT_EQ(Ids(EnglishStrings()), Ids(ChineseStrings()));
    for (auto table : {EnglishStrings(), ChineseStrings()}) {
        for (std::size_t i = 1; i < table.size(); ++i) {
            EXPECT_LT(table[i - 1].id, table[i].id) << "table out of order at " << table[i].id;
        }
    }
    // The lookup agrees with the tables over the whole id range and beyond it.
    for (int id = 90; id < 250; ++id) {
        const bool known = Ids(EnglishStrings()).count(id) != 0;
        EXPECT_EQ(std::string_view(Text(id, Language::kEnglish)).empty(), !known) << id;
        EXPECT_EQ(std::string_view(Text(id, Language::kChinese)).empty(), !known) << id;
    }
    for (int id : {INT_MIN, -1, 0, INT_MAX}) EXPECT_STREQ(Text(id), "");
}

TEST(TableConsistency, EveryStatusCodeHasAText) {
    for (int code = 1; code <= 53; ++code) {
        EXPECT_STRNE(Text(126 + code, Language::kEnglish), "") << code;
        EXPECT_STRNE(Text(126 + code, Language::kChinese), "") << code;
    }
}

TEST(TableConsistency, ChineseKeepsConversionsSpacingAndLineBreaks) {
    for (const TextPair& p : AllPairs()) {
        SCOPED_TRACE(p.label);
        EXPECT_EQ(Conversions(p.english), Conversions(p.chinese));
        EXPECT_EQ(LeadingSpace(p.english), LeadingSpace(p.chinese));
        EXPECT_EQ(TrailingSpace(p.english), TrailingSpace(p.chinese));
        EXPECT_EQ(std::count(p.english.begin(), p.english.end(), '\n'),
                  std::count(p.chinese.begin(), p.chinese.end(), '\n'));
    }
}

TEST(TableConsistency, ChineseKeepsTheLogLineClass) {
    for (const TextPair& p : AllPairs()) {
        EXPECT_EQ(ClassifyLine(p.english), ClassifyLine(p.chinese)) << p.label;
    }
}

TEST(TableConsistency, ChineseIsValidUtf8AndTranslated) {
    for (const TextPair& p : AllPairs()) {
        SCOPED_TRACE(p.label);
        EXPECT_TRUE(IsValidUtf8(p.chinese));
        EXPECT_FALSE(p.chinese.empty());
        // A Chinese text that still has English words in it and not one non-ASCII byte was
        // left untranslated; the program's name is the one text meant to read the same.
        if (p.english == "Wexfold") continue;
        std::string words(p.chinese);
        for (const std::string& conversion : Conversions(p.chinese)) {
            words.erase(words.find(conversion), conversion.size());
        }
        const bool hasLetters = std::any_of(words.begin(), words.end(),
                                            [](unsigned char c) { return std::isalpha(c); });
        const bool hasNonAscii =
            std::any_of(words.begin(), words.end(), [](unsigned char c) { return c >= 0x80; });
        if (!hasLetters) continue;
        EXPECT_TRUE(hasNonAscii) << p.chinese;
    }
}

TEST(TableConsistency, TextsFitTheBuffersTheyAreLoadedInto) {
    // Texts are loaded into 256-byte buffers (255 characters); the tray tooltip takes 127.
    for (const TextPair& p : AllPairs()) {
        EXPECT_LE(p.english.size(), 255u) << p.label;
        EXPECT_LE(p.chinese.size(), 255u) << p.label;
    }
    EXPECT_LE(std::string_view(Text(110, Language::kChinese)).size(), 127u);
    // The single-instance check finds the running copy by this window title.
    EXPECT_STREQ(Text(110, Language::kChinese), "Wexfold");
}

TEST(TableConsistency, PhraseKeysAreSortedUniqueAndApartFromIdTexts) {
    const auto phrases = Phrases();
    for (std::size_t i = 1; i < phrases.size(); ++i) {
        EXPECT_LT(std::string_view(phrases[i - 1].english), std::string_view(phrases[i].english));
    }
    // An English text is translated in one place only: a phrase that repeats an id text
    // could drift from it.
    for (const PhraseEntry& p : phrases) {
        for (const StringEntry& e : EnglishStrings()) {
            EXPECT_NE(std::string_view(p.english), std::string_view(e.text)) << e.id;
        }
    }
}

TEST(TableConsistency, EqualEnglishTextsTranslateAlike) {
    // "Statistics" (103, 212) and the duplicate-name message (202, 222) are the same text
    // under two ids; Translate() of the English wording must agree with both.
    for (const StringEntry& e : EnglishStrings()) {
        EXPECT_STREQ(Translate(e.text, Language::kChinese), Text(e.id, Language::kChinese)) << e.id;
    }
}

}  // namespace
}  // namespace wexfold
