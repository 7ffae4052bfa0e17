#include "app/window/MenuFill.h"

namespace wexfold {

void FillMenu(QMenu& menu, const Menu& items) {
    for (const MenuItem& item : items) {
        if (item.separator) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(QString::fromStdString(item.text));
        action->setData(item.command);
        action->setCheckable(item.checked);
        action->setChecked(item.checked);
        action->setEnabled(!item.grayed);
    }
}

}  // namespace wexfold
