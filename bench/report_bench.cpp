// Writes a month of full-detail logs of one busy site (a fetch every 10 seconds) through the
// log writer, then times the report over it next to `wc -l` over the same files, in rounds.
#include <unistd.h>
#include <algorithm>
#include <chrono>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "ProcStatus.h"
#include "core/logs/Clock.h"
#include "core/logs/EventLog.h"
#include "core/logs/ReportBuilder.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"

namespace {

using wexfold::DateKind;
using Seconds = std::chrono::duration<double>;

constexpr int kDays = 31;
constexpr int kFetchEvery = 10;
constexpr int kRounds = 7;

template <typename Work>
double Time(Work work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return Seconds(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Min(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

double Max(const std::vector<double>& values) {
    return *std::max_element(values.begin(), values.end());
}

// One fetch as the engine logs it with every detail: start, status and progress lines, the
// access line and the speed lines of the seconds that received data.
void WriteFetch(wexfold::EventLog& log, wexfold::ManualClock& clock, wexfold::SiteRecord& site) {
    log.Append(site, wexfold::Text(191) + log.DateText(DateKind::kStamp) + "\r\n");
    log.Append(site, "Finding Resouce.shop.example\r\n");
    log.Append(site, "Connecting 127.0.0.1\r\n");
    log.Append(site, "Sending request. \r\n");
    log.Append(site, "Begin download data.   0 of 48213 \r\n");
    log.Append(site, "Downloading data.   16384 of 48213 \r\n");
    clock.Advance(1);
    log.Append(site, wexfold::FormatText(wexfold::Text(196), 16) + log.DateText(DateKind::kStamp) +
                         "\r\n");
    log.Append(site, "Downloading data.   48213 of 48213 \r\n");
    log.Append(site, "End download data.   48213 of 48213 \r\n");
    log.Append(site, wexfold::Text(193) + log.DateText(DateKind::kStamp) + "\r\n");
    clock.Advance(1);
    log.Append(site, wexfold::FormatText(wexfold::Text(196), 31) + log.DateText(DateKind::kStamp) +
                         "\r\n");
    clock.Advance(kFetchEvery - 2);
}

}  // namespace

int main() {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path() /
                                       ("wexfold-report-bench-" + std::to_string(::getpid()));
    std::filesystem::remove_all(base, error);

    const std::int64_t first = wexfold::LocalMidnight(2026, 1, 1);
    wexfold::ManualClock clock(first);
    std::vector<wexfold::SiteRecord> sites{wexfold::NewSiteRecord()};
    std::snprintf(sites[0].name, sizeof sites[0].name, "busy");
    sites[0].autoDeleteLogs = 0;
    const double writeTime = Time([&] {
        wexfold::EventLog log(clock, sites, base);
        log.OpenSiteLog(sites[0]);
        while (clock.Now() < first + kDays * 86400LL) WriteFetch(log, clock, sites[0]);
    });

    std::uintmax_t bytes = 0;
    std::string files;
    int fileCount = 0;
    for (const auto& entry : std::filesystem::directory_iterator(base / "log" / "busy")) {
        bytes += entry.file_size();
        ++fileCount;
        files += " '" + entry.path().string() + "'";
    }
    const double megabytes = static_cast<double>(bytes) / (1024.0 * 1024.0);

    wexfold::ReportRequest request;
    request.siteName = "busy";
    request.fromTime = first;
    request.toTime = first + (kDays - 1) * 86400LL;
    std::size_t pages = 0;
    // The sides take turns, so a busy moment of the machine falls on each alike; each figure is
    // the median of its rounds.
    std::vector<double> all;
    std::vector<double> broken;
    std::vector<double> wc;
    int status = 0;
    for (int round = 0; round < kRounds; ++round) {
        request.filterCode = wexfold::kFilterAll;
        all.push_back(Time([&] { pages = wexfold::BuildReport(request, base).PageCount(); }));
        request.filterCode = wexfold::kFilterBroken;
        broken.push_back(Time([&] { wexfold::BuildReport(request, base); }));
        wc.push_back(
            Time([&] { status |= std::system(("wc -l" + files + " > /dev/null").c_str()); }));
    }
    const double allTime = Median(all);
    const double brokenTime = Median(broken);
    const double wcTime = Median(wc);

    std::printf("logs written: %d days, %.1f MB in %.2f s (%d files)\n", kDays, megabytes,
                writeTime, fileCount);
    std::printf("medians of %d rounds (spread min-max)\n", kRounds);
    std::printf("report filter 9: %.3f s (%.3f-%.3f), %.1f MB/s, %zu pages\n", allTime, Min(all),
                Max(all), megabytes / allTime, pages);
    std::printf("report filter 1: %.3f s (%.3f-%.3f), %.1f MB/s\n", brokenTime, Min(broken),
                Max(broken), megabytes / brokenTime);
    std::printf("wc -l:           %.3f s (%.3f-%.3f), %.1f MB/s%s\n", wcTime, Min(wc), Max(wc),
                megabytes / wcTime, status == 0 ? "" : " (wc failed)");
    std::printf("ratio report/wc: filter 9 %.2f, filter 1 %.2f\n", allTime / wcTime,
                brokenTime / wcTime);
    std::printf("peak RSS of the report process: %ld kB\n", StatusField("VmHWM"));
    std::filesystem::remove_all(base, error);
    return 0;
}
