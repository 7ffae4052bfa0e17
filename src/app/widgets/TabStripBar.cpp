#include "app/widgets/TabStripBar.h"

#include <QMouseEvent>
#include <QPainter>
#include <array>

namespace wexfold {

namespace {

constexpr QRgb kFace = qRgb(244, 243, 238);
constexpr QRgb kShadow = qRgb(145, 155, 156);
constexpr QRgb kShadowMid = qRgb(180, 190, 191);
constexpr QRgb kShadowLight = qRgb(215, 215, 216);
constexpr QRgb kRow = qRgb(255, 255, 200);
constexpr QRgb kLine = qRgb(206, 203, 186);
constexpr QRgb kMarkedBody = qRgb(220, 200, 230);
constexpr QRgb kRightOfRow = qRgb(236, 233, 216);

// The marked tab's extent by index; the first is wider, the last starts a little early.
constexpr std::array<std::array<int, 2>, 4> kMarkedSpan{
    {{0, 100}, {97, 194}, {194, 291}, {289, 386}}};

// Separators and baseline pieces by tab count and marked tab; -1 ends a list.
struct RowLines {
    int tabs, marked;
    std::array<int, 3> separators;
    std::array<std::array<int, 2>, 2> baseline;
};

constexpr std::array<RowLines, 9> kRowLines{{
    {2, 0, {194, -1, -1}, {{{100, 463}, {-1, -1}}}},
    {2, 1, {0, -1, -1}, {{{0, 98}, {196, 462}}}},
    {3, 0, {194, 291, -1}, {{{100, 463}, {-1, -1}}}},
    {3, 1, {0, 291, -1}, {{{0, 98}, {196, 462}}}},
    {3, 2, {97, -1, -1}, {{{291, 465}, {0, 193}}}},
    {4, 0, {194, 291, 389}, {{{100, 463}, {-1, -1}}}},
    {4, 1, {0, 291, 389}, {{{0, 98}, {196, 462}}}},
    {4, 2, {97, 389, -1}, {{{291, 465}, {0, 193}}}},
    {4, 3, {97, 194, 0}, {{{388, 502}, {0, 291}}}},
}};

// Rectangles as left, top, right, bottom with right and bottom excluded.
QRect Ltrb(int left, int top, int right, int bottom) {
    return QRect(left, top, right - left, bottom - top);
}

}  // namespace

std::vector<TabFill> TabStripFills(int tabCount, int marked) {
    const int rowWidth = TabStripBar::kTabWidth * tabCount;
    const int row = TabStripBar::kRowHeight;
    std::vector<TabFill> fills{
        {Ltrb(0, 0, 465, 245), kFace},
        {Ltrb(0, row, 1, 212), kShadow},
        {Ltrb(462, row, 463, 212), kShadow},
        {Ltrb(463, row, 464, 212), kShadowMid},
        {Ltrb(464, row, 465, 212), kShadowLight},
        {Ltrb(0, 211, 462, 212), kShadow},
        {Ltrb(0, 212, 462, 213), kShadowMid},
        {Ltrb(0, 213, 462, 214), kShadowLight},
        {Ltrb(0, 3, rowWidth, row), kRow},
        {Ltrb(0, 2, rowWidth, 3), kLine},
    };
    if (marked >= 0 && marked < static_cast<int>(kMarkedSpan.size())) {
        const auto [x0, x1] = kMarkedSpan[marked];
        fills.push_back(
            {Ltrb(x0, 0, x1, 6), marked == 3 ? qRgb(100, 100, 250) : qRgb(100, 100, 255)});
        fills.push_back({Ltrb(x0, 6, x1, row), kMarkedBody});
    }
    fills.push_back({Ltrb(rowWidth, 0, 465, row), kRightOfRow});
    for (const RowLines& lines : kRowLines) {
        if (lines.tabs != tabCount || lines.marked != marked) continue;
        for (int x : lines.separators) {
            if (x >= 0) fills.push_back({Ltrb(x, 0, x + 1, row), kLine});
        }
        for (const auto& [from, to] : lines.baseline) {
            if (from >= 0) fills.push_back({Ltrb(from, row, to, row + 1), kShadow});
        }
    }
    return fills;
}

// The template's strip is 216 pixels high (133 dialog units); the drawing's 245-pixel fill
// ends there, inside the frame drawn at rows 211 to 213.
TabStripBar::TabStripBar(QWidget* parent) : QWidget(parent) {
    setFixedSize(465, 216);
}

void TabStripBar::setTabs(const QStringList& texts, int current) {
    texts_ = texts;
    current_ = current;
    update();
}

void TabStripBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (const TabFill& fill : TabStripFills(texts_.size(), current_)) {
        painter.fillRect(fill.rect, QColor::fromRgb(fill.rgb));
    }
    // Labels on a transparent background, centred across their tab below the cap.
    painter.setPen(Qt::black);
    for (int i = 0; i < texts_.size(); ++i) {
        painter.drawText(QRect(kTabWidth * i, 6, kTabWidth, kRowHeight - 6),
                         Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, texts_[i].left(255));
    }
}

void TabStripBar::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() != Qt::LeftButton || pos.y() < 0 || pos.y() >= kRowHeight) return;
    const int index = pos.x() / kTabWidth;
    if (pos.x() < 0 || index >= texts_.size() || index == current_) return;
    current_ = index;
    update();
    emit currentChanged(index);
}

}  // namespace wexfold
