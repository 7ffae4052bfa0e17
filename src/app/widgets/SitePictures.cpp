#include "app/widgets/SitePictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace wexfold {
namespace {

constexpr int kSizes[] = {16, 32, 48, 128};

// A filled disc with a white rim over the lower right corner of a square of the given side,
// and the mark of the badge in white on it.
void PaintBadge(QPainter& painter, int side, SiteBadge badge) {
    const double d = side * 0.45;
    const QRectF disc(side - d, side - d, d - 0.5, d - 0.5);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, std::max(1.0, side / 32.0)));
    painter.setBrush(BadgeColour(badge));
    painter.drawEllipse(disc);
    const QPointF c = disc.center();
    const double r = d * 0.22;
    QPen mark(Qt::white, std::max(1.5, side / 16.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(mark);
    painter.setBrush(Qt::NoBrush);
    switch (badge) {
        case SiteBadge::kUp: {
            QPainterPath tick;
            tick.moveTo(c + QPointF(-r, 0));
            tick.lineTo(c + QPointF(-r * 0.2, r * 0.8));
            tick.lineTo(c + QPointF(r, -r * 0.8));
            painter.drawPath(tick);
            break;
        }
        case SiteBadge::kDown:
            painter.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
            painter.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
            break;
        case SiteBadge::kStopped:
            painter.drawLine(c + QPointF(-r * 0.5, -r), c + QPointF(-r * 0.5, r));
            painter.drawLine(c + QPointF(r * 0.5, -r), c + QPointF(r * 0.5, r));
            break;
        case SiteBadge::kUnchecked:
            painter.drawPoint(c);
            break;
    }
}

QPixmap WithBadge(const QString& path, int side, SiteBadge badge, bool badged) {
    QPixmap picture =
        QPixmap(path).scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (!badged || picture.isNull()) return picture;
    QPainter painter(&picture);
    PaintBadge(painter, side, badge);
    return picture;
}

}  // namespace

QColor BadgeColour(SiteBadge badge) {
    switch (badge) {
        case SiteBadge::kUp:
            return QColor(40, 160, 70);
        case SiteBadge::kDown:
            return QColor(215, 40, 40);
        case SiteBadge::kStopped:
            return QColor(110, 110, 110);
        case SiteBadge::kUnchecked:
            break;
    }
    return QColor(120, 150, 200);
}

QIcon ProgramIcon(bool down) {
    QIcon icon;
    for (const int side : kSizes) {
        icon.addPixmap(WithBadge(QStringLiteral(":/images/app-%1.png").arg(side), side,
                                 SiteBadge::kDown, down));
    }
    return icon;
}

const QIcon& SitePictures::Picture(std::uint32_t frame, SiteBadge badge) {
    QIcon& icon = icons_[frame % kFrames][static_cast<std::size_t>(badge)];
    if (icon.isNull()) {
        icon = QIcon(WithBadge(QStringLiteral(":/images/site-frame-%1.png").arg(frame % kFrames),
                               32, badge, true));
    }
    return icon;
}

}  // namespace wexfold
