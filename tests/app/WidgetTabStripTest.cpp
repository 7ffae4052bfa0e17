// The owner-drawn tab strip: its fills by tab count and marked tab, and tab clicks.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <set>
#include <utility>

#include "app/widgets/TabStripBar.h"

namespace wexfold {
namespace {

constexpr QRgb kSeparator = qRgb(206, 203, 186);
constexpr QRgb kBaseline = qRgb(145, 155, 156);

// The one-pixel separators in the row and the baseline pieces under it.
struct Lines {
    std::set<int> separators;
    std::set<std::pair<int, int>> baseline;
};

Lines LinesOf(const std::vector<TabFill>& fills) {
    Lines lines;
    for (const TabFill& fill : fills) {
        const QRect& r = fill.rect;
        if (fill.rgb == kSeparator && r.width() == 1 && r.top() == 0 && r.height() == 20) {
            lines.separators.insert(r.left());
        }
        if (fill.rgb == kBaseline && r.top() == 20 && r.height() == 1) {
            lines.baseline.insert({r.left(), r.left() + r.width()});
        }
    }
    return lines;
}

TEST(TabStripTest, SeparatorsAndBaselineFollowTheMarkedTab) {
    Lines lines = LinesOf(TabStripFills(2, 1));
    EXPECT_EQ(lines.separators, (std::set<int>{0}));
    EXPECT_EQ(lines.baseline, (std::set<std::pair<int, int>>{{0, 98}, {196, 462}}));

    lines = LinesOf(TabStripFills(3, 0));
    EXPECT_EQ(lines.separators, (std::set<int>{194, 291}));
    EXPECT_EQ(lines.baseline, (std::set<std::pair<int, int>>{{100, 463}}));

    lines = LinesOf(TabStripFills(4, 3));
    EXPECT_EQ(lines.separators, (std::set<int>{0, 97, 194}));
    EXPECT_EQ(lines.baseline, (std::set<std::pair<int, int>>{{388, 502}, {0, 291}}));
}

TEST(TabStripTest, LastTabHasItsOwnCap) {
    bool cap = false;
    for (const TabFill& fill : TabStripFills(4, 3)) {
        cap |= fill.rect == QRect(289, 0, 97, 6) && fill.rgb == qRgb(100, 100, 250);
    }
    EXPECT_TRUE(cap);
}

TEST(TabStripTest, RendersTheFillsBeneathTheLabels) {
    TabStripBar bar;
    bar.setTabs({"Sites", "Log", "Statistics", "Update"}, 1);
    const QImage image = bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(image.pixel(99, 2), qRgb(100, 100, 255));   // cap of the marked tab
    EXPECT_EQ(image.pixel(99, 18), qRgb(220, 200, 230));  // its body
    EXPECT_EQ(image.pixel(300, 20), kBaseline);
    EXPECT_EQ(image.pixel(389, 10), kSeparator);
    EXPECT_EQ(image.pixel(420, 10), qRgb(236, 233, 216));
    EXPECT_EQ(image.pixel(200, 212), qRgb(180, 190, 191));  // middle row of the bottom edge
    EXPECT_EQ(image.pixel(200, 100), qRgb(244, 243, 238));

    int labelInk = 0;  // "Log", centred in the marked tab
    for (int y = 6; y < 20; ++y) {
        for (int x = 97; x < 194; ++x) labelInk += qGray(image.pixel(x, y)) < 100;
    }
    EXPECT_GT(labelInk, 0);
}

void Click(TabStripBar& bar, QPoint pos) {
    QMouseEvent press(QEvent::MouseButtonPress, pos, bar.mapToGlobal(pos), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&bar, &press);
}

TEST(TabStripTest, ClickOnAnotherTabChangesTheCurrentOne) {
    TabStripBar bar;
    bar.setTabs({"a", "b", "c", "d"}, 0);
    std::vector<int> changes;
    QObject::connect(&bar, &TabStripBar::currentChanged,
                     [&](int index) { changes.push_back(index); });
    Click(bar, {100, 10});
    Click(bar, {150, 5});   // the same tab again
    Click(bar, {300, 40});  // below the row
    EXPECT_EQ(changes, std::vector<int>{1});
    EXPECT_EQ(bar.currentIndex(), 1);

    bar.setTabs({"a", "b"}, 0);
    Click(bar, {300, 10});  // right of a two-tab row
    EXPECT_EQ(bar.currentIndex(), 0);
}

}  // namespace
}  // namespace wexfold
