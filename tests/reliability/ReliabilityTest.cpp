// A 1 GiB body streamed, and cut at the body cap; then the long runs (label reliability): 64 sites
// on the broken servers in the engine for WEXFOLD_FAULT_SECONDS (300 by default), and the headless
// mode watching 256 healthy sites for WEXFOLD_SOAK_SECONDS (60; scripts/soak.sh runs 600).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <regex>
#include <set>
#include <sstream>

#include "ProcStatus.h"
#include "core/engine/CurlDownloader.h"
#include "core/engine/CurlFetchLoop.h"
#include "core/engine/MonitorEngine.h"
#include "core/server/HeadlessMonitor.h"
#include "core/sites/SiteListFile.h"
#include "fixtures/FaultServer.h"
#include "fixtures/LocalServers.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {
namespace {

using namespace std::string_literals;
using Tls = NginxServer::Tls;
constexpr const char* kBroken = "! Failed! can't connectivy. end of ";
constexpr const char* kAccess = "..Access successed! end of ";
// A sanitizer keeps memory of its own: per-thread state, freed memory in quarantine.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// The whole seconds in the environment variable, or fallback when it is unset or not positive.
int SecondsFromEnvironment(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

// Every line of a site's log files, without its LF (a stored line keeps the CRs it was written
// with). A file's last line without an LF gets "<cut>", so that it matches no line shape.
std::vector<std::string> LogLines(const std::filesystem::path& folder) {
    std::vector<std::string> lines;
    for (const auto& file : std::set<std::filesystem::path>(
             std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator())) {
        const std::string text = FileText(file);
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        if (!text.empty() && !text.ends_with('\n')) lines.back() += "<cut>";
    }
    return lines;
}

SiteRecord Site(const char* nameFormat, int index, const std::string& url, int interval) {
    SiteRecord site = NewSiteRecord();
    std::snprintf(site.name, sizeof site.name, nameFormat, index);
    std::snprintf(site.fetchUrl, sizeof site.fetchUrl, "%s", url.c_str());
    site.active = 1;
    site.intervalUnit = kIntervalSeconds;
    site.intervalSeconds = interval;
    return site;
}

// How far a fault's fetch gets: its reports above 2 (what the engine counts as an answer),
// the MIME type, the body.
enum Reached { kNothing, kAnswer, kMimeType, kBody };
// How long its fetches take under the engine's limits: within seconds however loaded the
// machine; the capped 64 MiB body, longer than an interval under a sanitizer; a minute or
// more (no byte for 60 s, or a drip of some 90 s).
enum class Ends { kQuick, kSlow, kHangs };

struct Fault {
    const char* name;
    std::string url;
    Reached reached;
    Ends ends;
};

// The servers of the faults, and the faults, the healthy page first.
struct BrokenServers {
    BrokenServers(const std::filesystem::path& folder, std::chrono::seconds lifetime, int count)
        : certificates(folder), http(folder, &certificates, lifetime), faults(lifetime, count) {
        table = {
            {"healthy", http.Url("/page"), kBody, Ends::kQuick},
            {"refuse", "http://127.0.0.1:" + std::to_string(refusing.Port()) + "/", kNothing,
             Ends::kQuick},
            {"silent", faults.Url("/silent"), kNothing, Ends::kHangs},
            {"early", faults.Url("/reset-early"), kNothing, Ends::kQuick},
            {"stall", faults.Url("/stall"), kMimeType, Ends::kHangs},
            {"drip", http.Url("/drip"), kAnswer, Ends::kHangs},
            {"reset", faults.Url("/reset"), kBody, Ends::kQuick},
            {"huge", http.Url("/huge"), kBody, Ends::kSlow},
            {"redirect", http.Url("/loop"), kMimeType, Ends::kQuick},
            {"malformed", faults.Url("/malformed"), kAnswer, Ends::kQuick},
            {"expired", http.Url("/page", Tls::kExpired), kNothing, Ends::kQuick},
            {"selfsig", http.Url("/page", Tls::kSelfSigned), kNothing, Ends::kQuick},
        };
        if (!VsftpdServer::Unavailable().empty()) return;
        ftp = std::make_unique<VsftpdServer>(folder, lifetime);
        table.push_back({"ftp530",
                         "ftp://" + std::string(kSiteUser) +
                             ":wrong@127.0.0.1:" + std::to_string(ftp->Port()) + "/file.txt",
                         kAnswer, Ends::kQuick});
    }

    TestCertificates certificates;
    NginxServer http;
    FaultServer faults;
    RefusingPort refusing;
    std::unique_ptr<VsftpdServer> ftp;
    std::vector<Fault> table;
};

// The progress a fetch's end reports.
struct EndProgress final : ProgressSink {
    bool OnProgress(const ProgressReport& report) override {
        if (report.statusCode == kStatusEndDownload) bytes = report.progress;
        return true;
    }
    bool StopRequested() override { return false; }
    std::uint32_t bytes = 0;
};

// Without the size cap the body is streamed through: all of it arrives, and the resident size
// stays far below it.
TEST(FaultServersTest, AGigabyteBodyIsStreamedNotHeld) {
    TempFolder folder;
    CurlDownloader downloader({.maxBodyBytes = 0, .caFile = {}}, folder.Path() / "cache");
    NginxServer http(folder.Path());
    EndProgress reports;
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts afresh
    const long before = StatusField("VmHWM");
    const FetchOutcome outcome = downloader.Fetch(http.Url("/huge"), reports, "/dev/null");
    const long grown = StatusField("VmHWM") - before;
    std::printf("1 GiB body: peak resident size grew by %ld kB\n", grown);
    EXPECT_EQ(outcome.error, "");
    EXPECT_EQ(reports.bytes, kHugeBodyBytes);
    EXPECT_LT(grown, kSanitized ? 512 * 1024 : 32 * 1024);
    // With the cap, the fetch ends at it with its reason.
    const FetchOutcome capped = CurlDownloader({}, folder.Path() / "cache")
                                    .Fetch(http.Url("/huge"), reports, folder.Path() / "capped");
    EXPECT_NE(capped.error.find("larger than"), std::string::npos) << capped.error;
    EXPECT_LE(std::filesystem::file_size(folder.Path() / "capped"), CurlLimits{}.maxBodyBytes);
}

// What a headless run printed at its end, and this process's peaks while it ran.
struct RunFigures {
    unsigned long long finished = 0;
    unsigned long long broken = 0;
    long threads = 0;
    long rssKb = 0;
};

// Runs the headless mode on list, in the current folder, for that many seconds, calling sample
// every 200 ms with the seconds gone and this process's resident size in kB. The event lines
// (hundreds of thousands in a long run) go to the file "printed".
RunFigures RunHeadlessFor(const std::vector<SiteRecord>& list, int seconds, CurlLimits limits,
                          const std::function<void(double, long)>& sample) {
    EXPECT_TRUE(SaveSiteList(list));
    RunFigures figures;
    const auto start = std::chrono::steady_clock::now();
    auto nextSample = start;
    const SystemClock clock;
    HeadlessOptions options;
    options.fetcher = std::make_shared<CurlFetchLoop>(std::move(limits));
    options.clock = &clock;
    options.exitRequested = [&] {
        const auto now = std::chrono::steady_clock::now();
        const double elapsed = std::chrono::duration<double>(now - start).count();
        if (now < nextSample) return elapsed >= seconds;
        nextSample = now + std::chrono::milliseconds(200);
        const long rss = StatusField("VmRSS");
        figures.threads = std::max(figures.threads, StatusField("Threads"));
        figures.rssKb = std::max(figures.rssKb, rss);
        sample(elapsed, rss);
        return elapsed >= seconds;
    };
    std::ofstream out("printed");
    std::ostringstream err;  // where a failed save or a stuck exit shows
    EXPECT_EQ(RunHeadless(options, out, err), 0);
    out.close();
    EXPECT_EQ(err.str(), "");
    const std::string printed = FileText("printed");
    EXPECT_EQ(std::sscanf(printed.c_str() + printed.rfind("\nwexfold: ") + 1,
                          "wexfold: %llu checks finished, %llu broken links", &figures.finished,
                          &figures.broken),
              2);
    return figures;
}

// 64 sites, each checked every 10 seconds: the schedule holds while fetches hang, no site has
// more than two fetches running, threads and memory stay bounded, every broken link is logged,
// and the exit ends within its limit.
TEST(FaultRunTest, SixtyFourFaultySitesStayOnScheduleWithinBounds) {
    constexpr int kSites = 64;
    constexpr int kInterval = 10;
    const int seconds = SecondsFromEnvironment("WEXFOLD_FAULT_SECONDS", 300);
    TempFolder folder{true};
    const BrokenServers servers(folder.Path(), std::chrono::seconds(seconds + 120),
                                kSites * 12 * (seconds / kInterval + 2));
    // The healthy page is no fault: the sites take the rows after it in turn.
    const auto faultOf = [&](int site) -> const Fault& {
        return servers.table[1 + static_cast<std::size_t>(site) % (servers.table.size() - 1)];
    };
    std::vector<SiteRecord> list;
    for (int i = 0; i < kSites; ++i) list.push_back(Site("site%02d", i, faultOf(i).url, kInterval));
    const long startRss = StatusField("VmRSS");
    const RunFigures run = RunHeadlessFor(list, seconds, {.caFile = servers.certificates.CaFile()},
                                          [](double, long) {});

    // Each turn starts a fetch, one at the start and one every interval after it, unless two
    // of the site's fetches still hang: then the turn waits for the next interval, unlogged.
    // Late ticks are dropped, never repeated.
    const int expected = 1 + seconds / kInterval;
    long brokenLines = 0;
    for (int i = 0; i < kSites; ++i) {
        const Fault& fault = faultOf(i);
        SCOPED_TRACE(std::string(list[i].name) + " " + fault.name);
        long starts = 0, accesses = 0, broken = 0, others = 0, mostRunning = 0;
        for (const std::string& line : LogLines("log/"s + list[i].name)) {
            starts += line.starts_with("Start monitor.");
            accesses += line.starts_with(kAccess);
            broken += line.starts_with(kBroken);
            others += line.starts_with("! Connect URL FAILED!") || line.ends_with("<cut>");
            mostRunning = std::max(mostRunning, starts - accesses - broken);
        }
        brokenLines += broken;
        const bool hangs = fault.ends == Ends::kHangs;
        EXPECT_GE(starts, hangs ? std::min(expected, 2) : expected - 2 - expected / 10);
        EXPECT_LE(starts, expected + 1);
        EXPECT_LE(mostRunning, static_cast<long>(kMaxChecksPerSite));
        EXPECT_EQ(others, 0);
        if (fault.reached == kNothing) {
            EXPECT_EQ(accesses, 0);
            EXPECT_GE(broken, starts - (hangs ? 2 : 1));
        } else if (fault.ends == Ends::kQuick) {
            EXPECT_GE(accesses, starts - 2);
        }
    }
    EXPECT_EQ(static_cast<long>(run.broken), brokenLines);
    std::printf(
        "%d sites every %d s for %d s: peak threads %ld, resident size %ld kB at start, "
        "peak %ld kB\n",
        kSites, kInterval, seconds, run.threads, startRss, run.rssKb);
    // One thread runs every fetch.
    EXPECT_LT(run.threads, 32);
    EXPECT_LT(run.rssKb - startRss, (kSanitized ? 1024 : 256) * 1024);
}

// Every line shape the log writer makes for sites fetching a page, each line whole: an event
// text ends in CR LF, stored as CR CR LF; the exit line ends in LF, stored as CR LF.
const std::regex& LineShapes() {
    static const std::string stamp = R"( \d\d:\d\d:\d\d \d\d/\d\d 20\d\d )";
    static const std::regex shapes(
        R"((\* \d+ seconds interval time\.|Start monitor\. )" + stamp +
        R"(|Finding Resouce\.127\.0\.0\.1|Connecting 127\.0\.0\.1|Sending request\. )"
        R"(|MIME Type available text/html; charset=utf-8|(Begin download data )"
        R"(|Downloading data |End download data )http://127\.0\.0\.1:\d+/page\?site=\d{3})"
        R"((   \d+ of \d+ )?|\.\.Access successed! end of )" +
        stamp + R"(|! Failed! can't connectivy\. end of )" + stamp +
        R"(|\.Download speed: \d+ kb/s )" + stamp + ")\r\r|Exit program\\. " + stamp + "\r");
    return shapes;
}

// 256 sites at the shortest interval on a local server: the resident size settles, every check
// counted is an access line in a log, and no log line is cut or mixed with another.
TEST(SoakTest, HeadlessMonitorOfTheMostSitesAtTheShortestInterval) {
    constexpr int kSites = 256;
    constexpr int kInterval = 10;
    const int seconds = SecondsFromEnvironment("WEXFOLD_SOAK_SECONDS", 60);
    TempFolder folder{true};
    NginxServer server(folder.Path(), nullptr, std::chrono::seconds(seconds + 120));
    std::vector<SiteRecord> list;
    for (int i = 0; i < kSites; ++i) {
        const std::string path = "/page?site=" + std::to_string(1000 + i).substr(1);
        list.push_back(Site("soak%03d", i, server.Url(path), kInterval));
    }
    // Every site starts in the same second, so the fetches come in bursts. The resident size
    // is read between bursts, once a burst's fetches are over: the highest reading in the last
    // interval before the mark, against the highest after it. The mark is the first minute, or
    // the first half of a shorter run but never before the second burst is over: the first
    // bursts still grow the allocator's arenas.
    const int mark = seconds >= 360 ? 60 : std::max(seconds / 2, 2 * kInterval);
    long before = 0;
    long after = 0;
    const RunFigures run = RunHeadlessFor(list, seconds, {}, [&](double elapsed, long rss) {
        const double phase = std::fmod(elapsed, kInterval);
        if (phase < 6 || phase > 9.5 || elapsed < mark - kInterval) return;
        long& peak = elapsed > mark ? after : before;
        peak = std::max(peak, rss);
    });
    long accessLines = 0;
    long badLines = 0;
    for (const SiteRecord& site : list) {
        const auto lines = LogLines("log/"s + site.name);
        accessLines += std::count_if(lines.begin(), lines.end(),
                                     [](const auto& line) { return line.starts_with(kAccess); });
        for (const auto& line : lines) {
            if (std::regex_match(line, LineShapes())) continue;
            if (++badLines <= 5) ADD_FAILURE() << site.name << ": not a log line: " << line;
        }
    }
    EXPECT_EQ(badLines, 0);
    EXPECT_EQ(run.broken, 0u);
    EXPECT_EQ(static_cast<unsigned long long>(accessLines), run.finished);
    EXPECT_GE(run.finished, static_cast<unsigned long long>(kSites * (seconds / kInterval)));
    // A sanitizer's own bookkeeping grows for a while: the bound holds without one.
    EXPECT_TRUE(kSanitized || after - before < 2048) << before << " kB, then " << after << " kB";
    std::printf(
        "%d sites every %d s for %d s: %llu checks, peak threads %ld; resident size "
        "peak %ld kB up to %d s, %ld kB after (%+ld kB)\n",
        kSites, kInterval, seconds, run.finished, run.threads, before, mark, after, after - before);
}

}  // namespace
}  // namespace wexfold::testing
