// The report dialog on log files written by the log writer: its labels and figures, the page
// listing and its stepping, "NO DATA!", and the per-day chart. The figures themselves are the
// report builder's (tests/logs).
#include <QBarSet>
#include <QLabel>
#include <QLineSeries>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

#include "WindowHarness.h"
#include "app/dialogs/sreport.h"
#include "app/widgets/ReportChart.h"
#include "core/logs/EventLog.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"

namespace wexfold::testing {
namespace {

class ReportDialogTest : public ::testing::Test {
  protected:
    // "shop"'s files as the engine writes them at a 30 s interval: on December 1 the broken
    // lines, 9 success lines and speeds of 100 and 50 kb/s, on December 3 more broken lines.
    void WriteDays(int firstBroken, int laterBroken) {
        std::vector<SiteRecord> sites{TestSite("shop", true)};
        sites[0].intervalSeconds = 30;
        EventLog log(clock, sites, folder.Path());
        const auto event = [&](const std::string& text, int times = 1) {
            for (int i = 0; i < times; ++i) {
                log.Append(sites[0], text + log.DateText(DateKind::kStamp) + "\r\n");
            }
        };
        clock.Set(LocalMidnight(2026, 12, 1) + 9 * 3600);
        log.OpenSiteLog(sites[0]);
        event(Text(192), firstBroken);
        event(Text(193), 9);
        event(FormatText(Text(196), 100));
        event(FormatText(Text(196), 50));
        clock.Set(LocalMidnight(2026, 12, 3) + 9 * 3600);
        event(Text(192), laterBroken);
        log.ExitLogging();
    }

    std::unique_ptr<sreport> Open(int filterCode, const char* name = "shop") {
        ReportRequest request;
        request.fromTime = LocalMidnight(2026, 12, 1);
        request.toTime = LocalMidnight(2026, 12, 3);
        request.filterCode = filterCode;
        request.urlText = "http://shop.example/";
        request.siteName = name;
        return std::make_unique<sreport>(nullptr, request, prompter, folder.Path());
    }

    static QString TextOf(const sreport& dialog, const char* name) {
        if (const auto* label = dialog.findChild<QLabel*>(name)) return label->text();
        return dialog.findChild<QPlainTextEdit*>(name)->toPlainText();
    }
    static void Click(sreport& dialog, const char* arrow) {
        dialog.findChild<QToolButton*>(arrow)->click();
    }

    TempFolder folder;
    ManualClock clock;
    ScriptedPrompter prompter;
};

TEST_F(ReportDialogTest, ShowsTheFiguresOnceTheTimerTicksAndTheFirstPage) {
    WriteDays(3, 1);
    auto dialog = Open(kFilterAll);
    EXPECT_EQ(dialog->windowTitle(), "Form 12/01 2026 to 12/03 2026 - Show Report - shop");
    EXPECT_EQ(TextOf(*dialog, "urlLabel"), "URL: http://shop.example/");
    EXPECT_EQ(TextOf(*dialog, "dateLabel"), "Form: December 01, 2026\nTo:     December 03, 2026");
    EXPECT_EQ(TextOf(*dialog, "brokenLabel"), "Break Rate: 0%, 0 Minutes ");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return TextOf(*dialog, "brokenLabel").startsWith("Broken"); }));
    EXPECT_EQ(TextOf(*dialog, "brokenLabel"), "Broken link Rate: 30%, 2 Minutes");
    EXPECT_EQ(TextOf(*dialog, "connectivityLabel"), "Connectivity Rate:69%, 4.50 Minutes");
    EXPECT_EQ(TextOf(*dialog, "speedLabel"), "Average download speed: 75 kb/s");

    // One page per file; page 0 lists December 1 with one log entry per line.
    EXPECT_EQ(TextOf(*dialog, "pageLabel"), " 0 of 1 pages");
    const QStringList lines = TextOf(*dialog, "pageText").split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + 3 + 9 + 2);
    EXPECT_TRUE(lines[1].startsWith("! Failed! can't connectivy. end of  09:00:00 12/01 2026"));
    EXPECT_FALSE(TextOf(*dialog, "pageText").contains('\r'));

    // The chart draws the builder's days: minutes broken and connected, and the one day
    // with speed lines at its average.
    auto* chart = dialog->findChild<ReportChart*>("reportChart");
    EXPECT_EQ(chart->DayLabels(), QStringList({"12/01", "12/02", "12/03"}));
    EXPECT_EQ(chart->BrokenMinutes()->at(0), 1.5);
    EXPECT_EQ(chart->ConnectedMinutes()->at(0), 4.5);
    EXPECT_EQ(chart->BrokenMinutes()->at(2), 0.5);
    ASSERT_EQ(chart->Speed()->count(), 1);
    EXPECT_EQ(chart->Speed()->at(0), QPointF(0, 75));
}

TEST_F(ReportDialogTest, SteppingPastEitherEndShowsANote) {
    // Broken lines only: December 1 fills pages 0 and 1, December 3 page 2.
    WriteDays(60, 5);
    auto dialog = Open(kFilterBroken);
    EXPECT_EQ(TextOf(*dialog, "pageText").count("! Failed!"), 50);
    Click(*dialog, "previousPageButton");
    EXPECT_EQ(prompter.asked.at(0).text, "This is first page!");
    Click(*dialog, "nextPageButton");
    EXPECT_EQ(TextOf(*dialog, "pageText").count("! Failed!"), 10);
    // The arrow keys on the stepper step as its arrows do.
    auto* stepper = dialog->findChild<QWidget*>("pageStepper");
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    stepper->setFocus();
    QTest::keyClick(stepper, Qt::Key_Right);
    EXPECT_EQ(TextOf(*dialog, "pageLabel"), " 2 of 2 pages");
    EXPECT_EQ(TextOf(*dialog, "pageText").count("! Failed!"), 5);
    Click(*dialog, "nextPageButton");
    EXPECT_EQ(prompter.asked.at(1).text, "This is last page!");
    QTest::keyClick(stepper, Qt::Key_Left);
    EXPECT_EQ(TextOf(*dialog, "pageLabel"), " 1 of 2 pages");
    EXPECT_EQ(prompter.asked.size(), 2u);
}

TEST_F(ReportDialogTest, NoFileInTheRangeShowsNoData) {
    WriteDays(3, 1);
    // A site whose address matched no site gets an empty name; another site has no files.
    for (const char* name : {"", "home"}) {
        auto dialog = Open(kFilterAll, name);
        EXPECT_EQ(TextOf(*dialog, "pageText"), "NO DATA!") << name;
        EXPECT_EQ(TextOf(*dialog, "pageLabel"), " 0 of 0 pages");
        QTest::qWait(250);  // ticks of the figure timer keep the templates
        EXPECT_EQ(TextOf(*dialog, "connectivityLabel"), "Connectivity Rate: 100%, 0 Minutes ");
        EXPECT_EQ(TextOf(*dialog, "speedLabel"), "Average download speed: No Data!");
    }
}

}  // namespace
}  // namespace wexfold::testing
