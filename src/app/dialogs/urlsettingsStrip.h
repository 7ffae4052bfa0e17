// The settings dialog's owner-drawn tab control: the cells "MONITOR", "REPORT" and "URL" over
// a framed page area on which the pages' controls stand.
#pragma once

#include <QWidget>
#include <vector>

#include "app/widgets/TabStripBar.h"

namespace wexfold {

// The control's rectangles and colours with the given cell selected, in paint order (the
// labels are drawn on top of them).
std::vector<TabFill> SettingsStripFills(int selected);

class SettingsTabStrip final : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kWidth = 408;
    static constexpr int kHeight = 245;
    static constexpr int kCellWidth = 97;
    static constexpr int kRowHeight = 20;
    static constexpr int kCells = 3;

    explicit SettingsTabStrip(QWidget* parent = nullptr);

    int currentIndex() const { return current_; }
    void setCurrentIndex(int index);

  signals:
    // The user clicked another cell.
    void currentChanged(int index);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    int current_ = 0;
};

}  // namespace wexfold
