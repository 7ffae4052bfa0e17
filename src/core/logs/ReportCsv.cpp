#include "core/logs/ReportCsv.h"

#include <cerrno>
#include <cstdio>
#include <ctime>

namespace wexfold {

namespace {

// The day's local date as YYYY-MM-DD.
std::string DayText(std::int64_t midnight) {
    const auto seconds = static_cast<std::time_t>(midnight);
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) return {};
    char text[32];
    return std::string(text, std::strftime(text, sizeof text, "%Y-%m-%d", &local));
}

}  // namespace

std::string ReportCsvText(const Report& report) {
    std::string text = "day,broken_seconds,connected_seconds,average_kbps\n";
    for (const DayFigures& day : report.days) {
        text += DayText(day.midnight) + "," + std::to_string(day.brokenSeconds) + "," +
                std::to_string(day.connectedSeconds) + "," + std::to_string(day.averageSpeed) +
                "\n";
    }
    return text;
}

Result WriteReportCsv(const Report& report, const std::filesystem::path& path) {
    const std::string text = ReportCsvText(report);
    const std::string what = "cannot write the CSV file '" + path.string() + "'";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return Result::Failure(what, errno);
    errno = 0;
    const bool whole = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    int error = whole ? 0 : (errno != 0 ? errno : EIO);
    // fclose flushes, so a full disk shows up here rather than being lost.
    if (std::fclose(file) != 0 && error == 0) error = errno;
    if (error != 0) return Result::Failure(what, error);
    return {};
}

}  // namespace wexfold
