// The engine and the headless mode checking real servers through libcurl: nginx, vsftpd, and
// the faults no real server makes. What counts as an access and what as a broken link, the
// speed of a rate-limited download, passwords kept out of every line, and the exit.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>

#include "core/engine/CurlFetchLoop.h"
#include "core/engine/EventLoop.h"
#include "core/engine/MonitorEngine.h"
#include "core/engine/OpenFileLimit.h"
#include "core/server/HeadlessMonitor.h"
#include "core/sites/SiteAddress.h"
#include "core/sites/SiteListFile.h"
#include "engine/EngineHarness.h"
#include "fixtures/FaultServer.h"
#include "fixtures/LocalServers.h"

namespace wexfold::testing {
namespace {

using Tls = NginxServer::Tls;

SiteRecord SiteAt(const char* name, const std::string& url) {
    SiteRecord site = TestSite(name, "unused", 1);
    site.intervalSeconds = 3600;
    std::snprintf(site.fetchUrl, sizeof site.fetchUrl, "%s", url.c_str());
    return site;
}

// A site with a login as the dialogs make it: the address composed from its parts.
SiteRecord SiteWithLogin(const char* name, const char* scheme, int port, const char* hostText,
                         const char* password) {
    SiteRecord site = SiteAt(name, "");
    EXPECT_TRUE(AssignScheme(site.url, scheme) && ParseHostText(hostText, site.url) &&
                AssignUser(site.url, kSiteUser) && AssignPassword(site.url, password));
    site.url.port = static_cast<std::uint16_t>(port);
    EXPECT_TRUE(ComposeFetchUrl(site));
    return site;
}

// Every file below folder, read whole.
std::string AllFiles(const std::filesystem::path& folder) {
    std::string text;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) text += FileText(entry.path());
    }
    return text;
}

