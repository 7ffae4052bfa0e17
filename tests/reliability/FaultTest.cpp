// Broken servers (nginx, vsftpd and the hand-written faults): each fault alone against the
// libcurl downloader, a 1 GiB body streamed, and the long run of 64 sites on them in the real
// engine (label reliability; WEXFOLD_FAULT_SECONDS long, 300 by default).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>

#include "ProcStatus.h"
#include "RunSupport.h"
#include "core/engine/CurlDownloader.h"
#include "core/engine/CurlFetchLoop.h"
#include "core/engine/EventLoop.h"
#include "core/engine/MonitorEngine.h"
#include "fixtures/FaultServer.h"
#include "fixtures/LocalServers.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {
namespace {

using Tls = NginxServer::Tls;

// How long a fault's fetches take under the engine's limits.
enum class Ends {
    kQuick,  // within seconds, however loaded the machine
    kSlow,   // the capped 64 MiB body: may take longer than an interval under a sanitizer
    kHangs,  // a minute or more: no byte for 60 s (silent, stalled), or a drip of some 90 s
};

struct Fault {
    const char* name;
    std::string url;
    const char* error;  // a part of the downloader's error; empty for success
    bool answered;      // a report above 2: what the engine counts as an answer
    bool mimeType;
    bool bodyStarted;
    Ends ends;
};

// Every server of the faults, and the faults, the healthy page first.
struct BrokenServers {
    BrokenServers(const std::filesystem::path& folder, std::chrono::seconds lifetime,
                  int maxConnections)
        : certificates(folder),
          http(folder, &certificates, lifetime),
          faults(lifetime, maxConnections) {
        const std::string refused = "http://127.0.0.1:" + std::to_string(refusing.Port()) + "/";
        table = {
            {"healthy", http.Url("/page"), "", true, true, true, Ends::kQuick},
            {"refuse", refused, "connect", false, false, false, Ends::kQuick},
            {"silent", faults.Url("/silent"), "too slow", false, false, false, Ends::kHangs},
            {"early", faults.Url("/reset-early"), "reset", false, false, false, Ends::kQuick},
            {"stall", faults.Url("/stall"), "too slow", true, true, false, Ends::kHangs},
            {"drip", http.Url("/drip"), "Operation", true, false, false, Ends::kHangs},
            {"reset", faults.Url("/reset"), "reset", true, true, true, Ends::kQuick},
            {"huge", http.Url("/huge"), "larger than", true, true, true, Ends::kSlow},
            {"redirect", http.Url("/loop"), "redirects", true, true, false, Ends::kQuick},
            {"malformed", faults.Url("/malformed"), "HTTP/0.9", true, false, false, Ends::kQuick},
            {"expired", http.Url("/page", Tls::kExpired), "expired", false, false, false,
             Ends::kQuick},
            {"selfsig", http.Url("/page", Tls::kSelfSigned), "self-signed", false, false, false,
             Ends::kQuick},
        };
        if (!VsftpdServer::Unavailable().empty()) return;
        ftp = std::make_unique<VsftpdServer>(folder, lifetime);
        table.push_back({"ftp530",
                         "ftp://" + std::string(kSiteUser) +
                             ":wrong@127.0.0.1:" + std::to_string(ftp->Port()) + "/file.txt",
                         "530", true, false, false, Ends::kQuick});
    }

    TestCertificates certificates;
    NginxServer http;
    FaultServer faults;
    RefusingPort refusing;
    std::unique_ptr<VsftpdServer> ftp;
    std::vector<Fault> table;
};

// The status codes of a fetch's reports (made on the fetching thread), and the progress of its
// end.
class ReportLog final : public ProgressSink {
  public:
    bool OnProgress(const ProgressReport& report) override {
        codes.push_back(report.statusCode);
        if (report.statusCode == kStatusEndDownload) endProgress = report.progress;
        return true;
    }
    bool StopRequested() override { return false; }
    bool Has(std::uint32_t code) const {
        return std::find(codes.begin(), codes.end(), code) != codes.end();
    }

