// The report dialog on log files written by the log writer: its labels and figures, the page
// listing and its stepping, "NO DATA!", and the per-day chart.
#include <gtest/gtest.h>

#include <QBarSet>
#include <QLabel>
#include <QLineSeries>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "WindowHarness.h"
#include "app/dialogs/sreport.h"
#include "app/widgets/ReportChart.h"
#include "core/logs/EventLog.h"
#include "core/sites/SiteRecord.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"

namespace wexfold::testing {
namespace {

std::int64_t At(int year, int month, int day, int hour = 0) {
    return LocalMidnight(year, month, day) + hour * 3600;
}

class ReportDialogTest : public ::testing::Test {
  protected:
    // Writes "shop"'s files as the engine does: on December 1 at a 30 s interval, 3 broken
    // lines, 9 success lines and speeds of 100 and 50 kb/s, then on December 3, after the day
    // change, extra broken lines, still at 30 s.
    void WriteDays(int laterBroken = 1, int firstBroken = 3) {
        std::vector<SiteRecord> sites{NewSiteRecord()};
        std::snprintf(sites[0].name, sizeof sites[0].name, "shop");
        sites[0].intervalSeconds = 30;
        EventLog log(clock, sites, folder.Path());
        const auto event = [&](const std::string& text) {
            log.Append(sites[0], text + log.DateText(DateKind::kStamp) + "\r\n");
        };
        clock.Set(At(2026, 12, 1, 9));
        log.OpenSiteLog(sites[0]);
        event(Text(191));
        for (int i = 0; i < firstBroken; ++i) event(Text(192));
        for (int i = 0; i < 9; ++i) event(Text(193));
        event(FormatText(Text(196), 100));
        event(FormatText(Text(196), 50));
        clock.Set(At(2026, 12, 3, 9));
        for (int i = 0; i < laterBroken; ++i) event(Text(192));
        log.ExitLogging();
    }

    ReportRequest Request(int filterCode = kFilterAll, const char* name = "shop") const {
        ReportRequest request;
        request.fromTime = At(2026, 12, 1);
        request.toTime = At(2026, 12, 3);
        request.filterCode = filterCode;
        request.urlText = "http://shop.example/";
        request.siteName = name;
        return request;
    }

    static QString TextOf(const sreport& dialog, const char* name) {
        if (const auto* label = dialog.findChild<QLabel*>(name)) return label->text();
        if (const auto* edit = dialog.findChild<QPlainTextEdit*>(name)) return edit->toPlainText();
        ADD_FAILURE() << "no control " << name;
        return {};
    }

    // Waits for the first tick of the figure timer.
    static bool FiguresShown(const sreport& dialog) {
        return QTest::qWaitFor([&] {
            return TextOf(dialog, "connectivityLabel") != "Connectivity Rate: 100%, 0 Minutes ";
        });
    }

    void Click(sreport& dialog, const char* arrow) {
        auto* button = dialog.findChild<QToolButton*>(arrow);
        ASSERT_NE(button, nullptr) << arrow;
        button->click();
    }

    TempFolder folder;
    ManualClock clock;
    ScriptedPrompter prompter;
};

TEST_F(ReportDialogTest, ShowsTheFiguresCaptionAndFirstPage) {
    WriteDays();
    sreport dialog(nullptr, Request(), prompter, folder.Path());
    EXPECT_TRUE(dialog.isModal());
    EXPECT_EQ(dialog.windowTitle(), "Form 12/01 2026 to 12/03 2026 - Show Report - shop");
    EXPECT_EQ(TextOf(dialog, "urlLabel"), "URL: http://shop.example/");
    EXPECT_EQ(TextOf(dialog, "dateLabel"), "Form: December 01, 2026\nTo:     December 03, 2026");

    // The figures are the templates until the timer first writes the sums: 4 x 30 s broken
    // against 9 x 30 s connected.
    EXPECT_EQ(TextOf(dialog, "brokenLabel"), "Break Rate: 0%, 0 Minutes ");
    ASSERT_TRUE(FiguresShown(dialog));
    EXPECT_EQ(TextOf(dialog, "brokenLabel"), "Broken link Rate: 30%, 2 Minutes");
    EXPECT_EQ(TextOf(dialog, "connectivityLabel"), "Connectivity Rate:69%, 4.50 Minutes");
    EXPECT_EQ(TextOf(dialog, "speedLabel"), "Average download speed: 75 kb/s");

    // One page per file; page 0 lists December 1 with one log entry per line.
    EXPECT_EQ(TextOf(dialog, "pageLabel"), " 0 of 1 pages");
    const QStringList lines = TextOf(dialog, "pageText").split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + 1 + 3 + 9 + 2);
    EXPECT_TRUE(lines[0].startsWith("* 30 seconds interval time."));
    EXPECT_TRUE(lines[2].startsWith("! Failed! can't connectivy. end of  09:00:00 12/01 2026"));
    EXPECT_TRUE(lines.back().startsWith(".Download speed: 50 kb/s"));
    EXPECT_FALSE(TextOf(dialog, "pageText").contains('\r'));

