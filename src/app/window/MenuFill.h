// Turns a menu built as data into the Qt menu the user sees; each action carries its command.
#pragma once

#include <QMenu>

#include "core/window/Menus.h"

namespace wexfold {

void FillMenu(QMenu& menu, const Menu& items);

}  // namespace wexfold
