// Writes a month of full-detail logs of one busy site (a fetch every 10 seconds) through the
// log writer, then times the report over it next to `wc -l` over the same files.
#include <unistd.h>
#include <chrono>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

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

template <typename Work>
double Time(Work work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return Seconds(std::chrono::steady_clock::now() - start).count();
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
    request.filterCode = wexfold::kFilterAll;
    const double allTime = Time([&] { pages = wexfold::BuildReport(request, base).pages.size(); });
    request.filterCode = wexfold::kFilterBroken;
    const double brokenTime = Time([&] { wexfold::BuildReport(request, base); });
    int status = 0;
    const double wcTime =
        Time([&] { status = std::system(("wc -l" + files + " > /dev/null").c_str()); });

    std::printf("logs written: %d days, %.1f MB in %.2f s (%d files)\n", kDays, megabytes,
                writeTime, kDays);
    std::printf("report filter 9: %.3f s, %.1f MB/s, %zu pages\n", allTime, megabytes / allTime,
                pages);
    std::printf("report filter 1: %.3f s, %.1f MB/s\n", brokenTime, megabytes / brokenTime);
    std::printf("wc -l:           %.3f s, %.1f MB/s%s\n", wcTime, megabytes / wcTime,
                status == 0 ? "" : " (wc failed)");
    std::printf("ratio report/wc: filter 9 %.1f, filter 1 %.1f\n", allTime / wcTime,
                brokenTime / wcTime);
    std::filesystem::remove_all(base, error);
    return 0;
}
