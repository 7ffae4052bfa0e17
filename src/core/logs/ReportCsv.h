// A report's per-day figures as comma-separated values, one row per day of the range.
#pragma once

#include <filesystem>
#include <string>

#include "core/common/Result.h"
#include "core/logs/ReportBuilder.h"

namespace wexfold {

// "day,broken_seconds,connected_seconds,average_kbps", then a row per day such as
// "2026-12-01,100,300,37"; every line ends with LF.
std::string ReportCsvText(const Report& report);

// Writes ReportCsvText to path, replacing a file already there. A failure says why the file
// could not be made or not every byte reached it ("cannot write the CSV file 'PATH': ...").
Result WriteReportCsv(const Report& report, const std::filesystem::path& path);

}  // namespace wexfold
