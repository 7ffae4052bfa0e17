// The report dialog's chart: per day of the range, the broken-link minutes stacked on the
// connected minutes, and the average download speed as a line on its own axis.
#pragma once

#include <QChartView>
#include <QStringList>
#include <vector>

#include "core/logs/ReportBuilder.h"

class QBarCategoryAxis;
class QBarSet;
class QLineSeries;
class QValueAxis;

namespace wexfold {

class ReportChart : public QChartView {
    Q_OBJECT

  public:
    explicit ReportChart(QWidget* parent = nullptr);

    // Draws the days, replacing what was drawn. A day without speed data (average 0) has no
    // point on the speed line, so the line does not dip to zero on days without a file.
    void ShowDays(const std::vector<DayFigures>& days);

    // What is drawn, for tests: one bar value per day in minutes, the speed line's points as
    // (day index, kb/s).
    const QBarSet* BrokenMinutes() const { return broken_; }
    const QBarSet* ConnectedMinutes() const { return connected_; }
    const QLineSeries* Speed() const { return speed_; }

  private:
    QBarSet* broken_;
    QBarSet* connected_;
    QLineSeries* speed_;
    QBarCategoryAxis* dayAxis_;
    QValueAxis* minutesAxis_;
    QValueAxis* speedAxis_;
};

}  // namespace wexfold
