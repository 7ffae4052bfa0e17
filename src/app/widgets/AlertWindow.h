// The connection-lost alert: a small click-through window in the screen's bottom-right corner
// that shows what AlertState::Paint() hands it, above every other window.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

class QPainter;

#include "core/engine/AlertState.h"

namespace wexfold {

class AlertWindow : public QWidget {
    Q_OBJECT

  public:
    // Placed on the primary screen, as the alert's corner is taken once at start-up.
    explicit AlertWindow(QWidget* parent = nullptr);

    // The alert's top-left corner on a screen: (W - 190, H - 166), above a 30-pixel bar.
    static QPoint CornerOf(const QRect& screenGeometry);

    // kDraw shows the alert with the paint's texts, kRemove hides it, kNothing leaves it.
    void Apply(const AlertPaint& paint);

    // The alert as it is painted, on a transparent image of the window's size.
    QImage Render() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void PaintOn(QPainter& painter) const;

    AlertPaint paint_;
};

}  // namespace wexfold
