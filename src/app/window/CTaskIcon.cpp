#include "app/window/CTaskIcon.h"

#include <QCursor>

#include "app/window/T_wexfoldDlg.h"
#include "core/shell/Menus.h"
#include "core/text/StringTable.h"

namespace wexfold {

CTaskIcon::CTaskIcon(T_wexfoldDlg& window, bool wanted) : QObject(&window), window_(window) {
    icon_.setIcon(QIcon(QStringLiteral(":/images/app-32.png")));
    icon_.setToolTip(QString::fromUtf8(Text(110)));
    connect(&icon_, &QSystemTrayIcon::activated, this, &CTaskIcon::Activated);
    if (wanted && QSystemTrayIcon::isSystemTrayAvailable()) icon_.show();
}

void CTaskIcon::Activated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
        case QSystemTrayIcon::Context:
            window_.RunMenu(window_.TrayMenuNow(), QCursor::pos());
            break;
        case QSystemTrayIcon::DoubleClick:
            window_.OnCommand(command::kShowWindow);
            break;
        default:
            break;
    }
}

}  // namespace wexfold
