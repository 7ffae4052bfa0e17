#include "core/engine/AlertState.h"

#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"

namespace wexfold {

namespace {

constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kBlue = 0x0000FF;

// Screen rectangles (W - a, H - b, W - c, H - d) made relative to the alert's origin.
AlertRect FromCorner(int a, int b, int c, int d) {
    return {AlertState::kWidth - a, 166 - b, AlertState::kWidth - c, 166 - d};
}

}  // namespace

std::optional<AlertPaint> AlertState::BrokenLink(const std::string& stamp, const std::string& url,
                                                 std::uint8_t alertOnLoss,
                                                 std::int16_t alertMinutes) {
    alertTime = stamp;
    alertStep = 0;
    alertUrl = url;
    if (alertOnLoss == 1 && alertMinutes == lostSeconds / 60) {
        AlertPaint paint = Paint();
        lostSeconds = 0;
        return paint;
    }
    lostSeconds += 10;
    return std::nullopt;
}

void AlertState::HalfSecond() {
    if (alertStep != -1) ++alertStep;
}

AlertPaint AlertState::Paint() {
    AlertPaint paint;
    if (alertStep == 11) {
        alertStep = -1;
        paint.kind = AlertPaint::kRemove;
        return paint;
    }
    if (alertStep < 0 || alertStep > 10) return paint;
    paint.kind = AlertPaint::kDraw;
    paint.picture = FromCorner(190, 166, 0, 30);
    paint.texts.push_back({alertUrl, FromCorner(180, 116, 0, 101), kRed});
    paint.texts.push_back({Text(203), FromCorner(180, 136, 0, 121), kRed});
    paint.texts.push_back({alertTime, FromCorner(185, 96, 5, 81), kRed});
    const std::string countdown = FormatText(Text(205), 5 - alertStep / 2);
    if (lostSeconds != 0) {
        paint.texts.push_back(
            {FormatText(Text(204), lostSeconds / 60), FromCorner(180, 76, 0, 61), kRed});
        paint.texts.push_back({countdown, FromCorner(180, 56, 0, 41), kBlue});
    } else {
        paint.texts.push_back({countdown, FromCorner(180, 76, 0, 61), kBlue});
    }
    return paint;
}

}  // namespace wexfold
