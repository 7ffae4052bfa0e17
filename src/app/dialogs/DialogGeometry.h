// A control's place given in dialog units, as a Qt rectangle in pixels.
#pragma once

#include <QRect>

#include "core/window/DialogUnits.h"

namespace wexfold {

inline QRect DialogGeometry(int left, int top, int width, int height) {
    const PixelRect pixels = ToPixels({left, top, width, height});
    return {pixels.left, pixels.top, pixels.width, pixels.height};
}

}  // namespace wexfold
