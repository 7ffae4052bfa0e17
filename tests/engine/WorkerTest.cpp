// Fetches on worker threads: starts, stops, removal while a fetch runs, and the exit.
#include <gtest/gtest.h>

#include "engine/EngineHarness.h"

namespace wexfold::testing {
namespace {

class WorkerTest : public EngineTest {
protected:
    void AddSite(const char* name, const char* host, std::uint8_t active = 1) {
        sites.push_back(TestSite(name, host));
        sites.back().active = active;
    }

    bool HasEvent(int site, const std::string& prefix) const {
        return view.CountOf(site, prefix) > 0;
    }
};

TEST_F(WorkerTest, StartUpFetchesActiveSites) {
    AddSite("a", "a.test");
    AddSite("b", "b.test", 0);
    AddSite("c", "c.test");
    StartEngine();
    engine->ControlMonitor(kAllSites, true);
    ASSERT_TRUE(PumpUntilIdle());
    ASSERT_TRUE(PumpUntil([&] { return HasEvent(2, "..Access successed!"); }));

    const auto records = downloader->Records();
    ASSERT_EQ(records.size(), 2u);
    for (const FetchRecord& record : records) EXPECT_TRUE(record.ended);
    EXPECT_TRUE(HasEvent(0, "..Access successed!"));
    EXPECT_EQ(view.EventsOf(1).size(), 1u);
    EXPECT_TRUE(HasEvent(1, "Canceled by User order."));
    EXPECT_EQ(engine->Monitor(1).mode, MONITOR_STOPPED);
}

TEST_F(WorkerTest, StopEndsTheFetchAtItsNextReport) {
    AddSite("a", "a.test");
    StartEngine();
    auto gate = std::make_shared<Gate>();
    FetchScript script = AnsweredFetch();
    script.steps[2].gateBefore = gate;
    downloader->Queue(script);
    engine->ControlMonitor(kAllSites, true);
    ASSERT_TRUE(PumpUntil([&] { return HasEvent(0, "Connecting"); }));

    engine->ControlMonitor(0, false);
    // The stop is seen at the next report: none of the remaining ones becomes an event.
    gate->Open();
    ASSERT_TRUE(PumpUntilIdle());
    ASSERT_TRUE(PumpUntil([&] { return HasEvent(0, "! Failed!"); }));
    const auto record = downloader->Records().at(0);
    EXPECT_TRUE(record.aborted || record.stopSeen);
    EXPECT_LE(record.reportsAnswered, 2);
    EXPECT_FALSE(HasEvent(0, "Sending request."));
}

TEST_F(WorkerTest, StopEndsAFetchThatReportsNothing) {
    AddSite("a", "a.test");
    StartEngine();
    FetchScript script = UnansweredFetch();
    script.gateAtEnd = std::make_shared<Gate>();
    downloader->Queue(script);
    engine->ControlMonitor(kAllSites, true);
    ASSERT_TRUE(PumpUntil([&] { return HasEvent(0, "Connecting"); }));
    // The fetch now waits for data that never comes; only the stop poll can end it.
    ASSERT_TRUE(script.gateAtEnd->AwaitWaiter());
    engine->ControlMonitor(0, false);
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_TRUE(downloader->Records().at(0).stopSeen);
}

TEST_F(WorkerTest, RemovedSiteReportsAreDropped) {
    AddSite("a", "a.test");
    AddSite("b", "b.test");
    StartEngine();
    auto gate = std::make_shared<Gate>();
    FetchScript slow = AnsweredFetch();
    slow.steps[2].gateBefore = gate;
    downloader->Queue(slow, "http://a.test/");
    engine->ControlMonitor(kAllSites, true);
    ASSERT_TRUE(PumpUntil([&] {
        return HasEvent(0, "Connecting") && HasEvent(1, "..Access successed!");
    }));

    engine->EraseMonitor(0);
    sites.erase(sites.begin());
    const std::size_t before = view.events.size();
    gate->Open();
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(view.events.size(), before);

    // The site behind takes index 0 and its fetches report there.
    engine->ControlMonitor(0, true);
    ASSERT_TRUE(PumpUntilIdle());
    ASSERT_TRUE(PumpUntil([&] { return view.CountOf(0, "..Access successed!") >= 1; }));
    EXPECT_EQ(downloader->Records().back().url, "http://b.test/");
    EXPECT_EQ(engine->Monitor(0).siteIndex, 0);
}

TEST_F(WorkerTest, AtMostTwoChecksOfASiteRunAtOnce) {
    AddSite("a", "a.test");
    sites[0].intervalSeconds = 2;
    StartEngine();
    auto gate = std::make_shared<Gate>();
    FetchScript hung = AnsweredFetch();
    hung.gateAtEnd = gate;
    downloader->SetDefault(hung);
    engine->ControlMonitor(kAllSites, true);
    engine->SchedulerTick();
    EXPECT_EQ(engine->FetchesInFlight(), 1);
    engine->SchedulerTick();
    EXPECT_EQ(engine->FetchesInFlight(), 2);
    EXPECT_EQ(view.CountOf(0, "Start monitor."), 2);
    // The third start falls due while two run: it waits for the next interval, unlogged.
    engine->SchedulerTick();
    engine->SchedulerTick();
    EXPECT_EQ(view.CountOf(0, "Start monitor."), 2);
    gate->Open();
    ASSERT_TRUE(PumpUntilIdle());
    EXPECT_EQ(downloader->Started(), 2);

    // Lowering the interval below the counted seconds starts on the next tick.
    engine->SchedulerTick();
    engine->Monitor(0).intervalSeconds = 1;
    engine->SchedulerTick();
    EXPECT_EQ(view.CountOf(0, "Start monitor."), 3);
    EXPECT_TRUE(PumpUntilIdle());
}

TEST_F(WorkerTest, SwitchedOffSitesKeepTheirCount) {
    AddSite("a", "a.test", 0);
    sites[0].intervalSeconds = 3;
    StartEngine();
    engine->ControlMonitor(kAllSites, true);
    engine->SchedulerTick();
    engine->SchedulerTick();
    EXPECT_EQ(engine->Monitor(0).elapsedSeconds, 0u);
    sites[0].active = 1;
    engine->SchedulerTick();
    engine->SchedulerTick();
    EXPECT_EQ(downloader->Started(), 0);
    engine->SchedulerTick();
    EXPECT_TRUE(PumpUntilIdle());
    EXPECT_EQ(downloader->Started(), 1);
}

TEST_F(WorkerTest, AppendedSiteTakesItsStoredInterval) {
    StartEngine();
    engine->ControlMonitor(kAllSites, true);
    engine->ControlMonitor(kAppendedSite, true);
    EXPECT_EQ(engine->MonitorCount(), 0);

    sites.push_back(TestSite("new", "n.test"));
    sites.back().intervalSeconds = 300;
    engine->ControlMonitor(kAppendedSite, false);
    EXPECT_EQ(engine->MonitorCount(), 0);
    engine->ControlMonitor(kAppendedSite, true);
    ASSERT_EQ(engine->MonitorCount(), 1);
    EXPECT_EQ(engine->Monitor(0).intervalSeconds, 300u);
    EXPECT_TRUE(PumpUntilIdle());
    EXPECT_EQ(downloader->Records().at(0).url, "http://n.test/");
}

TEST_F(WorkerTest, ChangedRecordIsFetchedWithItsNewAddressAndInterval) {
    AddSite("a", "a.test");
    StartEngine();
    engine->ControlMonitor(kAllSites, true);
    ASSERT_TRUE(PumpUntilIdle());
    std::snprintf(sites[0].fetchUrl, sizeof sites[0].fetchUrl, "http://b.test/");
    sites[0].intervalSeconds = 2;
    engine->Monitor(0).elapsedSeconds = 5;
    engine->SiteChanged(0);
    EXPECT_EQ(engine->Monitor(0).intervalSeconds, 2u);
    EXPECT_EQ(engine->Monitor(0).elapsedSeconds, 0u);
    engine->SchedulerTick();
    EXPECT_EQ(downloader->Records().size(), 1u);
    engine->SchedulerTick();
    ASSERT_TRUE(PumpUntilIdle());
    ASSERT_EQ(downloader->Records().size(), 2u);
    EXPECT_EQ(downloader->Records()[1].url, "http://b.test/");
}

TEST_F(WorkerTest, FailedCallIsReportedWithoutAlert) {
    AddSite("a", "a.test");
    StartEngine();
    FetchScript failing;
    failing.result = FetchResult::kCallFailed;
    downloader->Queue(failing);
    engine->ControlMonitor(kAllSites, true);
    ASSERT_TRUE(PumpUntil([&] { return HasEvent(0, "! Connect URL FAILED!"); }));
    EXPECT_EQ(engine->alert.alertStep, -1);
    EXPECT_TRUE(view.alerts.empty());
}

TEST_F(WorkerTest, ShutdownHandlesNothingMore) {
    AddSite("a", "a.test");
    AddSite("b", "b.test");
    StartEngine();
    FetchScript hung = AnsweredFetch();
    hung.gateAtEnd = std::make_shared<Gate>();
    downloader->SetDefault(hung);
    engine->ControlMonitor(kAllSites, true);
    // Nothing drains the hand-over: the reports wait in the queue, the fetches at the gate.
    ASSERT_TRUE(hung.gateAtEnd->AwaitWaiter());
    EXPECT_TRUE(engine->Shutdown(std::chrono::seconds(5)));
    EXPECT_EQ(engine->FetchesInFlight(), 0);
    for (const FetchRecord& record : downloader->Records()) {
        EXPECT_TRUE(record.stopSeen || record.aborted);
    }
    handover->Drain();
    EXPECT_EQ(view.CountOf(0, "Finding"), 0);
}

}  // namespace
}  // namespace wexfold::testing