TEST(LiveMonitorTest, VerdictsOfRealServersWithoutAPasswordInAnyLine) {
    TempFolder folder;
    const TestCertificates certificates(folder.Path());
    NginxServer http(folder.Path(), &certificates);
    FaultServer faults;
    RefusingPort refusing;
    const std::string ftpMissing = VsftpdServer::Unavailable();
    std::unique_ptr<VsftpdServer> ftp;
    if (ftpMissing.empty()) {
        ftp = std::make_unique<VsftpdServer>(folder.Path());
        std::ofstream(ftp->Root() / "status.txt") << "ftp body\n";
    } else {
        std::printf("FTP sites left out: %s\n", ftpMissing.c_str());
    }
    struct Expected {
        SiteRecord site;
        bool access;
        std::size_t body;  // the bytes its end of body shows; 0: not looked at
    };
    std::vector<Expected> table = {
        {SiteAt("page", http.Url("/page")), true, 0},
        {SiteAt("missing", http.Url("/missing")), true, 0},
        {SiteAt("broken", http.Url("/broken")), true, 0},
        {SiteAt("stall", faults.Url("/stall")), true, 0},
        {SiteAt("malformed", faults.Url("/malformed")), true, 0},
        {SiteAt("tls", http.Url("/page", Tls::kTrusted)), true, 0},
        {SiteWithLogin("private", "http", http.Port(), "127.0.0.1/private", kSitePassword), true,
         std::strlen(kPageBody)},
        {SiteAt("refused", "http://127.0.0.1:" + std::to_string(refusing.Port()) + "/"), false, 0},
        {SiteAt("silent", faults.Url("/silent")), false, 0},
        {SiteAt("early", faults.Url("/reset-early")), false, 0},
        {SiteAt("selfsig", http.Url("/page", Tls::kSelfSigned)), false, 0},
        {SiteAt("expired", http.Url("/page", Tls::kExpired)), false, 0},
    };
    if (ftp) {
        table.push_back(
            {SiteWithLogin("ftp", "ftp", ftp->Port(), "127.0.0.1/status.txt", kSitePassword), true,
             9});
        // A refused login is the server's answer too.
        table.push_back(
            {SiteWithLogin("ftpwrong", "ftp", ftp->Port(), "127.0.0.1/status.txt", "wrong"), true,
             0});
    }
    std::vector<SiteRecord> list;
    for (const Expected& row : table) {
        list.push_back(row.site);
        std::filesystem::create_directories(folder.Path() / "log" / row.site.name);
    }
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    ASSERT_TRUE(SaveSiteList(list));

    ManualClock clock{kNoon};
    HeadlessOptions options;
    CurlLimits limits;
    limits.stallSeconds = 2;
    limits.caFile = certificates.CaFile();
    options.fetcher = std::make_shared<CurlFetchLoop>(limits);
    options.clock = &clock;
    std::ostringstream out;
    std::ostringstream err;
    const auto verdict = [&](const Expected& row, bool access) {
        return std::string(row.site.name) +
               (access ? ": ..Access successed! end of " : ": ! Failed! can't connectivy. end of ");
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    options.exitRequested = [&] {
        const std::string printed = out.str();
        for (const Expected& row : table) {
            if (printed.find(verdict(row, true)) == std::string::npos &&
                printed.find(verdict(row, false)) == std::string::npos) {
                return std::chrono::steady_clock::now() > deadline;
            }
        }
        return true;
    };
    EXPECT_EQ(RunHeadless(options, out, err), 0) << err.str();
    std::filesystem::current_path(previous);

    const std::string printed = out.str();
    for (const Expected& row : table) {
        SCOPED_TRACE(row.site.name);
        EXPECT_NE(printed.find(verdict(row, row.access)), std::string::npos);
        EXPECT_EQ(printed.find(verdict(row, !row.access)), std::string::npos);
        if (row.body != 0) {
            const std::string end = std::string(row.site.name) + ": End download data ";
            const std::size_t at = printed.find(end);
            ASSERT_NE(at, std::string::npos);
            const std::string of = std::to_string(row.body) + " of " + std::to_string(row.body);
            EXPECT_NE(printed.substr(at, printed.find('\n', at) - at).find(of), std::string::npos);
        }
    }
    // The password is in no printed line and no log file, escaped or not.
    const std::string logs = AllFiles(folder.Path() / "log");
    for (const char* secret : {"w?rd#1", "rd%231"}) {
        EXPECT_EQ(printed.find(secret), std::string::npos) << secret;
        EXPECT_EQ(err.str().find(secret), std::string::npos) << secret;
        EXPECT_EQ(logs.find(secret), std::string::npos) << secret;
    }
    EXPECT_NE(logs.find("! Failed! can't connectivy."), std::string::npos);
}

// A download limited to kLimitedRate beside another site downloading as fast as it can: the
// limited site's speed lines hold its own bytes only, and every one of them reaches the graph.
TEST(LiveMonitorTest, SpeedLinesHoldOnlyTheSitesOwnBytes) {
    TempFolder folder;
    NginxServer http(folder.Path());
    ManualClock clock{kNoon};
    std::vector<SiteRecord> sites{SiteAt("limited", http.Url("/limited")),
                                  SiteAt("big", http.Url("/big"))};
    sites[1].intervalSeconds = 1;
    EventLog log(clock, sites, folder.Path());
    RecordingView view;
    view.graphVisible = true;
    auto handover = std::make_shared<SyncHandover>();
    MonitorEngine engine(sites, log, view, std::make_shared<CurlFetchLoop>(), handover);
    engine.statisticsUrl = sites[0].fetchUrl;
    engine.statisticsSiteActive = 1;
    engine.ControlMonitor(kAllSites, true);

    EventLoop loop(*handover);
    loop.AddTimer(std::chrono::milliseconds(1000), [&] { engine.SchedulerTick(); });
    // Runs on a second and a half after the end, for its last speed line.
    std::optional<std::chrono::steady_clock::time_point> ended;
    loop.Run(std::chrono::seconds(30), [&] {
        const auto now = std::chrono::steady_clock::now();
        if (!ended && view.CountOf(0, "..Access successed!") == 1) ended = now;
        return ended && now - *ended > std::chrono::milliseconds(1500);
    });
    ASSERT_EQ(view.CountOf(0, "..Access successed!"), 1);
    EXPECT_GE(view.CountOf(1, "..Access successed!"), 3);
    EXPECT_TRUE(engine.Shutdown(std::chrono::seconds(3)));

    std::uint64_t drawn = 0;
    for (const auto bytes : view.graphBytes) drawn += bytes;
    EXPECT_EQ(drawn, kLimitedBodyBytes);
    std::vector<int> speeds;
    for (const auto& text : view.EventsOf(0)) {
        int kb = 0;
        if (std::sscanf(text.c_str(), ".Download speed: %d", &kb) == 1) speeds.push_back(kb);
    }
    ASSERT_GE(speeds.size(), 5u);
    // The first and the last second hold only part of a second's bytes.
    double sum = 0;
    for (std::size_t i = 1; i + 1 < speeds.size(); ++i) sum += speeds[i];
    const double mean = sum / static_cast<double>(speeds.size() - 2);
    const double limit = kLimitedRate / 1024.0;
    EXPECT_NEAR(mean, limit, limit / 10);
    EXPECT_LE(*std::max_element(speeds.begin(), speeds.end()), 2 * limit);
}

// A check that cannot get a descriptor is a broken link whose connecting line says why; the
// start-up's raise of the limit gives the descriptors back.
TEST(LiveMonitorTest, NoDescriptorLeftIsABrokenLinkWithItsReason) {
    TempFolder folder;
    RefusingPort refusing;
    ManualClock clock{kNoon};
    std::vector<SiteRecord> sites{
        SiteAt("one", "http://127.0.0.1:" + std::to_string(refusing.Port()) + "/")};
    EventLog log(clock, sites, folder.Path());
    RecordingView view;
    auto handover = std::make_shared<SyncHandover>();
    MonitorEngine engine(sites, log, view, std::make_shared<CurlFetchLoop>(), handover);

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit none = saved;
    // The lowest free descriptor becomes the limit, so no new one can be had.
    none.rlim_cur = static_cast<rlim_t>(::dup(0));
    ::close(static_cast<int>(none.rlim_cur));
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &none), 0);
    engine.ControlMonitor(kAllSites, true);
    EventLoop loop(*handover);
    loop.Run(std::chrono::seconds(10), [&] { return view.CountOf(0, "! Failed!") == 1; });
    EXPECT_EQ(RaiseOpenFileLimit(), static_cast<long>(saved.rlim_max));
    ::setrlimit(RLIMIT_NOFILE, &saved);

    EXPECT_EQ(view.CountOf(0, "! Failed! can't connectivy."), 1);
    EXPECT_EQ(view.CountOf(0, "Connecting 127.0.0.1 (cannot open a socket: Too many open files)"),
              1);
    EXPECT_EQ(view.CountOf(0, "! Connect URL FAILED!"), 0);
}

// The exit with checks hanging on a server that never answers: every check ends, well within
// the limit, and nothing is reported after the hand-over closed.
TEST(LiveMonitorTest, ExitEndsFetchesStuckInASilentServer) {
    TempFolder folder;
    FaultServer silent;
    ManualClock clock{kNoon};
    const std::string url = silent.Url("/silent");
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
    handover->Drain();
    EXPECT_EQ(view.events.size(), events);
}

}  // namespace
}  // namespace wexfold::testing
