#include "core/logs/ReportBuilder.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <system_error>

#include "core/logs/Clock.h"
#include "core/sites/SiteName.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"

namespace wexfold {

namespace {

constexpr int kLinesPerPage = 50;
// The most of a page the dialog shows: far more than 50 lines of any log, but a page of a
// damaged file that is one huge uncounted line stays small enough to show.
constexpr std::size_t kShownPageMax = 1024 * 1024;

enum class LineClass { kInterval, kBroken, kSuccess, kSpeed, kOther };

// The class of a piece by its first characters; stored and decoded bytes agree on them.
LineClass Classify(std::string_view piece) {
    if (piece.empty()) return LineClass::kOther;
    switch (piece[0]) {
        case '*':
            return LineClass::kInterval;
        case '!':
            return LineClass::kBroken;
        case '.':
            return piece.size() > 1 && piece[1] == '.' ? LineClass::kSuccess : LineClass::kSpeed;
        default:
            return LineClass::kOther;
    }
}

bool Counted(LineClass kind) {
    return kind == LineClass::kBroken || kind == LineClass::kSuccess || kind == LineClass::kSpeed;
}

// Which classes the filter lists, indexed by LineClass.
struct Listing {
    explicit Listing(int filterCode) {
        listed[static_cast<int>(LineClass::kBroken)] =
            filterCode == 1 || filterCode == 4 || filterCode == 6 || filterCode == 9;
        listed[static_cast<int>(LineClass::kSuccess)] =
            filterCode == 3 || filterCode == 4 || filterCode == 8 || filterCode == 9;
        listed[static_cast<int>(LineClass::kSpeed)] =
            filterCode == 5 || filterCode == 6 || filterCode == 8 || filterCode == 9;
        listed[static_cast<int>(LineClass::kInterval)] = filterCode == kFilterAll;
        listed[static_cast<int>(LineClass::kOther)] = filterCode == kFilterAll;
    }
    bool operator()(LineClass kind) const { return listed[static_cast<int>(kind)]; }
    bool listed[5] = {};
};

bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The integer that begins at position start of the piece, as the C library's atoi reads it
// (leading blanks, an optional sign, digits; 0 without digits), held to 32 bits. A stored CR
// LF reads as blanks, as its decoded LF does.
std::int32_t IntegerAt(std::string_view piece, std::size_t start) {
    std::size_t at = start;
    while (at < piece.size() && IsBlank(piece[at])) ++at;
    const bool negative = at < piece.size() && piece[at] == '-';
    if (at < piece.size() && (piece[at] == '-' || piece[at] == '+')) ++at;
    std::int64_t value = 0;
    for (; at < piece.size() && piece[at] >= '0' && piece[at] <= '9'; ++at) {
        value = std::min<std::int64_t>(value * 10 + (piece[at] - '0'), std::int64_t{1} << 32);
    }
    if (negative) value = -value;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

std::string LocalText(std::int64_t time, const char* format) {
    const auto seconds = static_cast<std::time_t>(time);
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) return {};
    char text[128];
    return std::string(text, std::strftime(text, sizeof text, format, &local));
}

// Local midnight of the calendar day after the one that holds time; -1 when it cannot be made.
// A fixed step of 86,400 seconds would land on the same date or an hour into the next one
// where daylight saving time begins or ends.
std::int64_t NextMidnight(std::int64_t time) {
    const auto seconds = static_cast<std::time_t>(time);
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) return -1;
    return LocalMidnight(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday + 1);
}

// part * 100 / whole; a sum that negative intervals in a damaged file brought to zero or
// below gives 0 instead of a division by zero.
std::int64_t Rate(std::int64_t part, std::int64_t whole) {
    return whole > 0 ? part * 100 / whole : 0;
}

// The running average: the first non-zero speed starts it, each later one halves the way.
void AddSpeed(std::int32_t& average, std::int32_t speed) {
    average = average == 0
                  ? speed
                  : static_cast<std::int32_t>((static_cast<std::int64_t>(average) + speed) / 2);
}

// Adds one file of the report to its figures, its day's figures and its page starts.
void ScanFile(Report& report, DayFigures& day, const std::function<void()>& progress) {
    const auto file = static_cast<std::uint32_t>(report.files.size() - 1);
    const Listing listed(report.filterCode);
    report.pageStarts.push_back({file, 0});
    int counted = 0;
    std::int32_t interval = 10;
    LogPieceReader reader;
    const auto piece = [&](std::string_view stored, std::uint64_t end) {
        const LineClass kind = Classify(stored);
        switch (kind) {
            case LineClass::kInterval:
                interval = IntegerAt(stored, 2);
                break;
            case LineClass::kBroken:
                report.brokenSeconds += interval;
                day.brokenSeconds += interval;
                break;
            case LineClass::kSuccess:
                report.connectedSeconds += interval;
                day.connectedSeconds += interval;
                break;
            case LineClass::kSpeed: {
                const std::int32_t speed = IntegerAt(stored, 17);
                AddSpeed(report.averageSpeed, speed);
                AddSpeed(day.averageSpeed, speed);
                break;
            }
            case LineClass::kOther:
                break;
        }
        if (Counted(kind) && listed(kind) && ++counted == kLinesPerPage) {
            report.pageStarts.push_back({file, end});
            counted = 0;
        }
        return true;
    };
    report.files.back().size = reader.Read(report.files.back(), 0, UINT64_MAX, piece, progress);
}

// Takes every ":password@" out of the text, leaving the "@".
void HidePassword(std::string& text, const std::string& password) {
    if (password.empty()) return;
    const std::string secret = ":" + password + "@";
    for (std::size_t at = 0; (at = text.find(secret, at)) != std::string::npos;) {
        text.erase(at, secret.size() - 1);
    }
}

}  // namespace

