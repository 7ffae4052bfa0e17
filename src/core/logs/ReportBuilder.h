// A site's report over a range of days: the broken-link, connectivity and speed figures read
// from its daily log files, and the lines the filter lists, in pages of 50 counted lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/logs/LogPieces.h"

namespace wexfold {

// The filter codes: sums of 1 (broken links), 3 (connectivity) and 5 (download speed).
constexpr int kFilterBroken = 1;
constexpr int kFilterConnectivity = 3;
constexpr int kFilterSpeed = 5;
constexpr int kFilterAll = 9;

struct ReportRequest {
    std::int64_t fromTime = 0;  // local midnight of the first day
    std::int64_t toTime = 0;    // local midnight of the last day, inclusive
    int filterCode = kFilterAll;
    std::string urlText;  // the address as shown, without a password
    std::string siteName;
    std::string password;  // the site's password, taken out of the lines listed
};

// One day's share of a report's figures: the seconds summed and the speed averaged from that
// day's file alone, by the same rules as the whole range. All zero for a day without a file.
struct DayFigures {
    std::int64_t midnight = 0;  // local midnight of the day
    std::int64_t brokenSeconds = 0;
    std::int64_t connectedSeconds = 0;
    std::int32_t averageSpeed = 0;  // KB/s; 0 = no data
    bool operator==(const DayFigures&) const = default;
};

// Where a page's first line is: a file of the report and the offset of its stored bytes.
struct PageStart {
    std::uint32_t file = 0;
    std::uint64_t offset = 0;
};

// The figures of a report and where its pages are. The pages are not held: each is read from
// its file when it is asked for, so a report over huge files stays small.
struct Report {
    std::int64_t brokenSeconds = 0;
    std::int64_t connectedSeconds = 0;
    std::int32_t averageSpeed = 0;  // KB/s; 0 = no data
    std::vector<DayFigures> days;   // every day of the range in order, with a file or not

    int filterCode = kFilterAll;
    std::string password;               // taken out of every address in the listed lines
    std::vector<LogFile> files;         // the files read, in order
    std::vector<PageStart> pageStarts;  // empty when no file of the range was read

    std::size_t PageCount() const { return pageStarts.size(); }
    // The lines the page lists (at most 50 counted ones), as the file holds them with text
    // mode decoded and ":password@" shown as "@". Reading ends once the text holds limit bytes,
    // which only a page of huge uncounted lines reaches. The file is read as far as it was
    // when the report was built, so lines appended since then never shift a page.
    std::string PageText(std::size_t page, std::size_t limit = SIZE_MAX) const;

    std::string BrokenLabel() const;
    std::string ConnectivityLabel() const;
    std::string SpeedLabel() const;
};

// Reads every day's file of the range below base/log/<siteName>/ (an empty base is the
// current directory) for the figures and the page starts. The days are calendar days, so a
// change of daylight saving time neither reads a day twice nor skips the last one. A name
// that is not a safe folder name reads nothing, and its days all show zero. Files are read in
// chunks of bounded size, and progress (when given) is called after each chunk, so a caller
// with an event loop can keep it running.
Report BuildReport(const ReportRequest& request, const std::filesystem::path& base = {},
                   const std::function<void()>& progress = {});

// Adds one file's stored bytes (text mode), held in memory, to the report: a new page and the
// figures.
void ReadLogFile(std::string_view stored, int filterCode, Report& report);

// Minutes of X seconds: 90 gives "1.50", 65 "1.08", 120 "2".
std::string MinutesText(std::int64_t seconds);

// "Form 12/01 2026 to 12/05 2026 - Show Report - shop".
std::string ReportCaption(const ReportRequest& request);
// "URL: " and the address.
std::string ReportUrlLabel(const ReportRequest& request);
// Two lines: "Form: December 01, 2026" and "To:     December 05, 2026".
std::string ReportDateLabel(const ReportRequest& request);

// Which page of a report is shown, and the stepping between pages.
class ReportPager {
  public:
    enum class Step { kMoved, kFirstPage, kLastPage };

    explicit ReportPager(const Report& report) : report_(report) {}

    // The page's text (at most about 1 MiB of it), or "NO DATA!" when the report has no page.
    std::string PageText() const;
    // " %d of %d pages" with the page and the last page's index (" 0 of 0 pages" with none).
    std::string PageLabel() const;
    // Without a page to move to, the note to show ("This is first page!" or "This is last
    // page!") is given by NoteText.
    Step Previous();
    Step Next();
    static const char* NoteText(Step step);

    std::uint32_t currentPage = 0;

  private:
    const Report& report_;
};

}  // namespace wexfold
