// The handler of every site result, called directly on sites that have no fetch running.
#include <gtest/gtest.h>

#include <tuple>

#include "core/sites/SiteAddress.h"
#include "engine/EngineHarness.h"

namespace wexfold::testing {
namespace {

const std::string kStamp = " 12:00:00 03/10 2026 ";

class ResultHandlingTest : public EngineTest {
  protected:
    // Sites start switched off, so the engine makes their records and starts nothing.
    void AddIdleSite(const char* name, const char* host, std::uint8_t logAllDetail = 1) {
        sites.push_back(TestSite(name, host, logAllDetail));
        sites.back().active = 0;
    }

    void StartIdle() {
        StartEngine();
        engine->ControlMonitor(kAllSites, true);
        // Start-up made one "stopped" event per site; the tests count from none.
        for (int i = 0; i < engine->MonitorCount(); ++i) {
            engine->Monitor(i).statusText.clear();
            engine->Monitor(i).statusLines = 1;
        }
        view.events.clear();
    }

    void Report(int site, std::uint32_t code, std::uint32_t progress = 0,
                std::uint32_t progressMax = 0, const char* text = "",
                FetchCourse* course = nullptr) {
        const ProgressReport report{progress, progressMax, code, text};
        engine->HandleResult(site, RESULT_PROGRESS, &report, nullptr, course);
    }

