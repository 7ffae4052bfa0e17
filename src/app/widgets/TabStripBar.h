// The main window's owner-drawn tab strip: two to four tabs in a 465 x 216 frame, the marked
// one raised in colour.
#pragma once

#include <QRect>
#include <QRgb>
#include <QStringList>
#include <QWidget>
#include <vector>

namespace wexfold {

struct TabFill {
    QRect rect;
    QRgb rgb;
};

// The strip's rectangles and colours for n tabs with the given one marked, in paint order
// (labels are drawn on top of them).
std::vector<TabFill> TabStripFills(int tabCount, int marked);

class TabStripBar : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kTabWidth = 97;
    static constexpr int kRowHeight = 20;

    explicit TabStripBar(QWidget* parent = nullptr);

    void setTabs(const QStringList& texts, int current);
    const QStringList& tabs() const { return texts_; }
    int currentIndex() const { return current_; }

  signals:
    // The user clicked another tab.
    void currentChanged(int index);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QStringList texts_;
    int current_ = 0;
};

}  // namespace wexfold
