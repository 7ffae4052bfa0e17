// The program's icon in the desktop's tray: its own context menu, rebuilt each time it opens;
// a left click opens that menu too where the pointer's place is known (X11), a double click
// shows the window. While a watched site is down the icon carries a red mark and its tooltip
// names those sites. Where the desktop has no tray the program runs without it.
#pragma once

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <string>
#include <vector>

namespace wexfold {

class T_wexfoldDlg;

class CTaskIcon final : public QObject {
    Q_OBJECT

  public:
    // No icon is shown when wanted is false or the desktop has no tray.
    CTaskIcon(T_wexfoldDlg& window, bool wanted);

    bool Shown() const { return icon_.isVisible(); }
    // The icon's state for the sites that are down now (none: the plain icon).
    void ShowDown(const std::vector<std::string>& names);
    bool Down() const { return down_; }
    QString ToolTip() const { return icon_.toolTip(); }
    // A message balloon of the tray's own; false when no icon shows.
    bool ShowMessage(const QString& title, const QString& body);
    // The context menu as it is now; aboutToShow fills it.
    QMenu& Menu() { return menu_; }
    // What a click or double click on the icon does.
    void Activated(QSystemTrayIcon::ActivationReason reason);

  signals:
    void messageClicked();

  private:
    void Rebuild();

    T_wexfoldDlg& window_;
    QMenu menu_;
    QSystemTrayIcon icon_;
    QIcon plain_;
    QIcon down_icon_;
    bool down_ = false;
};

}  // namespace wexfold
