// The report dialog over a log day of 1 GiB and lines of 1 MiB: the event loop keeps running
// while the files are read, the dialog shows the first page and the figures of both days, and
// the test process's peak memory grows by far less than the size of the file.
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

constexpr long kGrowthLimitKb = 200 * 1024;

QString TextOf(const sreport& dialog, const char* name) {
    if (const auto* label = dialog.findChild<QLabel*>(name)) return label->text();
    if (const auto* edit = dialog.findChild<QPlainTextEdit*>(name)) return edit->toPlainText();
    ADD_FAILURE() << "no control " << name;
    return {};
}

TEST(HugeLogReport, DialogReadsWhileTheEventLoopRunsInBoundedMemory) {
    TempFolder folder;
    WriteHugeLogDays(folder.Path());
    ReportRequest request;
    request.fromTime = HugeLogFirstDay();
    request.toTime = HugeLogLastDay();
    request.filterCode = kFilterBroken;
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
    const long peak = StatusField("VmHWM");
    std::printf(
        "report dialog over 1 GiB: RSS %ld kB before, peak %ld kB; %d timer ticks while "
        "reading\n",
        before, peak, ticksWhileReading);
    EXPECT_GT(ticksWhileReading, 0);
    EXPECT_LT(peak - before, kGrowthLimitKb);

    // Page 0 lists the broken lines of March 1, found on both sides of the hole.
    EXPECT_EQ(TextOf(dialog, "pageLabel"), " 0 of 1 pages");
    const QStringList lines = TextOf(dialog, "pageText").split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], kHugeBrokenLine);
    EXPECT_TRUE(lines[2].contains("23:00:00 03/01 2024"));

    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ASSERT_TRUE(QTest::qWaitFor([&] { return TextOf(dialog, "speedLabel") == kHugeSpeedLabel; }));
    EXPECT_EQ(TextOf(dialog, "brokenLabel"), kHugeBrokenLabel);
    EXPECT_EQ(TextOf(dialog, "connectivityLabel"), kHugeConnectivityLabel);
}

}  // namespace
}  // namespace wexfold::testing
