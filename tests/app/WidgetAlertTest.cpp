// The connection-lost alert window: where it sits, how it shows and hides, what it paints.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QScreen>

#include "app/widgets/AlertWindow.h"
#include "core/engine/AlertState.h"

namespace wexfold {
namespace {

QRect ToQRect(const AlertRect& rect) {
    return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

bool IsInk(QRgb pixel, std::uint32_t rgb) {
    const auto near = [](int value, int target) { return std::abs(value - target) < 60; };
    return qAlpha(pixel) > 200 && near(qRed(pixel), (rgb >> 16) & 0xFF) &&
           near(qGreen(pixel), (rgb >> 8) & 0xFF) && near(qBlue(pixel), rgb & 0xFF);
}

TEST(AlertWindowTest, StaysOnTopWithoutTakingFocusInTheCorner) {
    AlertWindow window;
    const Qt::WindowFlags flags = window.windowFlags();
    for (Qt::WindowType flag : {Qt::FramelessWindowHint, Qt::WindowStaysOnTopHint, Qt::Tool,
                                Qt::WindowTransparentForInput, Qt::WindowDoesNotAcceptFocus}) {
        EXPECT_TRUE(flags.testFlag(flag)) << flag;
    }
    EXPECT_TRUE(window.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(window.pos(), AlertWindow::CornerOf(QGuiApplication::primaryScreen()->geometry()));

    // Flush with the right edge of a screen that is not at the origin, 30 pixels above its foot.
    const QRect screen(100, 50, 1920, 1080);
    const QRect area(AlertWindow::CornerOf(screen), window.size());
    EXPECT_EQ(area.right(), screen.right());
    EXPECT_EQ(area.bottom() + 30, screen.bottom());
    EXPECT_EQ(area.top(), screen.top() + screen.height() - 166);
}

TEST(AlertWindowTest, ShowsOnDrawAndHidesOnRemove) {
    AlertState state;
    state.BrokenLink(" 10:00:00 03/10 2026 ", "http://a.test/", 1, 0);
    AlertWindow window;
    window.Apply(state.Paint());
    EXPECT_TRUE(window.isVisible());
    window.Apply(AlertPaint{});
    EXPECT_TRUE(window.isVisible());
    state.alertStep = 11;
    window.Apply(state.Paint());
    EXPECT_FALSE(window.isVisible());
}

TEST(AlertWindowTest, TextsAppearInTheirColoursInsideTheirRects) {
    AlertState state;
    // The time stamp is longer than its rect, which ends 5 pixels short of the right edge.
    state.BrokenLink(" 10:00:00 03/10 2026 and a good deal more ", "http://a.test/page", 0, 0);
    const AlertPaint paint = state.Paint();
    AlertPaint pictureOnly = paint;
    pictureOnly.texts.clear();

    AlertWindow window;
    window.Apply(pictureOnly);
    const QImage before = window.Render();
    window.Apply(paint);
    const QImage after = window.Render();

    // Every text leaves ink of its own colour in its rect, and nothing changes outside them.
    std::vector<int> ink(paint.texts.size(), 0);
    int outside = 0;
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            if (after.pixel(x, y) == before.pixel(x, y)) continue;
            bool inside = false;
            for (std::size_t i = 0; i < paint.texts.size(); ++i) {
                if (!ToQRect(paint.texts[i].rect).contains(x, y)) continue;
                inside = true;
                if (IsInk(after.pixel(x, y), paint.texts[i].rgb)) ++ink[i];
            }
            outside += !inside;
        }
    }
    EXPECT_EQ(outside, 0);
    for (std::size_t i = 0; i < paint.texts.size(); ++i) {
        EXPECT_GT(ink[i], 0) << paint.texts[i].text;
    }
}

}  // namespace
}  // namespace wexfold
