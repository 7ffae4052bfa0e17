// The owner-drawn tab strip: what it paints within its frame, and tab clicks.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>

#include "app/widgets/TabStripBar.h"

namespace wexfold {
namespace {

constexpr QRgb kSeparator = qRgb(206, 203, 186);
constexpr QRgb kBaseline = qRgb(145, 155, 156);

TEST(TabStripTest, RendersTheFillsBeneathTheLabels) {
    TabStripBar bar;
    bar.setTabs({"Sites", "Log", "Statistics", "Update"}, 1);
    const QImage image = bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
    // As high as the template's strip, with the frame's bottom edge inside it.
    EXPECT_EQ(image.height(), 216);
    EXPECT_EQ(image.pixel(200, 213), qRgb(215, 215, 216));
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