std::string MinutesText(std::int64_t seconds) {
    // The sign is written once, so a negative sum from a damaged file reads "-1.50", not "-1.-50".
    const std::uint64_t magnitude =
        seconds < 0 ? 0 - static_cast<std::uint64_t>(seconds) : static_cast<std::uint64_t>(seconds);
    std::string text = seconds < 0 ? "-" : "";
    text += std::to_string(magnitude / 60);
    if (magnitude % 60 != 0)
        text += FormatText(".%02d", static_cast<int>(magnitude % 60 * 100 / 60));
    return text;
}

void ReadLogFile(std::string_view stored, int filterCode, Report& report) {
    DayFigures unused;
    report.filterCode = filterCode;
    report.files.push_back({{}, std::make_shared<const std::string>(stored), 0});
    ScanFile(report, unused, {});
}

Report BuildReport(const ReportRequest& request, const std::filesystem::path& base,
                   const std::function<void()>& progress) {
    Report report;
    report.filterCode = request.filterCode;
    report.password = request.password;
    const bool safe = IsSafeSiteName(request.siteName.c_str());
    std::error_code error;
    const std::filesystem::path root =
        (base.empty() ? std::filesystem::current_path(error) : base) / "log" / request.siteName;
    std::int64_t day = request.fromTime;
    do {
        DayFigures& figures = report.days.emplace_back();
        figures.midnight = day;
        const std::filesystem::path path = root / LocalText(day, "%m%d20%y");
        if (safe && ::access(path.c_str(), R_OK) == 0 &&
            !std::filesystem::is_directory(path, error)) {
            report.files.push_back({path, nullptr, 0});
            ScanFile(report, figures, progress);
        }
        const std::int64_t next = NextMidnight(day);
        if (next <= day) break;  // a time the calendar cannot step past ends the range
        day = next;
    } while (day <= request.toTime);
    return report;
}

std::string Report::PageText(std::size_t page, std::size_t limit) const {
    std::string text;
    if (page >= pageStarts.size()) return text;
    const PageStart& start = pageStarts[page];
    const LogFile& file = files.at(start.file);
    const Listing listed(filterCode);
    int counted = 0;
    LogPieceReader reader;
    reader.Read(file, start.offset, file.size, [&](std::string_view stored, std::uint64_t) {
        const LineClass kind = Classify(stored);
        if (!listed(kind)) return true;
        AppendPieceText(text, stored);
        if (Counted(kind) && ++counted == kLinesPerPage) return false;
        return text.size() < limit;
    });
    HidePassword(text, password);
    return text;
}

std::string Report::BrokenLabel() const {
    if (brokenSeconds <= 0) return Translate("Break Rate: 0%, 0 Minutes ");
    std::int64_t rate = Rate(brokenSeconds, brokenSeconds + connectedSeconds);
    if (rate == 0) rate = 1;
    return Translate("Broken link Rate: ") + std::to_string(rate) + "%, " +
           MinutesText(brokenSeconds) + Translate(" Minutes");
}

std::string Report::ConnectivityLabel() const {
    if (brokenSeconds <= 0 && connectedSeconds <= 0) {
        return Translate("Connectivity Rate: 100%, 0 Minutes ");
    }
    return Translate("Connectivity Rate:") +
           std::to_string(Rate(connectedSeconds, brokenSeconds + connectedSeconds)) + "%, " +
           MinutesText(connectedSeconds) + Translate(" Minutes");
}

std::string Report::SpeedLabel() const {
    if (averageSpeed == 0) return Translate("Average download speed: No Data!");
    return FormatText(Translate("Average download speed: %d kb/s"), averageSpeed);
}

std::string ReportCaption(const ReportRequest& request) {
    return Translate("Form ") + LocalText(request.fromTime, Translate("%m/%d 20%y to ")) +
           LocalText(request.toTime, Translate("%m/%d 20%y - Show Report - ")) + request.siteName;
}

std::string ReportUrlLabel(const ReportRequest& request) {
    return Translate("URL: ") + request.urlText;
}

std::string ReportDateLabel(const ReportRequest& request) {
    return Translate("Form: ") + LocalText(request.fromTime, Translate("%B %d, 20%y\nTo:     ")) +
           LocalText(request.toTime, "%B %d, 20%y");
}

std::string ReportPager::PageText() const {
    if (report_.PageCount() == 0) return Translate("NO DATA!");
    return report_.PageText(currentPage, kShownPageMax);
}

std::string ReportPager::PageLabel() const {
    const int last = report_.PageCount() == 0 ? 0 : static_cast<int>(report_.PageCount()) - 1;
    return FormatText(Text(227), static_cast<int>(currentPage), last);
}

ReportPager::Step ReportPager::Previous() {
    if (currentPage == 0) return Step::kFirstPage;
    --currentPage;
    return Step::kMoved;
}

ReportPager::Step ReportPager::Next() {
    if (currentPage + 1 >= report_.PageCount()) return Step::kLastPage;
    ++currentPage;
    return Step::kMoved;
}

const char* ReportPager::NoteText(ReportPager::Step step) {
    return step == Step::kFirstPage ? Text(225) : Text(226);
}

}  // namespace wexfold
