// The engine running checks through libcurl against real servers: how many checks of a site
// run at once, stops, removal and changes while checks run, the exit with checks stuck in a
// silent server, per-site speeds, and a check that finds no descriptor left.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

#include "core/engine/EventLoop.h"
#include "core/engine/OpenFileLimit.h"
#include "engine/EngineHarness.h"
#include "fixtures/FaultServer.h"
#include "fixtures/LocalServers.h"

namespace wexfold::testing {
namespace {

constexpr const char* kAccess = "..Access successed!";

// Site a checks a silent server every second, b one that answers at once, c a silent server
// once an hour. Every wait is bounded: a stop or a removal must end its checks at once.
TEST_F(EngineTest, ChecksOfASiteAreBoundedAndEndWithItsStopRemovalOrTheExit) {
    FaultServer faults;
    sites = {SiteAt("a", faults.Url("/silent")), SiteAt("b", faults.Url("/malformed")),
             SiteAt("c", faults.Url("/silent"))};
    sites[0].intervalSeconds = 1;
    StartEngine();
    const auto connected = [&](int site, int checks) {
        return view.CountOf(site, "Connecting") == checks;
    };
    ASSERT_TRUE(PumpUntil(
        [&] { return connected(0, 1) && connected(2, 1) && view.CountOf(1, kAccess) == 1; }));
    // The second check of a starts beside the first; the third falls due while two run and
    // waits for the next interval, unlogged.
    engine->SchedulerTick();
    engine->SchedulerTick();
    ASSERT_TRUE(PumpUntil([&] { return connected(0, 2); }));
    EXPECT_EQ(engine->FetchesInFlight(), 3);
    EXPECT_EQ(view.CountOf(0, "Start monitor."), 2);

    // A removed site's checks end, and their late reports are dropped.
    engine->EraseMonitor(0);
    sites.erase(sites.begin());
    view.events.clear();
    ASSERT_TRUE(PumpUntil([&] { return engine->FetchesInFlight() == 1; }, std::chrono::seconds(2)));
    EXPECT_TRUE(view.events.empty());
    // b now reports at index 0; c, changed to b's address and a second's interval, fetches it
    // on the next tick beside its stuck check.
    engine->ControlMonitor(0, true);
    std::snprintf(sites[1].fetchUrl, sizeof sites[1].fetchUrl, "%s",
                  faults.Url("/malformed").c_str());
    sites[1].intervalSeconds = 1;
    engine->SiteChanged(1);
    engine->SchedulerTick();
    ASSERT_TRUE(
        PumpUntil([&] { return view.CountOf(0, kAccess) == 1 && view.CountOf(1, kAccess) == 1; }));

    // A stop ends the site's stuck check at once.
    engine->ControlMonitor(1, false);
    ASSERT_TRUE(PumpUntil([&] { return engine->FetchesInFlight() == 0; }, std::chrono::seconds(2)));

    // An appended site takes its stored interval and starts; the exit ends its stuck check
    // within the limit, and nothing is reported after it.
    sites.push_back(SiteAt("d", faults.Url("/silent")));
    sites.back().intervalSeconds = 300;
    engine->ControlMonitor(kAppendedSite, true);
    ASSERT_EQ(engine->MonitorCount(), 3);
    EXPECT_EQ(engine->Monitor(2).intervalSeconds, 300u);
    ASSERT_TRUE(PumpUntil([&] { return connected(2, 1); }));
    const std::size_t events = view.events.size();
    EXPECT_TRUE(engine->Shutdown(std::chrono::seconds(3)));
    handover->Drain();
    EXPECT_EQ(view.events.size(), events);
    CurlFetchLoop loop;  // a second exit finds it ended
    EXPECT_TRUE(loop.Shutdown(std::chrono::seconds(1)) && loop.Shutdown(std::chrono::seconds(1)));
}

// A download limited to kLimitedRate beside another site downloading as fast as it can: the
// limited site's speed lines hold its own bytes only, and every one of them reaches the graph.
// (How many bytes a line holds depends on when the busy machine runs the tick.)
TEST_F(EngineTest, SpeedLinesHoldOnlyTheSitesOwnBytes) {
    NginxServer http(folder.Path());
    sites = {SiteAt("limited", http.Url("/limited")), SiteAt("big", http.Url("/big"))};
    sites[1].intervalSeconds = 1;
    view.graphVisible = true;
    StartEngine();
    engine->statisticsUrl = sites[0].fetchUrl;
    engine->statisticsSiteActive = 1;

    EventLoop loop(*handover);
    loop.AddTimer(std::chrono::milliseconds(1000), [&] { engine->SchedulerTick(); });
    loop.Run(std::chrono::seconds(30), [&] { return view.CountOf(0, kAccess) == 1; });
    loop.Run(std::chrono::milliseconds(1500));  // for the last speed line
    ASSERT_EQ(view.CountOf(0, kAccess), 1);
    EXPECT_GE(view.CountOf(1, kAccess), 3);

    std::uint64_t drawn = 0;
    for (const auto bytes : view.graphBytes) drawn += bytes;
    EXPECT_EQ(drawn, kLimitedBodyBytes);
    // Each speed line holds a tick's bytes in whole KiB: together they make the body, less under
    // a KiB a line, where the other site's bytes would make many times more.
    int kb = 0;
    int lines = 0;
    for (const auto& text : view.EventsOf(0)) {
        int line = 0;
        lines += std::sscanf(text.c_str(), ".Download speed: %d", &line);
        kb += line;
    }
    EXPECT_GE(lines, 5);
    EXPECT_LE(kb, static_cast<int>(kLimitedBodyBytes / 1024));
    EXPECT_GT(kb, static_cast<int>(kLimitedBodyBytes / 1024) - lines);
}

// A check that cannot get a descriptor is a broken link whose connecting line says why; the
// start-up's raise of the limit gives the descriptors back.
TEST_F(EngineTest, NoDescriptorLeftIsABrokenLinkWithItsReason) {
    RefusingPort refusing;
    sites = {SiteAt("one", "http://127.0.0.1:" + std::to_string(refusing.Port()) + "/")};
    sites[0].active = 0;
    StartEngine();
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit none = saved;
    // The lowest free descriptor becomes the limit, so no new one can be had.
    none.rlim_cur = static_cast<rlim_t>(::dup(0));
    ::close(static_cast<int>(none.rlim_cur));
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &none), 0);
    engine->ControlMonitor(0, true);
    PumpUntil([&] { return view.CountOf(0, "! Failed!") == 1; });
    EXPECT_EQ(RaiseOpenFileLimit(), static_cast<long>(saved.rlim_max));
    ::setrlimit(RLIMIT_NOFILE, &saved);

    EXPECT_EQ(view.CountOf(0, "! Failed! can't connectivy."), 1);
    EXPECT_EQ(view.CountOf(0, "Connecting 127.0.0.1 (cannot open a socket: Too many open files)"),
              1);
    EXPECT_EQ(view.CountOf(0, "! Connect URL FAILED!"), 0);
}

}  // namespace
}  // namespace wexfold::testing