    std::vector<std::uint32_t> codes;
    std::uint32_t endProgress = 0;
};

TEST(FaultServersTest, EveryFaultEndsTheFetchWithItsOwnError) {
    TempFolder folder;
    const BrokenServers servers(folder.Path(), std::chrono::seconds(300), 4096);
    CurlLimits limits;
    limits.connectTimeoutSeconds = 5;
    limits.stallSeconds = 2;
    limits.transferSeconds = 10;
    limits.caFile = servers.certificates.CaFile();
    CurlDownloader downloader(limits, folder.Path() / "cache");
    for (const Fault& want : servers.table) {
        SCOPED_TRACE(want.name);
        ReportLog reports;
        const FetchOutcome outcome = downloader.Fetch(want.url, reports);
        // Only an address that cannot be fetched at all is a failed call; every server fault
        // is a fetch that ended.
        EXPECT_EQ(outcome.result, FetchResult::kFinished);
        EXPECT_EQ(outcome.error.empty(), want.error[0] == '\0') << outcome.error;
        EXPECT_NE(outcome.error.find(want.error), std::string::npos) << outcome.error;
        EXPECT_EQ(std::any_of(reports.codes.begin(), reports.codes.end(),
                              [](auto code) { return code > 2; }),
                  want.answered);
        EXPECT_EQ(reports.Has(kStatusMimeType), want.mimeType);
        EXPECT_EQ(reports.Has(kStatusBeginDownload), want.bodyStarted);
        if (want.url == servers.http.Url("/loop")) {
            EXPECT_EQ(std::count(reports.codes.begin(), reports.codes.end(), kStatusRedirecting),
                      10);
        }
        if (!outcome.file.empty()) {
            EXPECT_LE(std::filesystem::file_size(outcome.file), limits.maxBodyBytes);
            std::filesystem::remove(outcome.file);
        }
    }
}

// Without the size cap the body is streamed through: all of it arrives, and the resident size
// stays far below it (AddressSanitizer keeps up to 256 MB of freed memory in quarantine).
TEST(FaultServersTest, AGigabyteBodyIsStreamedNotHeld) {
    TempFolder folder;
    CurlLimits limits;
    limits.maxBodyBytes = 0;
    CurlDownloader downloader(limits, folder.Path() / "cache");
    NginxServer http(folder.Path());
    ReportLog reports;
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts afresh
    const long before = StatusField("VmHWM");
    const FetchOutcome outcome = downloader.Fetch(http.Url("/huge"), reports, "/dev/null");
    const long grown = StatusField("VmHWM") - before;
    std::printf("1 GiB body: peak resident size grew by %ld kB\n", grown);
    EXPECT_EQ(outcome.error, "");
    EXPECT_EQ(reports.endProgress, kHugeBodyBytes);
    EXPECT_LT(grown, kSanitized ? 512 * 1024 : 32 * 1024);
}

// Counts the fetches each address starts, then runs them through libcurl.
class CountingFetcher final : public SiteFetcher {
  public:
    explicit CountingFetcher(CurlLimits limits) : inner_(std::move(limits)) {}

    void Start(std::shared_ptr<SiteCheck> check) override {
        ++started[check->url];
        inner_.Start(std::move(check));
    }
    void StopSeen() override { inner_.StopSeen(); }
    bool Shutdown(std::chrono::milliseconds limit) override { return inner_.Shutdown(limit); }
    int Running() const override { return inner_.Running(); }

    std::map<std::string, int> started;

  private:
    CurlFetchLoop inner_;
};

// Counts each site's results and checks, at each broken link, that the alert has just started
// for that site at the time the line shows.
class FaultView final : public WindowlessView {
  public:
    explicit FaultView(const std::vector<SiteRecord>& sites) : sites_(sites) {}

    void SiteEvent(int site, const std::string& text) override {
        const AlertState& alert = engine->alert;
        if (text.starts_with("! Failed! can't connectivy.") &&
            (alert.alertStep != 0 || alert.alertUrl != sites_[site].fetchUrl ||
             text.find(alert.alertTime) == std::string::npos)) {
            ++unalerted;
        }
        broken[site] += text.starts_with("! Failed! can't connectivy.");
        accesses[site] += text.starts_with("..Access successed!");
        otherFailures += text.starts_with("! Connect URL FAILED!");
    }
    void ShowWarning(const char*) override { ++otherFailures; }

    const MonitorEngine* engine = nullptr;
    std::map<int, int> broken, accesses;
    int unalerted = 0;
    int otherFailures = 0;  // failed calls and warnings

