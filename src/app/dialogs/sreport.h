// The report dialog: one site's figures, per-day chart and paged log listing over a range of
// days, read once when it opens. It only reads; OK and Cancel both just close it.
#pragma once

#include <QDialog>
#include <filesystem>

#include "core/logs/ReportBuilder.h"

class QLabel;
class QPlainTextEdit;
class QTimer;

namespace wexfold {

class Prompter;
class ReportChart;

class sreport : public QDialog {
    Q_OBJECT

  public:
    // Reads the site's files below base/log/ (an empty base is the current directory) before
    // the dialog is first shown; the event loop keeps running meanwhile, with input held back.
    // The prompter shows the "Note" boxes of the page stepping and must outlive the dialog.
    sreport(QWidget* parent, const ReportRequest& request, Prompter& prompter,
            const std::filesystem::path& base = {});

    const Report& Built() const { return report_; }

    // The page stepping: delta +1 goes back a page, any other delta forward, as the left and
    // right arrows (and the Left and Right keys on the stepper) do.
    void Step(int delta);

  private:
    // Writes the three figures from the finished sums; the 100 ms timer calls it.
    void ShowFigures();
    void ShowPage();

    Report report_;
    ReportPager pager_;
    Prompter& prompter_;
    QLabel* broken_;
    QLabel* connectivity_;
    QLabel* speed_;
    QLabel* pageLabel_;
    QPlainTextEdit* page_;
    ReportChart* chart_;
    QTimer* timer_;
};

}  // namespace wexfold
