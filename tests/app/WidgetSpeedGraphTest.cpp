// The speed graph paints the history it is given, and nothing else.
#include <gtest/gtest.h>

#include <QImage>

#include "app/widgets/SpeedGraph.h"
#include "core/engine/SpeedHistory.h"

namespace wexfold {
namespace {

QImage Grab(SpeedGraph& graph) {
    return graph.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(SpeedGraphTest, PaintsBackgroundLabelAndVisiblePoints) {
    SpeedHistory history;
    SpeedGraph graph(history);
    for (std::uint32_t kb : {30, 80, 0, 50}) history.AddSample(kb * 1024);
    const QImage image = Grab(graph);

    EXPECT_EQ(image.pixel(150, 105), qRgb(240, 230, 230));
    EXPECT_NE(image.pixel(0, 105), qRgb(240, 230, 230));  // the fill starts at x = 1

    int labelInk = 0;
    for (int y = 0; y < 15; ++y) {
        for (int x = 1; x < 100; ++x) labelInk += qGray(image.pixel(x, y)) < 100;
    }
    EXPECT_GT(labelInk, 0);

    // The newest point (x = 211) lies past the edge; the older ones are on the line.
    int visible = 0;
    for (const SpeedHistory::Point& point : history.Polyline()) {
        if (point.x >= image.width()) continue;
        EXPECT_EQ(image.pixel(point.x, point.y), qRgb(0, 0, 0)) << point.x;
        ++visible;
    }
    EXPECT_EQ(visible, 3);
}

TEST(SpeedGraphTest, ChangesOnlyWhenTheHistoryTicks) {
    SpeedHistory history;
    SpeedGraph graph(history);
    history.AddSample(40 * 1024);
    history.AddSample(90 * 1024);
    const QImage first = Grab(graph);
    EXPECT_EQ(Grab(graph), first);
    history.AddSample(10 * 1024);
    EXPECT_NE(Grab(graph), first);
}

}  // namespace
}  // namespace wexfold
