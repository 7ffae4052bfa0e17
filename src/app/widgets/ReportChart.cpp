#include "app/widgets/ReportChart.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QLineSeries>
#include <QPen>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <algorithm>
#include <ctime>

#include "core/text/StringTable.h"

namespace wexfold {

namespace {

constexpr int kUprightLabelsFrom = 8;   // more days than this turn the day labels on their side
constexpr std::size_t kYearDays = 365;  // any 365 days in a row have distinct months and days

QString Tr(const char* english) {
    return QString::fromUtf8(Translate(english));
}

// "MM/DD", or with the year where a longer range would repeat a label (the axis keeps only
// distinct ones).
QString DayLabel(std::int64_t midnight, bool withYear) {
    const auto seconds = static_cast<std::time_t>(midnight);
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) return {};
    char text[16];
    const std::size_t size =
        std::strftime(text, sizeof text, withYear ? "%Y/%m/%d" : "%m/%d", &local);
    return QString::fromLatin1(text, static_cast<int>(size));
}

// An axis from the lowest value (0 or below) to a little above the highest, 1 when all are 0.
void Fit(QValueAxis* axis, double low, double high) {
    axis->setRange(std::min(0.0, low), high > 0 ? high * 1.1 : 1.0);
    axis->applyNiceNumbers();
}

}  // namespace

ReportChart::ReportChart(QWidget* parent)
    : QChartView(parent),
      broken_(new QBarSet(Tr("Broken minutes"))),
      connected_(new QBarSet(Tr("Connected minutes"))),
      speed_(new QLineSeries),
      dayAxis_(new QBarCategoryAxis),
      minutesAxis_(new QValueAxis),
      speedAxis_(new QValueAxis) {
    setRenderHint(QPainter::Antialiasing);
    auto* chart = new QChart;
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->legend()->setAlignment(Qt::AlignBottom);
    QFont small = chart->legend()->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    chart->legend()->setFont(small);

    broken_->setColor(QColor(200, 40, 40));
    connected_->setColor(QColor(60, 160, 70));
    auto* bars = new QStackedBarSeries;
    bars->append(broken_);
    bars->append(connected_);
    chart->addSeries(bars);

    speed_->setName(Tr("Average kb/s"));
    speed_->setPen(QPen(QColor(30, 80, 200), 2));
    speed_->setPointsVisible(true);
    speed_->setMarkerSize(7);  // a range with one day of speed data still shows its point
    chart->addSeries(speed_);

    // The legend names the units: minutes on the left axis, kb/s on the right.
    minutesAxis_->setLabelFormat(QStringLiteral("%.0f"));
    speedAxis_->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(dayAxis_, Qt::AlignBottom);
    chart->addAxis(minutesAxis_, Qt::AlignLeft);
    chart->addAxis(speedAxis_, Qt::AlignRight);
    bars->attachAxis(dayAxis_);
    bars->attachAxis(minutesAxis_);
    speed_->attachAxis(dayAxis_);
    speed_->attachAxis(speedAxis_);
    setChart(chart);
}

void ReportChart::ShowDays(const std::vector<DayFigures>& days) {
    QList<qreal> broken;
    QList<qreal> connected;
    QList<QPointF> speed;
    QStringList labels;
    double lowest = 0;
    double highest = 0;
    double fastest = 0;
    for (std::size_t index = 0; index < days.size(); ++index) {
        const DayFigures& day = days[index];
        broken << day.brokenSeconds / 60.0;
        connected << day.connectedSeconds / 60.0;
        // Stacked bars put negative values (damaged files) below the axis, positive above.
        lowest = std::min(lowest, std::min(0.0, broken.back()) + std::min(0.0, connected.back()));
        highest = std::max(highest, std::max(0.0, broken.back()) + std::max(0.0, connected.back()));
        if (day.averageSpeed != 0) {
            speed << QPointF(static_cast<double>(index), day.averageSpeed);
            fastest = std::max(fastest, static_cast<double>(day.averageSpeed));
        }
        labels << DayLabel(day.midnight, days.size() > kYearDays);
    }
    broken_->remove(0, broken_->count());
    connected_->remove(0, connected_->count());
    broken_->append(broken);
    connected_->append(connected);
    speed_->replace(speed);

    dayAxis_->setCategories(labels);
    dayAxis_->setLabelsAngle(labels.size() > kUprightLabelsFrom ? -90 : 0);
    Fit(minutesAxis_, lowest, highest);
    Fit(speedAxis_, 0, fastest);
}

}  // namespace wexfold
