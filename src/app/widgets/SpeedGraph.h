// The Statistics page's speed graph: the last 22 seconds of the page's site, painted from the
// history the main window feeds once a second.
#pragma once

#include <QWidget>

#include "core/engine/SpeedHistory.h"

namespace wexfold {

class SpeedGraph : public QWidget {
    Q_OBJECT

  public:
    // The history must outlive the graph; the window adds a sample and then calls update().
    explicit SpeedGraph(const SpeedHistory& history, QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const SpeedHistory& history_;
};

}  // namespace wexfold
