// The UPDATE page's automatic-update switch: a button drawn as one of five pictures, with
// the word ON or OFF in the user's language.
#pragma once

#include <QAbstractButton>

namespace wexfold {

// The picture for the switch: by the automatic-update flag and the button's state.
const char* UpdateSwitchPicture(bool on, bool pressed, bool hovered, bool enabled);

class UpdateSwitch : public QAbstractButton {
    Q_OBJECT

  public:
    explicit UpdateSwitch(QWidget* parent = nullptr);

    // The automatic-update flag the switch shows; the window sets it after a click.
    void setAutoCheck(bool on);
    bool autoCheck() const { return on_; }

  protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    bool on_ = false;
};

}  // namespace wexfold
