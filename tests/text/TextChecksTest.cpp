// The checkers the table tests rely on, against byte sequences built by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TextChecks.h"

namespace wexfold::testing {
namespace {

TEST(TextChecks, Utf8ValidatorAcceptsWellFormedAndRejectsMalformedBytes) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("plain ASCII\r\n"));
    EXPECT_TRUE(IsValidUtf8("\xE4\xB8\xAD\xE6\x96\x87"));  // two CJK characters
    EXPECT_TRUE(IsValidUtf8("\xC2\xA9"));                  // U+00A9
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));          // U+1F600
    EXPECT_TRUE(IsValidUtf8("\xF4\x8F\xBF\xBF"));          // U+10FFFF, the last code point

    EXPECT_FALSE(IsValidUtf8("\x80"));              // continuation byte alone
    EXPECT_FALSE(IsValidUtf8("\xE4\xB8"));          // cut off
    EXPECT_FALSE(IsValidUtf8("\xE4\x41\xAD"));      // ASCII inside a sequence
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong '/'
    EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));      // overlong in three bytes
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // UTF-16 surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xFF"));
    // GBK bytes of the same two characters are not UTF-8.
    EXPECT_FALSE(IsValidUtf8("\xD6\xD0\xCE\xC4"));
}

TEST(TextChecks, ConversionsAreFoundInOrderAndLiteralPercentsSkipped) {
    using List = std::vector<std::string>;
    EXPECT_EQ(Conversions("   %lu of %lu "), (List{"%lu", "%lu"}));
    EXPECT_EQ(Conversions(".%d%%, Downloading '%s', %dKB of %dKB"),
              (List{"%d", "%%", "%s", "%d", "%d"}));
    EXPECT_EQ(Conversions("%#c %-5.2f %02d"), (List{"%#c", "%-5.2f", "%02d"}));
    EXPECT_EQ(Conversions("Break Rate: 0%, 0 Minutes "), List{});
    EXPECT_EQ(Conversions("0%\xEF\xBC\x8C"
                          "0"),
              List{});
    EXPECT_EQ(Conversions("100%"), List{});
}

TEST(TextChecks, LineClassFollowsTheFirstTwoCharacters) {
    EXPECT_EQ(ClassifyLine("* 10 seconds"), LineClass::kInterval);
    EXPECT_EQ(ClassifyLine("! Failed"), LineClass::kBroken);
    EXPECT_EQ(ClassifyLine("..Access"), LineClass::kSuccess);
    EXPECT_EQ(ClassifyLine(".Download"), LineClass::kSpeed);
    EXPECT_EQ(ClassifyLine("Start monitor. "), LineClass::kOther);
    EXPECT_EQ(ClassifyLine(""), LineClass::kOther);
}

}  // namespace
}  // namespace wexfold::testing
