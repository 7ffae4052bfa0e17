// The program's icon in the desktop's tray: tooltip "Wexfold", a click opens the tray menu,
// a double click shows the window. Where the desktop has no tray the program runs without it.
#pragma once

#include <QObject>
#include <QSystemTrayIcon>

namespace wexfold {

class T_wexfoldDlg;

class CTaskIcon final : public QObject {
    Q_OBJECT

public:
    // No icon is shown when wanted is false or the desktop has no tray.
    CTaskIcon(T_wexfoldDlg& window, bool wanted);

    bool Shown() const { return icon_.isVisible(); }
    // What a click or double click on the icon does.
    void Activated(QSystemTrayIcon::ActivationReason reason);

private:
    T_wexfoldDlg& window_;
    QSystemTrayIcon icon_;
};

}  // namespace wexfold