    // One fetch cycle that never got past connecting, so it ends as a broken link.
    void BrokenCycle(int site) {
        engine->HandleResult(site, RESULT_STARTED);
        Report(site, kStatusFindingResource, 0, 0, "a.test");
        Report(site, kStatusConnecting, 0, 0, "10.0.0.1");
        engine->HandleResult(site, RESULT_FINISHED);
    }
};

TEST_F(ResultHandlingTest, LogRulesFollowTheSiteOptions) {
    AddIdleSite("detail", "a.test", 1);
    AddIdleSite("broken", "b.test", 0);
    AddIdleSite("nolog", "c.test", 1);
    sites[2].logEnabled = 0;
    StartIdle();
    for (int i = 0; i < 3; ++i) BrokenCycle(i);
    engine->HandleResult(0, RESULT_CALL_FAILED);

    // Every line stored in text mode: the "\r\n" of a text becomes CR CR LF.
    const std::string interval = "* 10 seconds interval time.\r\r\n";
    EXPECT_EQ(LogOf(sites[0]), interval + "Canceled by User order. " + kStamp + "\r\r\n" +
                                   "Start monitor. " + kStamp + "\r\r\n" +
                                   "Finding Resouce.a.test\r\r\n" + "Connecting 10.0.0.1\r\r\n" +
                                   "! Failed! can't connectivy. end of " + kStamp + "\r\r\n" +
                                   "! Connect URL FAILED!\r\r\n");
    EXPECT_EQ(LogOf(sites[1]),
              interval + "! Failed! can't connectivy. end of " + kStamp + "\r\r\n");
    EXPECT_EQ(LogOf(sites[2]).find("Failed"), std::string::npos);
}

TEST_F(ResultHandlingTest, AccessOrBrokenLinkComesFromReportsAboveTwo) {
    AddIdleSite("one", "joe:p@ss@a.test");
    ASSERT_TRUE(AssignUser(sites[0].url, "joe") && AssignPassword(sites[0].url, "p@ss"));
    StartIdle();
    EXPECT_EQ(engine->Health(0).verdict, Verdict::kUnchecked);
    BrokenCycle(0);
    EXPECT_EQ(view.EventsOf(0).back(), "! Failed! can't connectivy. end of " + kStamp + "\r\n");
    EXPECT_EQ(engine->alert.alertStep, 0);
    // The alert shows the address with the user name and without the password.
    EXPECT_EQ(engine->alert.alertUrl, "http://joe@a.test/");
    EXPECT_EQ(engine->Health(0).verdict, Verdict::kDown);

    engine->alert.alertStep = -1;
    engine->HandleResult(0, RESULT_STARTED);
    Report(0, kStatusRedirecting, 0, 0, "http://a.test/b");
    FetchOutcome outcome;
    outcome.bodyBytes = 300;
    outcome.timings.firstByte = 0.25;
    engine->HandleResult(0, RESULT_FINISHED, nullptr, &outcome);
    EXPECT_EQ(view.EventsOf(0).back(), "..Access successed! end of " + kStamp + "\r\n");
    EXPECT_EQ(engine->alert.alertStep, -1);
    const SiteHealth& health = engine->Health(0);
    EXPECT_EQ(health.verdict, Verdict::kUp);
    EXPECT_EQ(health.lastCheck, kNoon);
    EXPECT_EQ(health.timings.firstByte, 0.25);
    EXPECT_EQ(health.bytes, 300u);
    EXPECT_EQ(health.checks, 2u);
    EXPECT_EQ(health.brokenLinks, 1u);

    // A failed call touches neither the flag nor the alert: the finish after it is an access.
    engine->HandleResult(0, RESULT_STARTED);
    Report(0, kStatusSendingRequest);
    engine->HandleResult(0, RESULT_CALL_FAILED);
    EXPECT_EQ(view.EventsOf(0).back(), "! Connect URL FAILED!\r\n");
    EXPECT_EQ(engine->alert.alertStep, -1);
    EXPECT_EQ(engine->Health(0).verdict, Verdict::kDown);
    engine->HandleResult(0, RESULT_FINISHED);
    EXPECT_EQ(view.CountOf(0, "..Access successed!"), 2);
    EXPECT_EQ(engine->Health(0).brokenLinks, 1u);
}

TEST_F(ResultHandlingTest, StatusTextsCarryServiceTextAndProgress) {
    AddIdleSite("one", "a.test");
    StartIdle();
    Report(0, kStatusDownloading, 10, 0);
    Report(0, kStatusDownloading, 10, 20);
    Report(0, kStatusMimeType, 0, 0, "text/html");
    Report(0, 53);
    Report(0, 0);
    Report(0, 54);
    const std::vector<std::string> expected{
        "Downloading data \r\n", "Downloading data    10 of 20 \r\n",
        "MIME Type available text/html\r\n", "SSLUX navblocke \r\n"};
    EXPECT_EQ(view.EventsOf(0), expected);
}

TEST_F(ResultHandlingTest, DetailBoxHoldsTenEventsOfThePageSite) {
    AddIdleSite("one", "a.test");
    AddIdleSite("two", "b.test");
    AddIdleSite("three", "a.test");
    StartIdle();
    engine->statisticsUrl = "http://a.test/";
    view.details.clear();
    for (int i = 0; i < 10; ++i) engine->HandleResult(0, RESULT_STOPPED);
    ASSERT_EQ(view.details.size(), 10u);
    EXPECT_EQ(CountLines(view.details.back()), 11);
    engine->HandleResult(0, RESULT_STARTED);
    EXPECT_EQ(view.details.back(), "Start monitor. " + kStamp + "\r\n");

    engine->HandleResult(1, RESULT_STOPPED);
    EXPECT_EQ(view.details.size(), 11u);
    EXPECT_EQ(engine->Monitor(1).statusText, "Canceled by User order. " + kStamp + "\r\n");
    // Another site with the same address shows its events too.
    engine->HandleResult(2, RESULT_STOPPED);
    EXPECT_EQ(view.details.back(), engine->Monitor(2).statusText);
}

TEST_F(ResultHandlingTest, IntervalChangeIsLoggedAlwaysWithoutLineEnd) {
    AddIdleSite("one", "a.test");
    sites[0].logEnabled = 0;
    StartIdle();
    sites[0].intervalSeconds = 300;
    engine->HandleResult(0, RESULT_INTERVAL_CHANGED);
    engine->HandleResult(0, RESULT_STOPPED);
    EXPECT_EQ(LogOf(sites[0]),
              "* 10 seconds interval time.\r\r\n"
              "* 300 seconds. Reset interval time by user order.");
    EXPECT_EQ(engine->Monitor(0).statusText.find("Reset interval"), std::string::npos);
}

TEST_F(ResultHandlingTest, ByteAccountingFollowsEachFetch) {
    AddIdleSite("one", "a.test");
    AddIdleSite("two", "b.test", 0);
    AddIdleSite("three", "c.test");
    StartIdle();
    // Two fetches of site one overlap with one of site two; each position counts against the
    // last one of its own fetch.
    FetchCourse first, second, other;
    const std::vector<std::tuple<int, std::uint32_t, std::uint32_t, FetchCourse*, std::uint64_t>>
        steps = {{0, kStatusBeginDownload, 1000, &first, 1000},
                 {0, kStatusDownloading, 5000, &first, 5000},
                 {1, kStatusBeginDownload, 700, &other, 700},
                 {0, kStatusBeginDownload, 300, &second, 5300},
                 {1, kStatusDownloading, 1500, &other, 1500},
                 {0, kStatusDownloading, 6000, &first, 6300},
                 {0, kStatusDownloading, 6000, &first, 6300},
                 {0, kStatusEndDownload, 6000, &first, 6300},
                 {0, kStatusDownloading, 9000, nullptr, 6300}};
    for (const auto& [site, code, position, course, bytes] : steps) {
        Report(site, code, position, position, "", course);
        EXPECT_EQ(engine->Monitor(site).bytesThisSecond, bytes) << site << " at " << position;
    }

    view.events.clear();
    engine->HandleResult(-1, RESULT_SPEED_TICK);
    ASSERT_EQ(view.events.size(), 2u);
    EXPECT_EQ(view.events[0].site, 0);
    EXPECT_EQ(view.events[0].text, ".Download speed: 6 kb/s " + kStamp + "\r\n");
    EXPECT_EQ(view.events[1].text, ".Download speed: 1 kb/s " + kStamp + "\r\n");
    EXPECT_EQ(engine->Monitor(0).bytesThisSecond, 0u);
    EXPECT_EQ(engine->Health(0).lastSpeedKb, 6);
    // Speed lines are logged only with full detail, and never join the detail text.
    EXPECT_NE(LogOf(sites[0]).find(".Download speed: 6 kb/s"), std::string::npos);
    EXPECT_EQ(LogOf(sites[1]).find(".Download speed"), std::string::npos);
    EXPECT_EQ(engine->Monitor(0).statusText.find(".Download speed"), std::string::npos);
}

TEST_F(ResultHandlingTest, PageSiteBytesReachTheGraphBeforeTheSpeedTick) {
    AddIdleSite("one", "a.test");
    StartIdle();
    sites[0].active = 1;
    engine->Monitor(0).elapsedSeconds = 0;
    engine->Monitor(0).intervalSeconds = 1000;
    engine->statisticsUrl = "http://a.test/";
    engine->statisticsSiteActive = 1;
    view.graphVisible = true;
    FetchCourse course;
    Report(0, kStatusBeginDownload, 3000, 0, "", &course);
    EXPECT_EQ(engine->statisticsBytes, 3000u);
    engine->SchedulerTick();
    ASSERT_EQ(view.graphBytes.size(), 1u);
    EXPECT_EQ(view.graphBytes[0], 3000u);
    EXPECT_EQ(engine->statisticsBytes, 0u);
    engine->statisticsSiteActive = 0;
    engine->SchedulerTick();
    EXPECT_EQ(view.graphBytes.size(), 1u);
}

TEST_F(ResultHandlingTest, UnknownSitesAreIgnored) {
    AddIdleSite("one", "a.test");
    StartIdle();
    Report(0, kStatusBeginDownload, 400);
    const ProgressReport report{9000, 0, kStatusDownloading, ""};
    engine->HandleResult(7, RESULT_PROGRESS, &report);
    engine->HandleResult(-1, RESULT_STOPPED);
    engine->HandleResult(-3, RESULT_STOPPED);
    EXPECT_TRUE(view.EventsOf(7).empty());
    EXPECT_EQ(view.events.size(), 1u);
}

TEST_F(ResultHandlingTest, AnimationCyclesActiveSitesAndEndsTheAlert) {
    AddIdleSite("one", "a.test");
    AddIdleSite("two", "b.test");
    StartIdle();
    sites[0].active = 1;
    BrokenCycle(1);
    const std::size_t paintsBefore = view.alerts.size();
    for (int i = 0; i < 11; ++i) engine->AnimationTick();
    std::vector<std::string> images;
    for (const auto& image : view.images) images.push_back(image.text);
    const std::vector<std::string> expected{"1", "2", "3", "4", "0", "1", "2", "3", "4", "0", "1"};
    EXPECT_EQ(images, expected);
    EXPECT_EQ(view.redraws, 11);
    // Steps 1 to 10 are drawn, step 11 removes the alert.
    ASSERT_EQ(view.alerts.size(), paintsBefore + 11);
    EXPECT_EQ(view.alerts.back().kind, AlertPaint::kRemove);
    EXPECT_EQ(engine->alert.alertStep, -1);
}

}  // namespace
}  // namespace wexfold::testing
