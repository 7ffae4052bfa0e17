// The headless mode watching 256 sites at the shortest interval (10 seconds) on a local
// server for WEXFOLD_SOAK_SECONDS (60 by default; scripts/soak.sh runs 600): its resident size
// settles, every check it counts is an access line in a log, and no log line is cut or mixed
// with another.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "RunSupport.h"
#include "core/engine/CurlFetchLoop.h"
#include "core/server/HeadlessMonitor.h"
#include "core/sites/SiteListFile.h"
#include "fixtures/LocalServers.h"

namespace wexfold::testing {
namespace {

constexpr int kSites = 256;
constexpr int kInterval = 10;

// Every line shape the log writer makes for sites fetching a page, each line whole: an event
// text ends in CR LF, stored as CR CR LF; the exit line ends in LF, stored as CR LF.
const std::regex& LineShapes() {
    static const std::string stamp = R"( \d\d:\d\d:\d\d \d\d/\d\d 20\d\d )";
    static const std::string url = R"(http://127\.0\.0\.1:\d+/page\?site=\d{3})";
    static const std::regex shapes(
        R"((\* \d+ seconds interval time\.|Start monitor\. )" + stamp +
        R"(|Finding Resouce\.127\.0\.0\.1|Connecting 127\.0\.0\.1|Sending request\. )"
        R"(|MIME Type available text/html; charset=utf-8)"
        R"(|(Begin download data |Downloading data |End download data ))" +
        url + R"((   \d+ of \d+ )?|\.\.Access successed! end of )" + stamp +
        R"(|! Failed! can't connectivy\. end of )" + stamp + R"(|\.Download speed: \d+ kb/s )" +
        stamp + ")\r\r|Exit program\\. " + stamp + "\r");
    return shapes;
}

TEST(SoakTest, HeadlessMonitorOfTheMostSitesAtTheShortestInterval) {
    const int seconds = SecondsFromEnvironment("WEXFOLD_SOAK_SECONDS", 60);
    TempFolder folder{true};
    NginxServer server(folder.Path(), nullptr, std::chrono::seconds(seconds + 120));
    std::vector<SiteRecord> list;
    for (int i = 0; i < kSites; ++i) {
        SiteRecord site = NewSiteRecord();
        std::snprintf(site.name, sizeof site.name, "soak%03d", i);
        char path[24];
        std::snprintf(path, sizeof path, "/page?site=%03d", i);
        std::snprintf(site.fetchUrl, sizeof site.fetchUrl, "%s", server.Url(path).c_str());
        site.active = 1;
        site.intervalUnit = kIntervalSeconds;
        site.intervalSeconds = kInterval;
        list.push_back(site);
        std::filesystem::create_directories(folder.Path() / "log" / site.name);
    }
    ASSERT_TRUE(SaveSiteList(list));

    // Every site starts in the same second, so the fetches come in bursts. The resident size
    // is read between bursts, once a burst's fetches are over: the highest reading in the last
    // interval before the mark, against the highest after it. The mark is the first minute, or
    // the first half of a shorter run but never before the second burst is over: the first
    // bursts still grow the allocator's arenas.
    const int mark = seconds >= 360 ? 60 : std::max(seconds / 2, 2 * kInterval);
    long before = 0;
    long after = 0;
    ProcessPeaks peaks;
    const auto start = std::chrono::steady_clock::now();
    auto nextSample = start;
    const SystemClock clock;
    HeadlessOptions options;
    options.fetcher = std::make_shared<CurlFetchLoop>();
    options.clock = &clock;
    options.exitRequested = [&] {
        const auto now = std::chrono::steady_clock::now();
        if (now >= nextSample) {
            nextSample = now + std::chrono::milliseconds(200);
            const long rss = peaks.Sample();
            const double elapsed = std::chrono::duration<double>(now - start).count();
            const double phase = std::fmod(elapsed, kInterval);
            if (phase >= 6 && phase <= 9.5 && elapsed > mark) {
                after = std::max(after, rss);
            } else if (phase >= 6 && phase <= 9.5 && elapsed >= mark - kInterval) {
                before = std::max(before, rss);
            }
        }
        return now - start >= std::chrono::seconds(seconds);
    };
    // The event lines (hundreds of thousands in a long run) go to a file.
    std::ofstream out(folder.Path() / "printed");
    std::ostringstream err;
    EXPECT_EQ(RunHeadless(options, out, err), 0);
    out.close();
    EXPECT_EQ(err.str(), "");

    const std::string printed = FileText(folder.Path() / "printed");
    unsigned long long finished = 0;
    unsigned long long broken = 0;
    ASSERT_EQ(std::sscanf(printed.c_str() + printed.rfind("\nwexfold: ") + 1,
                          "wexfold: %llu checks finished, %llu broken links", &finished, &broken),
              2);
    long accessLines = 0;
    long brokenLines = 0;
    long badLines = 0;
    for (const SiteRecord& site : list) {
        const auto lines = LogLines(folder.Path() / "log" / site.name);
        accessLines += CountLines(lines, "..Access successed! end of ");
        brokenLines += CountLines(lines, "! Failed! can't connectivy. end of ");
        for (const auto& line : lines) {
            if (std::regex_match(line, LineShapes())) continue;
            if (++badLines <= 5) ADD_FAILURE() << site.name << ": not a log line: " << line;
        }
    }
    EXPECT_EQ(badLines, 0);
    EXPECT_EQ(static_cast<unsigned long long>(accessLines), finished - broken);
    EXPECT_EQ(static_cast<unsigned long long>(brokenLines), broken);
    EXPECT_EQ(broken, 0u);
    EXPECT_GE(finished, static_cast<unsigned long long>(kSites * (seconds / kInterval)));
    // A sanitizer's own bookkeeping grows for a while: the bound holds without one.
    if (!kSanitized) {
        EXPECT_LT(after - before, 2048);
    }
    std::printf(
        "%d sites every %d s for %d s: %llu checks, %zu printed bytes; peak threads %ld; "
        "resident size peak %ld kB up to %d s, %ld kB after (%+ld kB)\n",
        kSites, kInterval, seconds, finished, printed.size(), peaks.threads, before, mark, after,
        after - before);
}

}  // namespace
}  // namespace wexfold::testing
