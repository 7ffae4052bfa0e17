// The handler of every site result and the engine's ticks, called directly on sites whose
// checks never start: what each result makes of the events, log lines, alert and health.
#include <gtest/gtest.h>

#include <regex>
#include <tuple>

#include "core/sites/SiteAddress.h"
#include "engine/EngineHarness.h"

namespace wexfold::testing {
namespace {

const std::string kStamp = " 12:00:00 03/10 2026 ";

class ResultHandlingTest : public EngineTest {
  protected:
    // Sites switched off, so the engine makes their records and starts nothing.
    void AddIdleSite(const char* name, const char* host, std::uint8_t logAllDetail = 1) {
        sites.push_back(SiteAt(name, std::string("http://") + host + "/"));
        sites.back().active = 0;
        sites.back().logAllDetail = logAllDetail;
    }

    // Start-up made one "stopped" event per site; the detail box counts from none.
    void StartIdle() {
        StartEngine();
        for (int i = 0; i < engine->MonitorCount(); ++i) {
            engine->Monitor(i).statusText.clear();
            engine->Monitor(i).statusLines = 1;
        }
    }

    void Report(int site, std::uint32_t code, std::uint32_t progress = 0,
                std::uint32_t progressMax = 0, const char* text = "",
                FetchCourse* course = nullptr) {
        const ProgressReport report{progress, progressMax, code, text};
        engine->HandleResult(site, RESULT_PROGRESS, &report, nullptr, course);
    }
};

// Each row is one check, run on a site logging every detail, one logging its broken links only,
// and one not logging.
TEST_F(ResultHandlingTest, EachCheckEndsInItsLineAlertVerdictAndLogLines) {
    AddIdleSite("detail", "joe:p@ss@a.test", 1);
    AddIdleSite("broken", "b.test", 0);
    AddIdleSite("nolog", "c.test", 1);
    sites[2].logEnabled = 0;
    ASSERT_TRUE(AssignUser(sites[0].url, "joe") && AssignPassword(sites[0].url, "p@ss"));
    StartIdle();
    const std::string broken = "! Failed! can't connectivy. end of " + kStamp + "\r\n";
    const std::string access = "..Access successed! end of " + kStamp + "\r\n";
    const std::tuple<std::vector<std::uint32_t>, long, std::string, bool, Verdict> rows[] = {
        {{1, 2}, RESULT_FINISHED, broken, true, Verdict::kDown},
        {{1, 2, 3}, RESULT_FINISHED, access, false, Verdict::kUp},
        {{1, 2, 11}, RESULT_FINISHED, access, false, Verdict::kUp},
        {{}, RESULT_FINISHED, broken, true, Verdict::kDown},
        {{1, 2, 11, 4, 6}, RESULT_CALL_FAILED, "! Connect URL FAILED!\r\n", false, Verdict::kDown},
    };
    for (const auto& [reports, end, line, alert, verdict] : rows) {
        for (int site = 2; site >= 0; --site) {
            engine->alert.alertStep = -1;
            engine->HandleResult(site, RESULT_STARTED);
            for (const std::uint32_t code : reports) Report(site, code, 0, 0, "x");
            FetchOutcome outcome;
            outcome.bodyBytes = 100;
            engine->HandleResult(site, end, nullptr, &outcome);
            EXPECT_EQ(view.EventsOf(site).back(), line) << reports.size();
            EXPECT_EQ(engine->alert.alertStep, alert ? 0 : -1) << reports.size();
            EXPECT_EQ(engine->Health(site).verdict, verdict) << reports.size();
        }
    }
    // The alert shows the address with the user name and without the password.
    EXPECT_EQ(engine->alert.alertUrl, "http://joe@a.test/");
    EXPECT_EQ(engine->Health(0).checks, 5u);
    EXPECT_EQ(engine->Health(0).brokenLinks, 2u);
    EXPECT_EQ(engine->Health(0).bytes, 500u);
    EXPECT_EQ(engine->finishedFetches, 12u);
    EXPECT_EQ(engine->brokenLinks, 6u);

    // Stored in text mode, every "\r\n" of a text becomes CR CR LF: the detail site's log holds
    // its events, the other its broken links; the interval change is logged even with logging
    // off, without a line end, and is no line of the detail box.
    sites[2].intervalSeconds = 300;
    engine->HandleResult(2, RESULT_INTERVAL_CHANGED);
    const std::string interval = "* 3600 seconds interval time.\r\r\n";
    std::string events;
    for (const std::string& event : view.EventsOf(0)) events += event;
    EXPECT_EQ(LogOf(sites[0]), interval + std::regex_replace(events, std::regex("\n"), "\r\n"));
    EXPECT_EQ(LogOf(sites[1]),
              interval + std::regex_replace(broken + broken, std::regex("\n"), "\r\n"));
    EXPECT_EQ(LogOf(sites[2]), interval + "* 300 seconds. Reset interval time by user order.");
    EXPECT_EQ(engine->Monitor(2).statusText.find("Reset interval"), std::string::npos);
}

TEST_F(ResultHandlingTest, DetailBoxHoldsTheLastEventsOfThePageSiteAddress) {
    AddIdleSite("one", "a.test");
    AddIdleSite("two", "b.test");
    AddIdleSite("three", "a.test");
    StartIdle();
    engine->statisticsUrl = "http://a.test/";
    view.details.clear();
    for (int i = 0; i < 11; ++i) engine->HandleResult(i == 10 ? 1 : 0, RESULT_STOPPED);
    engine->HandleResult(0, RESULT_STARTED);
    engine->HandleResult(2, RESULT_STARTED);
    // Ten events of the page's address (any site's), then the box starts again.
    ASSERT_EQ(view.details.size(), 12u);
    EXPECT_EQ(CountLines(view.details[9]), 11);
    EXPECT_EQ(view.details[10], "Start monitor. " + kStamp + "\r\n");
    EXPECT_EQ(view.details[11], engine->Monitor(2).statusText);
    // The stamp follows the clock's second.
    clock.Advance(1);
    engine->HandleResult(0, RESULT_STARTED);
    EXPECT_TRUE(view.details.back().ends_with("\nStart monitor.  12:00:01 03/10 2026 \r\n"));
}

TEST_F(ResultHandlingTest, BytesCountAgainstEachFetchsOwnLastPosition) {
    AddIdleSite("one", "a.test");
    AddIdleSite("two", "b.test", 0);
    AddIdleSite("three", "c.test");
    StartIdle();
    // Two fetches of site one overlap with one of site two.
    FetchCourse first, second, other;
    const std::tuple<int, std::uint32_t, std::uint32_t, FetchCourse*, std::uint64_t> steps[] = {
        {0, kStatusBeginDownload, 1000, &first, 1000},
        {0, kStatusDownloading, 5000, &first, 5000},
        {1, kStatusBeginDownload, 700, &other, 700},
        {0, kStatusBeginDownload, 300, &second, 5300},
        {1, kStatusDownloading, 1500, &other, 1500},
        {0, kStatusDownloading, 6000, &first, 6300},
        {0, kStatusDownloading, 6000, &first, 6300},
        {0, kStatusEndDownload, 9000, &first, 6300},
        {0, kStatusDownloading, 9000, nullptr, 6300}};
    for (const auto& [site, code, position, course, bytes] : steps) {
        Report(site, code, position, position, "", course);
        EXPECT_EQ(engine->Monitor(site).bytesThisSecond, bytes) << site << " at " << position;
    }
    view.events.clear();
    engine->HandleResult(-1, RESULT_SPEED_TICK);
    const std::string kbs = " kb/s " + kStamp + "\r\n";
    EXPECT_EQ(view.events, (std::vector<std::pair<int, std::string>>{
                               {0, ".Download speed: 6" + kbs}, {1, ".Download speed: 1" + kbs}}));
    EXPECT_EQ(engine->Monitor(0).bytesThisSecond, 0u);
    // Speed lines are logged only with full detail, and never join the detail text.
    EXPECT_NE(LogOf(sites[0]).find(".Download speed: 6 kb/s"), std::string::npos);
    EXPECT_EQ(LogOf(sites[1]).find(".Download speed"), std::string::npos);
    EXPECT_EQ(engine->Monitor(0).statusText.find(".Download speed"), std::string::npos);
}

TEST_F(ResultHandlingTest, TicksStartNoSwitchedOffSiteAndAnimateTheActiveOnesAndTheAlert) {
    AddIdleSite("one", "a.test");
    AddIdleSite("two", "b.test");
    StartIdle();
    // Switched-off sites start nothing however long they wait; results of sites that do not
    // exist are ignored.
    for (int i = 0; i < 12; ++i) engine->SchedulerTick();
    engine->ControlMonitor(7, true);
    engine->ControlMonitor(7, false);
    engine->HandleResult(7, RESULT_STOPPED);
    EXPECT_EQ(view.CountOf(0, "Start monitor."), 0);
    EXPECT_TRUE(view.EventsOf(7).empty());

    sites[0].active = 1;
    engine->HandleResult(1, RESULT_STARTED);
    engine->HandleResult(1, RESULT_FINISHED);
    const std::size_t paintsBefore = view.alerts.size();
    for (int i = 0; i < 11; ++i) engine->AnimationTick();
    EXPECT_EQ(view.images, (std::vector<std::uint32_t>{1, 2, 3, 4, 0, 1, 2, 3, 4, 0, 1}));
    EXPECT_EQ(view.redraws, 11);
    // Steps 1 to 10 are drawn, step 11 removes the alert.
    ASSERT_EQ(view.alerts.size(), paintsBefore + 11);
    EXPECT_EQ(view.alerts.back().kind, AlertPaint::kRemove);
}

}  // namespace
}  // namespace wexfold::testing
