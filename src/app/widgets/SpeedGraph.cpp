#include "app/widgets/SpeedGraph.h"

#include <QPainter>
#include <QPolygon>

namespace wexfold {

SpeedGraph::SpeedGraph(const SpeedHistory& history, QWidget* parent)
    : QWidget(parent), history_(history) {
    // 138 x 66 dialog units; the line's newest end (x = 211) lies just past the right edge.
    setFixedSize(207, 107);
}

void SpeedGraph::paintEvent(QPaintEvent*) {
    // Everything comes from the history, which changes only on the tick, so a repaint between
    // ticks shows the same picture.
    QPainter painter(this);
    painter.setPen(Qt::black);  // the background is fixed, so the ink is too
    painter.fillRect(QRect(1, 0, 208, 108), QColor(240, 230, 230));
    painter.drawText(QRect(1, 0, 99, 15), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     QString::fromStdString(history_.Label()));
    QPolygon line;
    for (const SpeedHistory::Point& point : history_.Polyline()) line << QPoint(point.x, point.y);
    painter.drawPolyline(line);
}

}  // namespace wexfold
