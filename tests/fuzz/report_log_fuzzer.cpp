// The report reader over one day's log file of a site, read in chunks and whole: every filter,
// every page.
#include "FuzzSupport.h"
#include "core/logs/ReportBuilder.h"
#include "core/logs/ReportCsv.h"
#include "core/sites/TextModeCodec.h"

namespace wexfold::fuzz {
namespace {

constexpr std::int64_t kDay = 1774738800;  // 2026-03-29 00:00 local, a day of 23 hours

template <typename Figures>
auto Of(const Figures& f) {
    return std::tuple(f.brokenSeconds, f.connectedSeconds, f.averageSpeed);
}

std::vector<std::string> Pages(const Report& report) {
    std::vector<std::string> pages(report.PageCount());
    for (std::size_t page = 0; page < pages.size(); ++page) pages[page] = report.PageText(page);
    return pages;
}

// Steps through every page forward and back, reading each one; the size of all pages read.
std::size_t ReadEveryPage(const Report& report) {
    ReportPager pager(report);
    std::size_t read = pager.PageText().size();
    for (pager.PageLabel(); pager.Next() == ReportPager::Step::kMoved; pager.PageLabel()) {
        read += pager.PageText().size();
    }
    Check(report.PageCount() == 0 || pager.currentPage + 1 == report.PageCount(),
          "paging stopped before the last page");
    while (pager.Previous() == ReportPager::Step::kMoved) pager.PageText();
    Check(pager.currentPage == 0, "paging back stopped before the first page");
    return read;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Repeated past the 16 KiB a file's first chunk holds, so chunk ends fall inside lines,
    // pieces and CR LF pairs at whatever offset the input's length gives.
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string stored(input);
    while (size != 0 && stored.size() < 20000) stored += input;
    std::filesystem::create_directories(WorkFolder() / "log" / "shop");
    WriteFile(WorkFolder() / "log" / "shop" / "03292026", stored);
    const std::string decoded = DecodeTextMode(stored);

    Report first;
    for (const int filter : {1, 3, 4, 5, 6, 8, 9}) {
        const Report report = BuildReport({kDay, kDay, filter, {}, "shop", {}}, WorkFolder());
        Check(report.days.size() == 1 && report.days[0].midnight == kDay, "one day, one figure");
        Check(report.PageCount() != 0, "the day's file was not read");
        Check(Of(report.days[0]) == Of(report), "a single day's figures differ from the report's");
        // Reading the stored bytes directly gives the same report as reading the file.
        Report direct;
        ReadLogFile(stored, filter, direct);
        const std::vector<std::string> pages = Pages(report);
        Check(Pages(direct) == pages && Of(direct) == Of(report),
              "file and in-memory reading differ");
        if (filter == 1) first = report;
        Check(Of(report) == Of(first), "the filter changed the figures");
        const std::size_t read = ReadEveryPage(report);
        Check(filter != kFilterAll ||
                  (std::accumulate(pages.begin(), pages.end(), std::string()) == decoded &&
                   read == decoded.size()),
              "the full report lost or changed lines, or a page was read short");
        ReportCsvText(report);
    }
    return 0;
}

}  // namespace wexfold::fuzz