    auto* ok = dialog.findChild<QPushButton*>("okButton");
    ASSERT_NE(ok, nullptr);
    dialog.show();
    ok->click();
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ReportDialogTest, SteppingPastEitherEndShowsANote) {
    // Filter 1: December 1 lists 60 broken lines on pages 0 and 1, December 3 five on page 2.
    WriteDays(5, 60);
    sreport dialog(nullptr, Request(kFilterBroken), prompter, folder.Path());
    EXPECT_EQ(TextOf(dialog, "pageLabel"), " 0 of 2 pages");
    const QString first = TextOf(dialog, "pageText");
    EXPECT_EQ(first.count("! Failed!"), 50);

    Click(dialog, "previousPageButton");
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].caption, "Note");
    EXPECT_EQ(prompter.asked[0].text, "This is first page!");
    EXPECT_EQ(prompter.asked[0].buttons, PromptButtons::kOk);
    EXPECT_EQ(prompter.asked[0].icon, PromptIcon::kWarning);
    EXPECT_EQ(TextOf(dialog, "pageText"), first);

    Click(dialog, "nextPageButton");
    EXPECT_EQ(TextOf(dialog, "pageLabel"), " 1 of 2 pages");
    EXPECT_EQ(TextOf(dialog, "pageText").count("! Failed!"), 10);
    // The Right key on the stepper steps as its right arrow does.
    auto* stepper = dialog.findChild<QWidget*>("pageStepper");
    ASSERT_NE(stepper, nullptr);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    stepper->setFocus();
    QTest::keyClick(stepper, Qt::Key_Right);
    EXPECT_EQ(TextOf(dialog, "pageLabel"), " 2 of 2 pages");
    EXPECT_EQ(TextOf(dialog, "pageText").count("! Failed!"), 5);
    Click(dialog, "nextPageButton");
    ASSERT_EQ(prompter.asked.size(), 2u);
    EXPECT_EQ(prompter.asked[1].caption, "Note");
    EXPECT_EQ(prompter.asked[1].text, "This is last page!");
    EXPECT_EQ(TextOf(dialog, "pageLabel"), " 2 of 2 pages");
    QTest::keyClick(stepper, Qt::Key_Left);
    EXPECT_EQ(TextOf(dialog, "pageLabel"), " 1 of 2 pages");
    EXPECT_EQ(prompter.asked.size(), 2u);
}

TEST_F(ReportDialogTest, NoFileInTheRangeShowsNoData) {
    WriteDays();
    // A site whose address matched no site gets an empty name; another site has no files.
    for (const char* name : {"", "home"}) {
        prompter.asked.clear();
        sreport dialog(nullptr, Request(kFilterAll, name), prompter, folder.Path());
        EXPECT_EQ(TextOf(dialog, "pageText"), "NO DATA!") << name;
        EXPECT_EQ(TextOf(dialog, "pageLabel"), " 0 of 0 pages");
        Click(dialog, "nextPageButton");
        Click(dialog, "previousPageButton");
        ASSERT_EQ(prompter.asked.size(), 2u);
        EXPECT_EQ(prompter.asked[0].text, "This is last page!");
        EXPECT_EQ(prompter.asked[1].text, "This is first page!");
        EXPECT_EQ(TextOf(dialog, "pageText"), "NO DATA!");
        // Ticks of the figure timer keep the templates.
        QTest::qWait(250);
        EXPECT_EQ(TextOf(dialog, "brokenLabel"), "Break Rate: 0%, 0 Minutes ");
        EXPECT_EQ(TextOf(dialog, "connectivityLabel"), "Connectivity Rate: 100%, 0 Minutes ");
        EXPECT_EQ(TextOf(dialog, "speedLabel"), "Average download speed: No Data!");
    }
}

TEST_F(ReportDialogTest, ChartDrawsTheBuildersDays) {
    WriteDays(2);
    sreport dialog(nullptr, Request(), prompter, folder.Path());
    auto* chart = dialog.findChild<ReportChart*>("reportChart");
    ASSERT_NE(chart, nullptr);
    const std::vector<DayFigures>& days = dialog.Built().days;
    ASSERT_EQ(days.size(), 3u);
    ASSERT_EQ(chart->BrokenMinutes()->count(), 3);
    ASSERT_EQ(chart->ConnectedMinutes()->count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_DOUBLE_EQ(chart->BrokenMinutes()->at(i), days[i].brokenSeconds / 60.0) << i;
        EXPECT_DOUBLE_EQ(chart->ConnectedMinutes()->at(i), days[i].connectedSeconds / 60.0) << i;
    }
    EXPECT_EQ(chart->DayLabels(), QStringList({"12/01", "12/02", "12/03"}));
    // What the files hold: 90 s broken and 270 s connected on the 1st, 60 s broken on the 3rd.
    EXPECT_DOUBLE_EQ(chart->BrokenMinutes()->at(0), 1.5);
    EXPECT_DOUBLE_EQ(chart->ConnectedMinutes()->at(0), 4.5);
    EXPECT_DOUBLE_EQ(chart->BrokenMinutes()->at(2), 1.0);
    // Only the day with speed lines has a point, at its own average.
    ASSERT_EQ(chart->Speed()->count(), 1);
    EXPECT_EQ(chart->Speed()->at(0), QPointF(0, days[0].averageSpeed));
    EXPECT_EQ(days[0].averageSpeed, 75);

    // Drawing other days replaces what was drawn.
    chart->ShowDays({days[2]});
    EXPECT_EQ(chart->BrokenMinutes()->count(), 1);
    EXPECT_EQ(chart->Speed()->count(), 0);
    EXPECT_EQ(chart->DayLabels(), QStringList({"12/03"}));
}

}  // namespace
}  // namespace wexfold::testing
