// The log texts as the report reader takes them apart, in both languages, and English
// texts whose odd spacing or spelling readers and stored logs depend on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "TextChecks.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"

namespace wexfold {
namespace {

using testing::ClassifyLine;
using testing::LineClass;

constexpr Language kBoth[] = {Language::kEnglish, Language::kChinese};
constexpr const char* kStamp = " 14:03:27 12/05 2026 ";

long NumberAt(const std::string& line, std::size_t offset) {
    return offset < line.size() ? std::strtol(line.c_str() + offset, nullptr, 10) : -1;
}

TEST(LogText, SpeedNumberStartsBehindTheFixedPrefix) {
    for (Language language : kBoth) {
        for (int kb : {0, 37, 2147483647}) {
            const std::string line = FormatText(Text(196, language), kb) + kStamp + "\r\n";
            EXPECT_EQ(line.substr(0, 17), ".Download speed: ");
            EXPECT_EQ(NumberAt(line, 17), kb);
            EXPECT_EQ(ClassifyLine(line), LineClass::kSpeed);
        }
    }
}

TEST(LogText, IntervalNumberStartsAtTheThirdCharacter) {
    for (Language language : kBoth) {
        const std::string reset = FormatText(Text(195, language), 3600);
        const std::string opened =
            FormatText(Translate("* %d seconds interval time.\r\n", language), 45);
        EXPECT_EQ(NumberAt(reset, 2), 3600);
        EXPECT_EQ(NumberAt(opened, 2), 45);
        EXPECT_EQ(ClassifyLine(reset), LineClass::kInterval);
        EXPECT_EQ(ClassifyLine(opened), LineClass::kInterval);
        // The reset line has no line end of its own; the opening line has one.
        EXPECT_NE(reset.back(), '\n');
        EXPECT_EQ(opened.substr(opened.size() - 2), "\r\n");
    }
}

TEST(LogText, EventLinesKeepTheirClassInBothLanguages) {
    for (Language language : kBoth) {
        EXPECT_EQ(ClassifyLine(Text(192, language)), LineClass::kBroken);
        EXPECT_EQ(ClassifyLine(Text(194, language)), LineClass::kBroken);
        EXPECT_EQ(ClassifyLine(Text(193, language)), LineClass::kSuccess);
        EXPECT_EQ(ClassifyLine(Text(190, language)), LineClass::kOther);
        EXPECT_EQ(ClassifyLine(Text(191, language)), LineClass::kOther);
        EXPECT_EQ(ClassifyLine(Translate("Exit program. ", language)), LineClass::kOther);
        // A transfer status line begins with the status text; none may pass for a counted line.
        for (int id = 127; id <= 179; ++id) {
            EXPECT_EQ(ClassifyLine(Text(id, language)), LineClass::kOther) << id;
        }
        const std::string failed = Text(194, language);
        EXPECT_EQ(failed.substr(failed.size() - 2), "\r\n");
    }
}

TEST(LogText, EnglishTextsKeepTheirOddSpacing) {
    EXPECT_EQ(FormatText(Text(180, Language::kEnglish), 5ul, 10ul), "   5 of 10 ");
    EXPECT_EQ(FormatText(Text(227, Language::kEnglish), 0, 1), " 0 of 1 pages");
    EXPECT_EQ(FormatText(Text(201, Language::kEnglish), "shop"),
              "Are you make sure stop 'shop' ? ");
    EXPECT_EQ(FormatText(Text(197, Language::kEnglish), 25, "setup.exe", 512, 2048),
              ".25%, Downloading 'setup.exe', 512KB of 2048KB");
    EXPECT_STREQ(Text(127, Language::kEnglish), "Finding Resouce.");
    EXPECT_STREQ(Text(128, Language::kEnglish), "Connecting ");
    EXPECT_STREQ(Text(179, Language::kEnglish), "SSLUX navblocke ");
    EXPECT_STREQ(Text(112, Language::kEnglish), "Please Whaiting.... \nConnecting internet.....");
    EXPECT_STREQ(Text(192, Language::kEnglish), "! Failed! can't connectivy. end of ");
    EXPECT_STREQ(Text(115, Language::kEnglish), "Recent Update: ");
}

}  // namespace
}  // namespace wexfold