  private:
    const std::vector<SiteRecord>& sites_;
};

// Each site is checked every 10 seconds for the whole run: the schedule holds while fetches
// hang, no site has more than two fetches running, threads and memory stay bounded, every
// broken link is logged and starts the alert, and the exit ends within its limit.
TEST(FaultRunTest, SixtyFourFaultySitesStayOnScheduleWithinBounds) {
    constexpr int kSites = 64;
    constexpr int kInterval = 10;
    const int seconds = SecondsFromEnvironment("WEXFOLD_FAULT_SECONDS", 300);
    TempFolder folder;
    const BrokenServers servers(folder.Path(), std::chrono::seconds(seconds + 120),
                                kSites * 12 * (seconds / kInterval + 2));
    // The healthy page is no fault: the sites take the rows after it, in turn.
    const auto faultOf = [&](int site) -> const Fault& {
        return servers.table[1 + static_cast<std::size_t>(site) % (servers.table.size() - 1)];
    };
    std::vector<SiteRecord> sites;
    for (int i = 0; i < kSites; ++i) {
        SiteRecord site = NewSiteRecord();
        std::snprintf(site.name, sizeof site.name, "site%02d", i);
        // Each site's own address, so that its fetches can be counted.
        std::snprintf(site.fetchUrl, sizeof site.fetchUrl, "%s?site=%d", faultOf(i).url.c_str(), i);
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
    curlLimits.caFile = servers.certificates.CaFile();
    auto fetcher = std::make_shared<CountingFetcher>(curlLimits);
    auto handover = std::make_shared<SyncHandover>();
    MonitorEngine engine(sites, log, view, fetcher, handover);
    view.engine = &engine;

    ProcessPeaks peaks;
    const long startRss = peaks.Sample();
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
    EXPECT_TRUE(engine.Shutdown(std::chrono::seconds(5))) << engine.FetchesInFlight() << " run";
    log.ExitLogging();

    // Each turn starts a fetch, one at the start and one every interval after it, unless two
    // of the site's fetches still hang: then the turn waits for the next interval, unlogged.
    // Late ticks are dropped, never repeated.
    const int expected = 1 + seconds / kInterval;
    std::map<std::string, std::pair<int, int>> range;  // fetches per site, by fault
    for (int i = 0; i < kSites; ++i) {
        const SiteRecord& site = sites[static_cast<std::size_t>(i)];
        const Fault& fault = faultOf(i);
        SCOPED_TRACE(std::string(site.name) + " " + fault.name);
        const int starts = fetcher->started[site.fetchUrl];
        auto& [low, high] = range.try_emplace(fault.name, starts, starts).first->second;
        low = std::min(low, starts);
        high = std::max(high, starts);
        const bool hangs = fault.ends == Ends::kHangs;
        EXPECT_GE(starts, hangs ? std::min(expected, 2) : expected - 2 - expected / 10);
        EXPECT_LE(starts, expected + 1);
        EXPECT_EQ(CountLines(LogLines(log.LogRoot() / site.name), "! Failed! can't connectivy."),
                  view.broken[i]);
        if (!fault.answered) {
            EXPECT_EQ(view.accesses[i], 0);
            EXPECT_GE(view.broken[i], starts - (hangs ? 2 : 1));
        } else if (fault.ends == Ends::kQuick) {
            EXPECT_GE(view.accesses[i], starts - 2);
        }
    }
    EXPECT_LE(mostInFlight, kMaxChecksPerSite);
    EXPECT_EQ(view.unalerted, 0);
    EXPECT_EQ(view.otherFailures, 0);
    std::printf(
        "%d sites, interval %d s, %d s: peak threads %ld, resident size %ld kB at start, "
        "peak %ld kB\n",
        kSites, kInterval, seconds, peaks.threads, startRss, peaks.rssKb);
    for (const auto& [fault, fetches] : range) {
        std::printf("  %-9s fetches per site %d to %d (expected %d)\n", fault.c_str(),
                    fetches.first, fetches.second, expected);
    }
    // One thread runs every fetch; a sanitizer keeps megabytes of its own for each thread and
    // holds freed memory in quarantine.
    EXPECT_LT(peaks.threads, 32);
    EXPECT_LT(peaks.rssKb - startRss, (kSanitized ? 1024 : 256) * 1024);
}

}  // namespace
}  // namespace wexfold::testing
