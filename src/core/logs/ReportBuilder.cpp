#include "core/logs/ReportBuilder.h"

#include <cstdlib>
#include <ctime>
#include <system_error>

#include "core/logs/Clock.h"
#include "core/logs/LogPieces.h"
#include "core/sites/SiteName.h"
#include "core/sites/TextModeCodec.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"

namespace wexfold {

namespace {

constexpr int kLinesPerPage = 50;

enum class LineClass { kInterval, kBroken, kSuccess, kSpeed, kOther };

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

bool Listed(LineClass kind, int filterCode) {
    const bool broken = filterCode == 1 || filterCode == 4 || filterCode == 6 || filterCode == 9;
    const bool success = filterCode == 3 || filterCode == 4 || filterCode == 8 || filterCode == 9;
    const bool speed = filterCode == 5 || filterCode == 6 || filterCode == 8 || filterCode == 9;
    switch (kind) {
        case LineClass::kBroken:
            return broken;
        case LineClass::kSuccess:
            return success;
        case LineClass::kSpeed:
            return speed;
        default:
            return filterCode == kFilterAll;
    }
}

// The integer that begins at position start of the piece, as the C library's atoi reads it
// (leading blanks, an optional sign, digits; 0 without digits), held to 32 bits.
std::int32_t IntegerAt(std::string_view piece, std::size_t start) {
    if (piece.size() <= start) return 0;
    const std::string text(piece.substr(start));
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(value);
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

// Adds the pieces of one file to the report's figures and pages and to its day's figures.
class FileReader {
  public:
    FileReader(int filterCode, Report& report, DayFigures& day)
        : filterCode_(filterCode), report_(report), day_(day), page_(report.pages.size()) {
        report.pages.emplace_back();
    }

    void Piece(std::string_view piece) {
        const LineClass kind = Classify(piece);
        if (kind == LineClass::kInterval) interval_ = IntegerAt(piece, 2);
        if (kind == LineClass::kBroken) {
            report_.brokenSeconds += interval_;
            day_.brokenSeconds += interval_;
        }
        if (kind == LineClass::kSuccess) {
            report_.connectedSeconds += interval_;
            day_.connectedSeconds += interval_;
        }
        if (kind == LineClass::kSpeed) {
            const std::int32_t speed = IntegerAt(piece, 17);
            AddSpeed(report_.averageSpeed, speed);
            AddSpeed(day_.averageSpeed, speed);
        }
        if (!Listed(kind, filterCode_)) return;
        report_.pages[page_].append(piece);
        if (kind == LineClass::kInterval || kind == LineClass::kOther) return;
        if (++counted_ == kLinesPerPage) {
            report_.pages.emplace_back();
            page_ = report_.pages.size() - 1;
            counted_ = 0;
        }
    }

  private:
    int filterCode_;
    Report& report_;
    DayFigures& day_;
    std::size_t page_;
    int counted_ = 0;
    std::int32_t interval_ = 10;
};

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
    FileReader reader(filterCode, report, unused);
    const PieceFunction piece = [&reader](std::string_view text) { reader.Piece(text); };
    std::string tail;
    CutPieces(DecodeTextMode(stored), tail, piece);
    if (!tail.empty()) piece(tail);
}

Report BuildReport(const ReportRequest& request, const std::filesystem::path& base,
                   const std::function<void()>& progress) {
    Report report;
    const bool safe = IsSafeSiteName(request.siteName.c_str());
    std::error_code error;
    const std::filesystem::path root =
        (base.empty() ? std::filesystem::current_path(error) : base) / "log" / request.siteName;
    std::int64_t day = request.fromTime;
    LogPieceReader file;  // one chunk buffer for every day, so a month does not fault in new memory
    do {
        DayFigures& figures = report.days.emplace_back();
        figures.midnight = day;
        if (safe && file.Open(root / LocalText(day, "%m%d20%y"))) {
            FileReader reader(request.filterCode, report, figures);
            file.Read([&reader](std::string_view piece) { reader.Piece(piece); }, progress);
        }
        const std::int64_t next = NextMidnight(day);
        if (next <= day) break;  // a time the calendar cannot step past ends the range
        day = next;
    } while (day <= request.toTime);
    return report;
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
    if (report_.pages.empty()) return Translate("NO DATA!");
    return report_.pages.at(currentPage);
}

std::string ReportPager::PageLabel() const {
    const int last = report_.pages.empty() ? 0 : static_cast<int>(report_.pages.size()) - 1;
    return FormatText(Text(227), static_cast<int>(currentPage), last);
}

ReportPager::Step ReportPager::Previous() {
    if (currentPage == 0) return Step::kFirstPage;
    --currentPage;
    return Step::kMoved;
}

ReportPager::Step ReportPager::Next() {
    if (report_.pages.empty() || currentPage + 1 >= report_.pages.size()) return Step::kLastPage;
    ++currentPage;
    return Step::kMoved;
}

const char* ReportPager::NoteText(ReportPager::Step step) {
    return step == Step::kFirstPage ? Text(225) : Text(226);
}

}  // namespace wexfold
