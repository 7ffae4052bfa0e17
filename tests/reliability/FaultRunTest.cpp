// 64 sites spread over broken servers (nginx, vsftpd and the hand-written faults), each checked
// every 10 seconds by the real engine (libcurl, fetch loop, hand-over, log files) for
// WEXFOLD_FAULT_SECONDS (300 by default): the schedule holds while fetches hang, no site has
// more than two fetches running, threads and memory stay bounded, every broken link is logged
// and starts the alert, and the exit ends within 5 seconds.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>

#include "RunSupport.h"
#include "core/engine/CurlFetchLoop.h"
#include "core/engine/EventLoop.h"
#include "core/engine/MonitorEngine.h"
#include "core/logs/EventLog.h"
#include "fixtures/FaultServer.h"
#include "fixtures/LocalServers.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {
namespace {

constexpr int kSites = 64;
constexpr int kInterval = 10;
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
// ThreadSanitizer keeps megabytes of its own for every thread, AddressSanitizer holds freed
// memory in quarantine.
constexpr long kRssGrowthBoundKb = 1024 * 1024;
#else
constexpr long kRssGrowthBoundKb = 256 * 1024;
#endif

// Counts the checks each address starts, then runs them through libcurl.
class CountingFetcher final : public SiteFetcher {
  public:
    explicit CountingFetcher(std::shared_ptr<SiteFetcher> inner) : inner_(std::move(inner)) {}

    void Start(std::shared_ptr<SiteCheck> check) override {
        ++started_[check->url];
        inner_->Start(std::move(check));
    }
    void StopSeen() override { inner_->StopSeen(); }
    bool Shutdown(std::chrono::milliseconds limit) override { return inner_->Shutdown(limit); }
    int Running() const override { return inner_->Running(); }
    int Started(const std::string& url) const {
        const auto found = started_.find(url);
        return found == started_.end() ? 0 : found->second;
    }

private:
  std::shared_ptr<SiteFetcher> inner_;
  std::map<std::string, int> started_;
};

// Counts each site's results and checks, at each broken link, that the alert has just started
// for that site at the time the line shows.
class FaultView final : public WindowlessView {
public:
    explicit FaultView(const std::vector<SiteRecord>& sites) : sites_(sites) {}

    void SiteEvent(int site, const std::string& text) override {
        if (text.rfind("! Failed! can't connectivy.", 0) == 0) {
            ++broken[site];
            const AlertState& alert = engine->alert;
            if (alert.alertStep != 0 || alert.alertUrl != sites_[site].fetchUrl ||
                text.find(alert.alertTime) == std::string::npos) {
                ++unalerted;
            }
        }
        if (text.rfind("..Access successed!", 0) == 0) ++accesses[site];
        if (text.rfind("Start monitor.", 0) == 0) ++starts[site];
        if (text.rfind("! Connect URL FAILED!", 0) == 0) ++callFailures;
    }
    void ShowWarning(const char*) override { ++warnings; }

