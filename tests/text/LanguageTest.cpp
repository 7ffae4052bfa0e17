// Choosing the language from the locale, switching it, and looking up texts without an id.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "TextChecks.h"
#include "core/text/StringTable.h"

namespace wexfold {
namespace {

TEST(Language, FirstNonEmptyLocaleVariableDecides) {
    EXPECT_EQ(LanguageFromLocale("zh_CN.UTF-8", nullptr, "en_US"), Language::kChinese);
    EXPECT_EQ(LanguageFromLocale("C", nullptr, "zh_CN.UTF-8"), Language::kEnglish);
    EXPECT_EQ(LanguageFromLocale(nullptr, "zh_TW", "en_US.UTF-8"), Language::kChinese);
    EXPECT_EQ(LanguageFromLocale("", "", "zh_TW"), Language::kChinese);
    EXPECT_EQ(LanguageFromLocale("", "en_US", "zh_CN"), Language::kEnglish);
    EXPECT_EQ(LanguageFromLocale(nullptr, nullptr, "en_US"), Language::kEnglish);
    EXPECT_EQ(LanguageFromLocale(nullptr, nullptr, nullptr), Language::kEnglish);
    EXPECT_EQ(LanguageFromLocale("", "", ""), Language::kEnglish);
    // Only a leading "zh" counts; a short or merely similar name is English.
    EXPECT_EQ(LanguageFromLocale("z", nullptr, nullptr), Language::kEnglish);
    EXPECT_EQ(LanguageFromLocale("en_ZH", nullptr, nullptr), Language::kEnglish);
    EXPECT_EQ(LanguageFromLocale("zh", nullptr, nullptr), Language::kChinese);
}

TEST(Language, EnvironmentIsReadInTheSameOrder) {
    ASSERT_EQ(setenv("LC_ALL", "", 1), 0);
    ASSERT_EQ(setenv("LC_MESSAGES", "zh_CN.UTF-8", 1), 0);
    ASSERT_EQ(setenv("LANG", "C", 1), 0);
    EXPECT_EQ(LanguageFromEnvironment(), Language::kChinese);
    ASSERT_EQ(setenv("LC_ALL", "en_GB.UTF-8", 1), 0);
    EXPECT_EQ(LanguageFromEnvironment(), Language::kEnglish);
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    unsetenv("LANG");
    EXPECT_EQ(LanguageFromEnvironment(), Language::kEnglish);
}

TEST(Language, SwitchingChangesWhatTextAndTranslateReturn) {
    EXPECT_EQ(CurrentLanguage(), Language::kEnglish);
    EXPECT_STREQ(Text(102), "URL");
    const char* caption = "Exit Warning";
    EXPECT_EQ(Translate(caption), caption);

    SetLanguage(Language::kChinese);
    EXPECT_EQ(CurrentLanguage(), Language::kChinese);
    EXPECT_STREQ(Text(102), Text(102, Language::kChinese));
    EXPECT_STRNE(Text(102), "URL");
    EXPECT_STRNE(Translate(caption), caption);
    EXPECT_TRUE(testing::IsValidUtf8(Translate(caption)));

    SetLanguage(Language::kEnglish);
    EXPECT_STREQ(Text(102), "URL");
}

TEST(Language, TranslateFallsBackToItsArgument) {
    // Unknown texts come back as the very pointer passed, in either language.
    const std::string unknown = "Not a text of the program";
    EXPECT_EQ(Translate(unknown.c_str(), Language::kChinese), unknown.c_str());
    EXPECT_EQ(Translate(nullptr, Language::kChinese), nullptr);
    // Keys match exactly: a missing trailing blank or another letter case is another text.
    EXPECT_STREQ(Translate("Name:", Language::kChinese), "名称：");
    EXPECT_STREQ(Translate("Name: ", Language::kChinese), "名称： ");
    const std::string lower = "warning";
    EXPECT_EQ(Translate(lower.c_str(), Language::kChinese), lower.c_str());
    // A key found through a copy, not by pointer identity.
    const std::string copy = "Select date error";
    EXPECT_STRNE(Translate(copy.c_str(), Language::kChinese), copy.c_str());
}

TEST(Language, TranslateFindsIdTextsByTheirEnglishWording) {
    EXPECT_STREQ(Translate("Check Update Now!", Language::kChinese), Text(114, Language::kChinese));
    EXPECT_STREQ(Translate("Advanced Setting", Language::kChinese), Text(214, Language::kChinese));
    EXPECT_STREQ(Translate("Check Update Now!", Language::kEnglish), "Check Update Now!");
}

}  // namespace
}  // namespace wexfold
