// The widgets the window draws itself: the alert in the screen's corner, the speed graph and
// the tab strip's clicks.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QScreen>

#include "app/widgets/AlertWindow.h"
#include "app/widgets/SpeedGraph.h"
#include "app/widgets/TabStripBar.h"
#include "core/engine/SpeedHistory.h"

namespace wexfold {
namespace {

TEST(WidgetTest, AlertSitsInTheCornerShowsItsTextsInTheirRectsAndHides) {
    // Flush with the right edge of a screen that is not at the origin, 30 pixels above its foot.
    AlertWindow window;
    const QRect screen(100, 50, 1920, 1080);
    const QRect area(AlertWindow::CornerOf(screen), window.size());
    EXPECT_EQ(area.right(), screen.right());
    EXPECT_EQ(area.bottom() + 30, screen.bottom());
    EXPECT_EQ(window.pos(), AlertWindow::CornerOf(QGuiApplication::primaryScreen()->geometry()));

    AlertState state;
    // The time stamp is longer than its rect, which ends 5 pixels short of the right edge.
    state.BrokenLink(" 10:00:00 03/10 2026 and a good deal more ", "http://a.test/page", 0, 0);
    const AlertPaint paint = state.Paint();
    AlertPaint pictureOnly = paint;
    pictureOnly.texts.clear();
    window.Apply(pictureOnly);
    const QImage before = window.Render();
    window.Apply(paint);
    EXPECT_TRUE(window.isVisible());
    const QImage after = window.Render();
    // Every text leaves ink in its rect, and nothing changes outside them.
    std::vector<int> ink(paint.texts.size(), 0);
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            if (after.pixel(x, y) == before.pixel(x, y)) continue;
            int inside = -1;
            for (std::size_t i = 0; i < paint.texts.size(); ++i) {
                const AlertRect& r = paint.texts[i].rect;
                if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) inside = int(i);
            }
            ASSERT_GE(inside, 0) << x << "," << y;
            ++ink[static_cast<std::size_t>(inside)];
        }
    }
    for (std::size_t i = 0; i < ink.size(); ++i) EXPECT_GT(ink[i], 0) << paint.texts[i].text;
    window.Apply(AlertPaint{});
    EXPECT_TRUE(window.isVisible());
    state.alertStep = 11;
    window.Apply(state.Paint());
    EXPECT_FALSE(window.isVisible());
}

TEST(WidgetTest, SpeedGraphDrawsTheVisiblePointsOfItsHistory) {
    SpeedHistory history;
    SpeedGraph graph(history);
    for (std::uint32_t kb : {30, 80, 0, 50}) history.AddSample(kb * 1024);
    const QImage image = graph.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(image.pixel(150, 105), qRgb(240, 230, 230));
    // The newest point lies past the edge; the older ones are on the line.
    int visible = 0;
    for (const SpeedHistory::Point& point : history.Polyline()) {
        if (point.x >= image.width()) continue;
        EXPECT_EQ(image.pixel(point.x, point.y), qRgb(0, 0, 0)) << point.x;
        ++visible;
    }
    EXPECT_EQ(visible, 3);
}

TEST(WidgetTest, TabStripChangesOnAClickOnAnotherTabOfItsRow) {
    TabStripBar bar;
    bar.setTabs({"a", "b", "c", "d"}, 0);
    std::vector<int> changes;
    QObject::connect(&bar, &TabStripBar::currentChanged, [&](int tab) { changes.push_back(tab); });
    const auto click = [&bar](QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QMouseEvent press(QEvent::MouseButtonPress, at, bar.mapToGlobal(at), button, button, {});
        QCoreApplication::sendEvent(&bar, &press);
    };
    click({100, 10}, Qt::RightButton);
    click({100, 10});
    click({150, 5});   // the same tab again
    click({300, 40});  // below the row
    click({300, 0});
    bar.setTabs({"a", "b"}, 0);
    click({300, 10});  // right of a two-tab row
    EXPECT_EQ(changes, (std::vector<int>{1, 3}));
    EXPECT_EQ(bar.currentIndex(), 0);
}

}  // namespace
}  // namespace wexfold
