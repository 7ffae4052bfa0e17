// The monitor without a window fetching through libcurl from local servers: accesses and
// broken links as the event lines and logs show them.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <sstream>

#include "CurlSink.h"
#include "core/engine/CurlFetchLoop.h"
#include "core/engine/EventLoop.h"
#include "core/engine/MonitorEngine.h"
#include "core/shell/HeadlessMonitor.h"
#include "core/sites/SiteListFile.h"
#include "engine/EngineHarness.h"
#include "fixtures/LocalHttpServer.h"
#include "fixtures/RawSocketServers.h"

namespace wexfold::testing {
namespace {

SiteRecord SiteAt(const char* name, const std::string& url) {
    SiteRecord site = TestSite(name, "unused", 1);
    std::snprintf(site.fetchUrl, sizeof site.fetchUrl, "%s", url.c_str());
    return site;
}

TEST(LiveMonitorTest, AnsweredAndRefusedSitesBecomeAccessesAndBrokenLinks) {
    TempFolder folder;
    LocalHttpServer http;
    RefusingPort refusing;
    std::filesystem::current_path(folder.Path());
    ASSERT_TRUE(SaveSiteList({
        SiteAt("up", http.Url(routes::kPage)),
        SiteAt("missing", http.Url(routes::kMissing)),
        SiteAt("gone", "http://127.0.0.1:" + std::to_string(refusing.Port()) + "/"),
    }));
    // A site logs only when its folder is there at start-up.
    for (const char* name : {"up", "missing", "gone"}) {
        std::filesystem::create_directories(folder.Path() / "log" / name);
    }

    ManualClock clock{kNoon};
    HeadlessOptions options;
    options.fetcher = std::make_shared<CurlFetchLoop>();
    options.clock = &clock;
    std::ostringstream out;
    std::ostringstream err;
    const std::vector<std::string> wanted = {
        "up: ..Access successed! end of ", "missing: ..Access successed! end of ",
        "gone: ! Failed! can't connectivy. end of "};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    options.exitRequested = [&] {
        const std::string printed = out.str();
        bool all = true;
        for (const auto& line : wanted) all = all && printed.find(line) != std::string::npos;
        return all || std::chrono::steady_clock::now() > deadline;
    };
    EXPECT_EQ(RunHeadless(options, out, err), 0) << err.str();
    std::filesystem::current_path(folder.Path().parent_path());

    const std::string printed = out.str();
    for (const auto& line : wanted) EXPECT_NE(printed.find(line), std::string::npos) << line;
    EXPECT_NE(printed.find("up: Connecting 127.0.0.1"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("gone: ..Access successed!"), std::string::npos);
    EXPECT_NE(FileText(folder.Path() / "log/gone/03102026").find("! Failed! can't connectivy."),
              std::string::npos);
    EXPECT_NE(FileText(folder.Path() / "log/up/03102026").find("..Access successed!"),
              std::string::npos);
}

// A body of several MB fetched while the speed ticks run: the bytes the graph is handed add
// up to the body, and the speed lines show the kilobytes.
TEST(LiveMonitorTest, SpeedAccountingAddsUpToTheBody) {
    TempFolder folder;
    LocalHttpServer http;
    ManualClock clock{kNoon};
    std::vector<SiteRecord> sites{SiteAt("big", http.Url(routes::kBig))};
    sites[0].intervalSeconds = 3600;
    EventLog log(clock, sites, folder.Path());
    RecordingView view;
    view.graphVisible = true;
    auto handover = std::make_shared<SyncHandover>();
    MonitorEngine engine(sites, log, view, std::make_shared<CurlFetchLoop>(), handover);
    engine.statisticsUrl = sites[0].fetchUrl;
    engine.statisticsSiteActive = 1;
    engine.ControlMonitor(kAllSites, true);

    EventLoop loop(*handover);
    // Ticks far faster than once a second, so that several fall inside the transfer.
    loop.AddTimer(std::chrono::milliseconds(5), [&] { engine.SchedulerTick(); });
    int ticksAfterEnd = 0;
    loop.Run(std::chrono::seconds(20), [&] {
        if (view.CountOf(0, "..Access successed!") == 1) ++ticksAfterEnd;
        return ticksAfterEnd > 3;
    });
    ASSERT_EQ(view.CountOf(0, "..Access successed!"), 1);
    EXPECT_TRUE(engine.Shutdown(std::chrono::seconds(3)));

    std::uint64_t drawn = 0;
    for (const auto bytes : view.graphBytes) drawn += bytes;
    EXPECT_EQ(drawn, kBigBodyBytes);
    int speedLines = 0;
    long long kilobytes = 0;
    for (const auto& text : view.EventsOf(0)) {
        int kb = 0;
        if (std::sscanf(text.c_str(), ".Download speed: %d", &kb) == 1) {
            ++speedLines;
            kilobytes += kb;
        }
    }
    EXPECT_GE(speedLines, 1);
    EXPECT_LE(kilobytes, static_cast<long long>(kBigBodyBytes / 1024));
    EXPECT_GE(kilobytes, static_cast<long long>(kBigBodyBytes / 1024) - speedLines);
}

// The exit with fetches hanging on a server that never answers: every worker ends, well within
// the limit, and nothing is reported after the hand-over closed.
TEST(LiveMonitorTest, ExitEndsFetchesStuckInASilentServer) {
    TempFolder folder;
    SilentServer silent;
    ManualClock clock{kNoon};
    const std::string url = "http://127.0.0.1:" + std::to_string(silent.Port()) + "/";
    std::vector<SiteRecord> sites{SiteAt("one", url), SiteAt("two", url), SiteAt("three", url)};
    EventLog log(clock, sites, folder.Path());
    RecordingView view;
    auto handover = std::make_shared<SyncHandover>();
    MonitorEngine engine(sites, log, view, std::make_shared<CurlFetchLoop>(), handover);
    engine.ControlMonitor(kAllSites, true);

    EventLoop loop(*handover);
    loop.Run(std::chrono::seconds(10), [&] { return silent.Accepted() == 3; });
    ASSERT_EQ(silent.Accepted(), 3);
    const std::size_t events = view.events.size();
    EXPECT_EQ(engine.FetchesInFlight(), 3);
    EXPECT_TRUE(engine.Shutdown(std::chrono::seconds(3)));
    EXPECT_EQ(engine.FetchesInFlight(), 0);
    EXPECT_EQ(view.events.size(), events);
}

}  // namespace
}  // namespace wexfold::testing
