#include "app/widgets/AlertWindow.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

namespace wexfold {

namespace {

QRect ToQRect(const AlertRect& rect) {
    return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

}  // namespace

AlertWindow::AlertWindow(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool |
                          Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(AlertState::kWidth, AlertState::kHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(CornerOf(screen->geometry()));
    }
}

QPoint AlertWindow::CornerOf(const QRect& screenGeometry) {
    return screenGeometry.topLeft() +
           QPoint(screenGeometry.width() - AlertState::kWidth, screenGeometry.height() - 166);
}

void AlertWindow::Apply(const AlertPaint& paint) {
    switch (paint.kind) {
        case AlertPaint::kDraw:
            paint_ = paint;
            show();
            update();
            break;
        case AlertPaint::kRemove:
            hide();
            break;
        case AlertPaint::kNothing:
            break;
    }
}

QImage AlertWindow::Render() const {
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    PaintOn(painter);
    return image;
}

void AlertWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintOn(painter);
}

void AlertWindow::PaintOn(QPainter& painter) const {
    // A missing picture leaves the area as it is; the texts still show.
    const QPixmap picture(":/images/alert.png");
    if (!picture.isNull()) painter.drawPixmap(ToQRect(paint_.picture).topLeft(), picture);
    painter.setFont(font());  // on an image too
    for (const AlertText& text : paint_.texts) {
        // Text drawn into a rectangle is clipped to it.
        painter.setPen(QColor::fromRgb(text.rgb));
        painter.drawText(ToQRect(text.rect), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         QString::fromStdString(text.text));
    }
}

}  // namespace wexfold
