// The report reader over one day's log file of a site, read in chunks and whole: every filter,
// every page.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "core/logs/ReportBuilder.h"
#include "core/logs/ReportCsv.h"
#include "core/sites/TextModeCodec.h"

namespace wexfold::fuzz {
namespace {

constexpr std::int64_t kDay = 1774738800;  // 2026-03-29 00:00 local, a day of 23 hours
constexpr int kFilters[] = {1, 3, 4, 5, 6, 8, 9};

// Steps through every page forward and back, reading each one.
std::size_t ReadEveryPage(const Report& report) {
    ReportPager pager(report);
    std::size_t read = pager.PageText().size();
    pager.PageLabel();
    while (pager.Next() == ReportPager::Step::kMoved) {
        read += pager.PageText().size();
        pager.PageLabel();
    }
    Check(report.PageCount() == 0 || pager.currentPage + 1 == report.PageCount(),
          "paging stopped before the last page");
    while (pager.Previous() == ReportPager::Step::kMoved) pager.PageText();
    Check(pager.currentPage == 0, "paging back stopped before the first page");
    return read;
}

}  // namespace
}  // namespace wexfold::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::filesystem::create_directories(wexfold::fuzz::WorkFolder() / "log" / "shop");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wexfold;
    using namespace wexfold::fuzz;
    // Repeated past the 16 KiB a file's first chunk holds, so chunk ends fall inside lines,
    // pieces and CR LF pairs at whatever offset the input's length gives.
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string stored(input);
    while (size != 0 && stored.size() < 20000) stored += input;
    WriteFile(WorkFolder() / "log" / "shop" / "03292026", stored);
    const std::string decoded = DecodeTextMode(stored);

    Report first;
    for (const int filter : kFilters) {
        ReportRequest request;
        request.fromTime = kDay;
        request.toTime = kDay;
        request.filterCode = filter;
        request.siteName = "shop";
        const Report report = BuildReport(request, WorkFolder());
        Check(report.days.size() == 1 && report.days[0].midnight == kDay, "one day, one figure");
        Check(report.PageCount() != 0, "the day's file was not read");
        const DayFigures& day = report.days[0];
        Check(day.brokenSeconds == report.brokenSeconds &&
                  day.connectedSeconds == report.connectedSeconds &&
                  day.averageSpeed == report.averageSpeed,
              "a single day's figures differ from the report's");

        // Reading the stored bytes directly gives the same report as reading the file.
        Report direct;
        ReadLogFile(stored, filter, direct);
        bool samePages = direct.PageCount() == report.PageCount();
        for (std::size_t page = 0; samePages && page < report.PageCount(); ++page) {
            samePages = direct.PageText(page) == report.PageText(page);
        }
        Check(samePages && direct.brokenSeconds == report.brokenSeconds &&
                  direct.connectedSeconds == report.connectedSeconds &&
                  direct.averageSpeed == report.averageSpeed,
              "file and in-memory reading differ");

        if (filter == kFilters[0]) first = report;
        Check(report.brokenSeconds == first.brokenSeconds &&
                  report.connectedSeconds == first.connectedSeconds &&
                  report.averageSpeed == first.averageSpeed,
              "the filter changed the figures");

        const std::size_t read = ReadEveryPage(report);
        if (filter == kFilterAll) {
            std::string joined;
            for (std::size_t page = 0; page < report.PageCount(); ++page) {
                joined += report.PageText(page);
            }
            Check(joined == decoded, "the full report lost or changed lines");
            Check(read == decoded.size(), "a page was read short");
        }
        report.BrokenLabel();
        report.ConnectivityLabel();
        report.SpeedLabel();
        ReportCsvText(report);
    }
    return 0;
}
