#include "app/widgets/UpdateSwitch.h"

#include <QPainter>
#include <QPixmap>

#include "core/text/StringTable.h"

namespace wexfold {

const char* UpdateSwitchPicture(bool on, bool pressed, bool hovered, bool enabled) {
    if (on) return pressed ? ":/images/switch-on-pressed.png" : ":/images/switch-on.png";
    // Off: the hover and inactive pictures stand for exactly that one state.
    if (!enabled) return ":/images/switch-off-inactive.png";
    if (hovered && !pressed) return ":/images/switch-off-hover.png";
    return ":/images/switch-off.png";
}

UpdateSwitch::UpdateSwitch(QWidget* parent) : QAbstractButton(parent) {
    setFixedSize(120, 81);
}

void UpdateSwitch::setAutoCheck(bool on) {
    on_ = on;
    update();
}

// The off picture follows the pointer.
void UpdateSwitch::enterEvent(QEnterEvent*) {
    update();
}

void UpdateSwitch::leaveEvent(QEvent*) {
    update();
}

void UpdateSwitch::paintEvent(QPaintEvent*) {
    // A missing picture draws nothing.
    const QPixmap picture(UpdateSwitchPicture(on_, isDown(), underMouse(), isEnabled()));
    if (picture.isNull()) return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture);

    // The word, in the user's language, on the half of the track the knob leaves free.
    const bool pressed = on_ && isDown();
    const QRect free = on_ ? QRect(18, 18 + pressed, 44, 44) : QRect(58, 18, 44, 44);
    QFont bold = font();
    bold.setBold(true);
    bold.setPixelSize(14);
    painter.setFont(bold);
    const QString word = QString::fromUtf8(Translate(on_ ? "ON" : "OFF"));
    if (on_) {
        painter.setPen(QColor(30, 90, 40));
        painter.drawText(free.translated(1, 1), Qt::AlignCenter, word);
        painter.setPen(Qt::white);
    } else {
        const bool hovered = underMouse() && !isDown() && isEnabled();
        painter.setPen(hovered ? QColor(40, 70, 126) : QColor(92, 90, 80));
        if (!isEnabled()) painter.setOpacity(0.45);
    }
    painter.drawText(free, Qt::AlignCenter, word);
}

}  // namespace wexfold