    const MonitorEngine* engine = nullptr;
    std::map<int, int> broken;
    std::map<int, int> accesses;
    std::map<int, int> starts;
    int unalerted = 0;
    int callFailures = 0;
    int warnings = 0;

private:
    const std::vector<SiteRecord>& sites_;
};

// A way to be broken, and how its fetches end.
struct FaultKind {
    const char* name;
    std::string url;
    bool neverAnswers;  // every fetch is a broken link
    bool hangs;         // fetches take a minute or more: silent and stalled ones give up after
                        // 60 s without a byte, drips end after some 90 s
    bool quick;         // fetches end within seconds, however loaded the machine (the capped
                        // 64 MiB body can take longer than an interval under a sanitizer)
};

TEST(FaultRunTest, SixtyFourFaultySitesStayOnScheduleWithinBounds) {
    const int seconds = SecondsFromEnvironment("WEXFOLD_FAULT_SECONDS", 300);
    TempFolder folder;
    const TestCertificates certificates(folder.Path());
    const auto lifetime = std::chrono::seconds(seconds + 120);
    NginxServer http(folder.Path(), &certificates, lifetime);
    FaultServer faults({lifetime, kSites * 12 * (seconds / kInterval + 2), 1024});
    RefusingPort refusing;
    std::vector<FaultKind> kinds = {
        {"refuse", "http://127.0.0.1:" + std::to_string(refusing.Port()) + "/", true, false, true},
        {"silent", faults.Url("/silent"), true, true, false},
        {"early", faults.Url("/reset-early"), true, false, true},
        {"stall", faults.Url("/stall"), false, true, false},
        {"drip", http.Url("/drip"), false, true, false},
        {"reset", faults.Url("/reset"), false, false, true},
        {"huge", http.Url("/huge"), false, false, false},
        {"redirect", http.Url("/loop"), false, false, true},
        {"malformed", faults.Url("/malformed"), false, false, true},
        {"expired", http.Url("/page", NginxServer::Tls::kExpired), true, false, true},
        {"selfsig", http.Url("/page", NginxServer::Tls::kSelfSigned), true, false, true},
    };
    std::unique_ptr<VsftpdServer> ftp;
    if (VsftpdServer::Unavailable().empty()) {
        ftp = std::make_unique<VsftpdServer>(folder.Path(), lifetime);
        kinds.push_back({"ftp530",
                         "ftp://" + std::string(kSiteUser) +
                             ":wrong@127.0.0.1:" + std::to_string(ftp->Port()) + "/file.txt",
                         false, false, true});
    }
    const auto kindOf = [&](int site) -> const FaultKind& {
        return kinds[static_cast<std::size_t>(site) % kinds.size()];
    };
    std::vector<SiteRecord> sites;
    for (int i = 0; i < kSites; ++i) {
        SiteRecord site = NewSiteRecord();
        std::snprintf(site.name, sizeof site.name, "site%02d", i);
        // Each site's own address, so that its fetches can be counted.
        const std::string url = kindOf(i).url + "?site=" + std::to_string(i);
        std::snprintf(site.fetchUrl, sizeof site.fetchUrl, "%s", url.c_str());
        site.active = 1;
        site.intervalSeconds = kInterval;
        site.logAllDetail = 0;
        sites.push_back(site);
    }
    SystemClock clock;
    EventLog log(clock, sites, folder.Path());
    for (SiteRecord& site : sites) log.OpenSiteLog(site);
    FaultView view(sites);
    CurlLimits curlLimits;
    curlLimits.caFile = certificates.CaFile();
    auto downloader =
        std::make_shared<CountingFetcher>(std::make_shared<CurlFetchLoop>(curlLimits));
    auto handover = std::make_shared<SyncHandover>();
    MonitorEngine engine(sites, log, view, downloader, handover);
    view.engine = &engine;

    ProcessPeaks peaks;
    peaks.Sample();
    const long startRss = peaks.rssKb;
    EventLoop loop(*handover);
    loop.AddTimer(std::chrono::milliseconds(500), [&] { engine.AnimationTick(); });
    std::size_t mostInFlight = 0;
    loop.AddTimer(std::chrono::milliseconds(1000), [&] {
        engine.SchedulerTick();
        peaks.Sample();
        for (int i = 0; i < engine.MonitorCount(); ++i) {
            mostInFlight = std::max(mostInFlight, engine.Monitor(i).checks.size());
        }
    });
    engine.ControlMonitor(kAllSites, true);
    loop.Run(std::chrono::seconds(seconds));
    const int runningAtExit = engine.FetchesInFlight();

    const auto exitStart = std::chrono::steady_clock::now();
    const bool ended = engine.Shutdown(std::chrono::seconds(5));
    log.ExitLogging();
    const double exitSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - exitStart).count();

    // Each turn starts a fetch, one at the start and one every interval after it, unless two
    // of the site's fetches still hang: then the turn waits for the next interval, unlogged.
    // Late ticks are dropped, never repeated.
    const int expected = 1 + seconds / kInterval;
    const int slack = 2 + expected / 10;
    std::map<std::string, std::vector<int>> startsByFault;
    for (int i = 0; i < kSites; ++i) {
        const SiteRecord& site = sites[static_cast<std::size_t>(i)];
        const FaultKind& kind = kindOf(i);
        SCOPED_TRACE(std::string(site.name) + " " + kind.name);
        const int starts = downloader->Started(site.fetchUrl);
        startsByFault[kind.name].push_back(starts);
        EXPECT_EQ(view.starts[i], starts);
        EXPECT_GE(starts, kind.hangs ? std::min(expected, 2) : expected - slack);
        EXPECT_LE(starts, expected + 1);

        const auto lines = LogLines(log.LogRoot() / site.name);
        EXPECT_EQ(CountPrefixed(lines, "! Failed! can't connectivy. end of "), view.broken[i]);
        if (kind.neverAnswers) {
            EXPECT_EQ(view.accesses[i], 0);
            EXPECT_GE(view.broken[i], starts - (kind.hangs ? 2 : 1));
        } else if (kind.quick) {
            EXPECT_GE(view.accesses[i], starts - 2);
        }
    }
    EXPECT_LE(mostInFlight, kMaxChecksPerSite);
    EXPECT_EQ(view.unalerted, 0);
    EXPECT_EQ(view.callFailures, 0);
    EXPECT_EQ(view.warnings, 0);
    EXPECT_TRUE(ended) << engine.FetchesInFlight() << " fetches still running";
    EXPECT_LT(exitSeconds, 5.0);

    std::printf(
        "%d sites, interval %d s, %d s: peak threads %ld, resident size %ld kB at start, "
        "peak %ld kB; %d fetches running at the exit, which took %.2f s\n",
        kSites, kInterval, seconds, peaks.threads, startRss, peaks.rssKb, runningAtExit,
        exitSeconds);
    for (const auto& [fault, starts] : startsByFault) {
        const auto [low, high] = std::minmax_element(starts.begin(), starts.end());
        std::printf("  %-9s fetches per site %d to %d (expected %d)\n", fault.c_str(), *low, *high,
                    expected);
    }
    // One thread runs every fetch; at most two fetches of a site hang at once.
    EXPECT_LT(peaks.threads, 32);
    EXPECT_LT(peaks.rssKb - startRss, kRssGrowthBoundKb);
}

}  // namespace
}  // namespace wexfold::testing
