// The connection-lost alert: its process-wide state, and what the alert shows at each
// half-second step as data for the window that paints it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace wexfold {

// The alert sits in the screen's bottom-right corner: its area is (W - 190, H - 166) to
// (W, H - 30) for a screen of W x H pixels. Rectangles below are relative to that origin.
struct AlertRect {
    int left, top, right, bottom;
};

struct AlertText {
    std::string text;
    AlertRect rect;
    std::uint32_t rgb;  // 0xRRGGBB
};

struct AlertPaint {
    enum Kind { kNothing, kDraw, kRemove } kind = kNothing;
    AlertRect picture{};  // the 190 x 136 picture
    std::vector<AlertText> texts;
};

class AlertState {
  public:
    static constexpr int kWidth = 190;
    static constexpr int kHeight = 136;

    // A fetch ended as a broken link. When the site's lost-time condition is met the count
    // restarts, and the picture to paint at once is returned: made before the restart, so it
    // shows the minutes that met the condition.
    std::optional<AlertPaint> BrokenLink(const std::string& stamp, const std::string& url,
                                         std::uint8_t alertOnLoss, std::int16_t alertMinutes);

    // The half-second tick: advances a running alert by one step.
    void HalfSecond();

    // What the alert shows now. At step 11 it is removed and the alert ends (step -1).
    AlertPaint Paint();

    std::int32_t alertStep = -1;
    std::int32_t lostSeconds = 0;
    std::string alertUrl;
    std::string alertTime;
};

}  // namespace wexfold
