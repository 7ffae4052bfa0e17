#include "app/window/CTaskIcon.h"

#include <QCursor>
#include <QGuiApplication>

#include "app/widgets/SitePictures.h"
#include "app/window/MenuFill.h"
#include "app/window/T_wexfoldDlg.h"
#include "core/window/Menus.h"
#include "core/window/SiteStatus.h"

namespace wexfold {

CTaskIcon::CTaskIcon(T_wexfoldDlg& window, bool wanted)
    : QObject(&window), window_(window), plain_(ProgramIcon()), down_icon_(ProgramIcon(true)) {
    icon_.setIcon(plain_);
    icon_.setToolTip(QString::fromStdString(TrayTooltip({})));
    icon_.setContextMenu(&menu_);
    connect(&menu_, &QMenu::aboutToShow, this, &CTaskIcon::Rebuild);
    connect(&menu_, &QMenu::triggered, this,
            [this](QAction* action) { window_.OnTrayCommand(action->data().toInt()); });
    connect(&icon_, &QSystemTrayIcon::activated, this, &CTaskIcon::Activated);
    connect(&icon_, &QSystemTrayIcon::messageClicked, this, &CTaskIcon::messageClicked);
    if (wanted && QSystemTrayIcon::isSystemTrayAvailable()) icon_.show();
}

void CTaskIcon::Rebuild() {
    // The window comes to the front first, so the menu and what it asks are not hidden.
    window_.RaiseIfShown();
    menu_.clear();
    FillMenu(menu_, window_.TrayMenuNow());
}

void CTaskIcon::ShowDown(const std::vector<std::string>& names) {
    const bool down = !names.empty();
    if (down != down_) icon_.setIcon(down ? down_icon_ : plain_);
    down_ = down;
    icon_.setToolTip(QString::fromStdString(TrayTooltip(names)));
}

bool CTaskIcon::ShowMessage(const QString& title, const QString& body) {
    if (!icon_.isVisible()) return false;
    icon_.showMessage(title, body, down_ ? down_icon_ : plain_);
    return true;
}

void CTaskIcon::Activated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            // Only on X11 is the pointer's place known to the program; elsewhere the host
            // opens the menu itself on a right click, and a left click shows the window.
            if (QGuiApplication::platformName() == QLatin1String("xcb")) {
                menu_.popup(QCursor::pos());
            } else {
                window_.OnCommand(command::kShowWindow);
            }
            break;
        case QSystemTrayIcon::DoubleClick:
            window_.OnCommand(command::kShowWindow);
            break;
        default:
            break;
    }
}

}  // namespace wexfold
