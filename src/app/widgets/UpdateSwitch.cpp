#include "app/widgets/UpdateSwitch.h"

#include <QPainter>
#include <QPixmap>

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
}

}  // namespace wexfold
