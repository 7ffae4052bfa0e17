#include "core/logs/ReportCsv.h"

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

bool WriteReportCsv(const Report& report, const std::filesystem::path& path) {
    const std::string text = ReportCsvText(report);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    // fclose flushes, so a full disk shows up here rather than being lost.
    return std::fclose(file) == 0 && written;
}

}  // namespace wexfold
