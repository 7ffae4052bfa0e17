// The report dialog over a log day of 1 GiB and lines of 1 MiB with all three boxes ticked: the
// event loop keeps running while the files are read, the test process's peak memory grows by
// far less than the size of the file, and paging forth and back shows the same pages of 50
// counted lines, each read again from the file.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <fstream>

#include "../../bench/ProcStatus.h"
#include "WindowHarness.h"
#include "app/dialogs/sreport.h"
#include "fixtures/TempFolder.h"
#include "robustness/HugeLogFiles.h"

namespace wexfold::testing {
namespace {

constexpr long kGrowthLimitKb = 64 * 1024;

QString TextOf(const sreport& dialog, const char* name) {
    if (const auto* label = dialog.findChild<QLabel*>(name)) return label->text();
    if (const auto* edit = dialog.findChild<QPlainTextEdit*>(name)) return edit->toPlainText();
    ADD_FAILURE() << "no control " << name;
    return {};
}

// Page k of March 1 after the first: fetches 24 + 25 (k - 1) on, two counted lines each.
QString FetchPage(long page) {
    std::string text;
    for (long i = 24 + 25 * (page - 1); i < 24 + 25 * page; ++i) text += HugeFetchLines(i);
    return QString::fromStdString(text);
}

TEST(HugeLogReport, DialogListsEveryLineInBoundedMemory) {
    TempFolder folder;
    const long fetches = WriteHugeLogDays(folder.Path());
    ReportRequest request;
    request.fromTime = HugeLogFirstDay();
    request.toTime = HugeLogLastDay();
    request.filterCode = kFilterAll;
    request.urlText = "http://huge.test/";
    request.siteName = kHugeLogSite;
    ScriptedPrompter prompter;

    std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from here
    const long before = StatusField("VmRSS");
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(0);
    sreport dialog(nullptr, request, prompter, folder.Path());
    const int ticksWhileReading = ticks;
    ticker.stop();
    EXPECT_GT(ticksWhileReading, 0);

    // Page 0: the interval line, two broken lines and 24 fetches; then 25 fetches a page.
    const long counted = kHugeDayBrokenLines + 2 * fetches;
    const long last = counted / 50 + 1;  // and one page of March 2
    EXPECT_EQ(TextOf(dialog, "pageLabel"), QString(" 0 of %1 pages").arg(last));
    const QStringList lines = TextOf(dialog, "pageText").split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3 + 24 * 4);
    EXPECT_EQ(lines[1], kHugeBrokenLine);
    for (long page = 1; page <= 3; ++page) {
        dialog.Step(-1);
        EXPECT_EQ(TextOf(dialog, "pageText"), FetchPage(page)) << page;
    }
    dialog.Step(1);
    EXPECT_EQ(TextOf(dialog, "pageText"), FetchPage(2));
    EXPECT_EQ(TextOf(dialog, "pageLabel"), QString(" 2 of %1 pages").arg(last));
    const long peak = StatusField("VmHWM");
    std::printf("report dialog over 1 GiB, all boxes: RSS %ld kB before, peak %ld kB; %d ticks\n",
                before, peak, ticksWhileReading);
    EXPECT_LT(peak - before, kGrowthLimitKb);

    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return TextOf(dialog, "speedLabel") == "Average download speed: 120 kb/s"; }));
    EXPECT_EQ(TextOf(dialog, "brokenLabel"), "Broken link Rate: 1%, 2.16 Minutes");
}

}  // namespace
}  // namespace wexfold::testing
