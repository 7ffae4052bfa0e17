// Converting the templates' dialog units to pixels.
#include <gtest/gtest.h>

#include "core/shell/DialogUnits.h"

namespace wexfold {
namespace {

TEST(DialogUnits, EachValueRoundsToTheNearestPixelAfterScaling) {
    // The tab strip at 5, 40, 310, 133: 7.5 rounds up, 216.125 down.
    const PixelRect tabs = ToPixels({5, 40, 310, 133});
    EXPECT_EQ(tabs.left, 8);
    EXPECT_EQ(tabs.top, 65);
    EXPECT_EQ(tabs.width, 465);
    EXPECT_EQ(tabs.height, 216);
    EXPECT_EQ(DialogYToPixels(202), 328);  // the main window, 328.25
    EXPECT_EQ(DialogYToPixels(3), 5);      // 4.875
    EXPECT_EQ(DialogXToPixels(-1), -2);    // halves away from zero

    const PixelRect doubled = ToPixels({5, 40, 310, 133}, 2.0);
    EXPECT_EQ(doubled.left, 15);
    EXPECT_EQ(doubled.height, 432);          // 432.25
    EXPECT_EQ(DialogXToPixels(3, 1.25), 6);  // 5.625
}

}  // namespace
}  // namespace wexfold
