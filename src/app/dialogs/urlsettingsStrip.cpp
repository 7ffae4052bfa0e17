#include "app/dialogs/urlsettingsStrip.h"

#include <QMouseEvent>
#include <QPainter>
#include <array>

#include "core/text/StringTable.h"

namespace wexfold {

namespace {

constexpr QRgb kFace = qRgb(244, 243, 238);
constexpr QRgb kShadow = qRgb(145, 156, 156);
constexpr QRgb kShadowMid = qRgb(180, 191, 191);
constexpr QRgb kShadowLight = qRgb(215, 216, 216);
constexpr QRgb kLine = qRgb(206, 201, 186);
constexpr QRgb kRow = qRgb(255, 255, 200);
constexpr QRgb kRightOfRow = qRgb(236, 233, 216);
constexpr QRgb kSelectedCap = qRgb(100, 100, 255);
constexpr QRgb kSelectedBody = qRgb(220, 200, 230);

constexpr const char* kLabels[] = {"MONITOR", "REPORT", "URL"};

// Per selected cell: its extent, the separators (-1: none) and the baseline pieces under the
// cells that are not selected.
struct CellLines {
    std::array<int, 2> span;
    std::array<int, 2> separators;
    std::array<std::array<int, 2>, 2> baseline;
};

constexpr std::array<CellLines, 3> kCellLines{{
    {{0, 100}, {194, 291}, {{{100, 405}, {-1, -1}}}},
    {{97, 194}, {0, 291}, {{{0, 97}, {197, 405}}}},
    {{194, 291}, {100, -1}, {{{0, 194}, {291, 405}}}},
}};

// Rectangles as left, top, right, bottom with right and bottom excluded.
QRect Ltrb(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

}  // namespace

std::vector<TabFill> SettingsStripFills(int selected) {
    std::vector<TabFill> fills{
        {Ltrb(0, 0, 408, 245), kFace},
        {Ltrb(0, 20, 1, 225), kShadow},
        {Ltrb(405, 20, 406, 220), kShadow},
        {Ltrb(406, 20, 407, 220), kShadowMid},
        {Ltrb(407, 20, 408, 220), kShadowLight},
        {Ltrb(0, 220, 405, 221), kShadow},
        {Ltrb(0, 221, 405, 222), kShadowMid},
        {Ltrb(0, 222, 405, 223), kShadowLight},
        {Ltrb(0, 2, 300, 3), kLine},
        {Ltrb(0, 3, 300, 20), kRow},
        {Ltrb(291, 0, 408, 20), kRightOfRow},
    };
    if (selected < 0 || selected >= static_cast<int>(kCellLines.size())) return fills;
    const CellLines& lines = kCellLines[static_cast<std::size_t>(selected)];
    const auto [x0, x1] = lines.span;
    fills.push_back({Ltrb(x0, 0, x1, 6), kSelectedCap});
    fills.push_back({Ltrb(x0, 6, x1, 20), kSelectedBody});
    for (const int x : lines.separators) {
        if (x >= 0) fills.push_back({Ltrb(x, 0, x + 1, 20), kLine});
    }
    for (const auto& [from, to] : lines.baseline) {
        if (from >= 0) fills.push_back({Ltrb(from, 20, to, 21), kShadow});
    }
    return fills;
}

SettingsTabStrip::SettingsTabStrip(QWidget* parent) : QWidget(parent) {
    setFixedSize(kWidth, kHeight);
}

void SettingsTabStrip::setCurrentIndex(int index) {
    if (index < 0 || index >= kCells) return;
    current_ = index;
    update();
}

void SettingsTabStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (const TabFill& fill : SettingsStripFills(current_)) {
        painter.fillRect(fill.rect, QColor::fromRgb(fill.rgb));
    }
    painter.setPen(Qt::black);
    for (int i = 0; i < kCells; ++i) {
        painter.drawText(Ltrb(kCellWidth * i, 6, kCellWidth * (i + 1), kRowHeight),
                         Qt::AlignCenter | Qt::TextSingleLine,
                         QString::fromUtf8(Translate(kLabels[i])));
    }
}

void SettingsTabStrip::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() != Qt::LeftButton || pos.x() < 0 || pos.y() < 0 || pos.y() >= kRowHeight) {
        return;
    }
    const int index = pos.x() / kCellWidth;
    if (index >= kCells || index == current_) return;
    setCurrentIndex(index);
    emit currentChanged(index);
}

}  // namespace wexfold
