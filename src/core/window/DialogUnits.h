// Dialog units of the window templates ("MS Shell Dlg" 8 pt) in pixels. At 96 DPI the font's
// base units are 6 × 13 pixels, so one horizontal unit is 1.5 pixels and one vertical unit
// 1.625; other screens multiply by their scale factor. Each value rounds to the nearest pixel,
// halves away from zero, as the template loader does.
#pragma once

namespace wexfold {

inline constexpr double kDialogUnitX = 1.5;
inline constexpr double kDialogUnitY = 1.625;

constexpr int RoundToPixel(double value) {
    return static_cast<int>(value < 0 ? value - 0.5 : value + 0.5);
}

constexpr int DialogXToPixels(int units, double scale = 1.0) {
    return RoundToPixel(units * kDialogUnitX * scale);
}

constexpr int DialogYToPixels(int units, double scale = 1.0) {
    return RoundToPixel(units * kDialogUnitY * scale);
}

// A control's place as the templates give it: left, top, width, height.
struct DialogRect {
    int left;
    int top;
    int width;
    int height;
};

struct PixelRect {
    int left;
    int top;
    int width;
    int height;
};

constexpr PixelRect ToPixels(const DialogRect& rect, double scale = 1.0) {
    return {DialogXToPixels(rect.left, scale), DialogYToPixels(rect.top, scale),
            DialogXToPixels(rect.width, scale), DialogYToPixels(rect.height, scale)};
}

// The tab strip at 5, 40, 310, 133: 7.5 rounds up, 216.125 down; halves go away from zero.
static_assert(ToPixels({5, 40, 310, 133}).left == 8 && ToPixels({5, 40, 310, 133}).height == 216);
static_assert(DialogXToPixels(-1) == -2 && ToPixels({5, 40, 310, 133}, 2.0).height == 432);

}  // namespace wexfold
