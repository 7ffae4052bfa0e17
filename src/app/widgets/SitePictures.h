// The pictures of the window and tray: the program's icon in every shipped size, with a red
// mark while sites are down, and each site's animation frame with the badge of its state.
#pragma once

#include <QColor>
#include <QIcon>
#include <array>
#include <cstdint>

#include "core/window/SiteStatus.h"

namespace wexfold {

// The program's icon in 16, 32, 48 and 128 pixels; down adds a red mark in the corner.
QIcon ProgramIcon(bool down = false);

// The colour that fills a badge.
QColor BadgeColour(SiteBadge badge);

class SitePictures {
  public:
    static constexpr int kFrames = 5;

    // Frame image (0 to 4, others wrap) of the radar with the badge in its lower right corner.
    const QIcon& Picture(std::uint32_t frame, SiteBadge badge);

  private:
    std::array<std::array<QIcon, 4>, kFrames> icons_;
};

}  // namespace wexfold
