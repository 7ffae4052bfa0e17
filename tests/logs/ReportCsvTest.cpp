// The per-day figures of a report and their CSV form, on files written by the log writer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <sstream>
#include <string>

#include "LogTestSupport.h"
#include "core/logs/EventLog.h"
#include "core/logs/ReportCsv.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"

namespace wexfold {
namespace {

using logtest::At;

// The CSV text split into its rows, the header left out.
std::vector<std::vector<std::string>> Rows(const std::string& csv) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(csv);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        std::vector<std::string>& cells = rows.emplace_back();
        std::istringstream fields(line);
        for (std::string cell; std::getline(fields, cell, ',');) cells.push_back(cell);
    }
    return rows;
}

class ReportCsvTest : public ::testing::Test {
  protected:
    // Three days of the engine's events for "shop": December 1 at 30 s with broken, success
    // and speed lines, nothing on December 2, December 3 still at 30 s after the change of day.
    void WriteThreeDays() {
        std::vector<SiteRecord> sites{logtest::NamedSite("shop")};
        sites[0].intervalSeconds = 30;
        EventLog log(clock, sites, folder.Path());
        const auto event = [&](int id, int kb = 0) {
            const std::string text = id == 196 ? FormatText(Text(id), kb) : Text(id);
            log.Append(sites[0], text + log.DateText(DateKind::kStamp) + "\r\n");
        };
        clock.Set(At(2026, 12, 1, 9, 0, 0));
        log.OpenSiteLog(sites[0]);
        event(191);
        for (int i = 0; i < 3; ++i) event(192);
        for (int i = 0; i < 5; ++i) event(193);
        event(196, 100);
        event(196, 50);
        clock.Set(At(2026, 12, 3, 9, 0, 0));
        event(192);
        event(193);
        event(196, 0);
        event(196, 12);
        log.ExitLogging();
    }

    ReportRequest Request(std::int64_t from, std::int64_t to) const {
        ReportRequest request;
        request.siteName = "shop";
        request.fromTime = from;
        request.toTime = to;
        return request;
    }

    logtest::ScratchFolder folder;
    ManualClock clock;
};

TEST_F(ReportCsvTest, OneRowPerDayWithThatDaysFigures) {
    WriteThreeDays();
    const Report report = BuildReport(Request(At(2026, 11, 30), At(2026, 12, 4)), folder.Path());
    ASSERT_EQ(report.days.size(), 5u);
    const std::vector<std::vector<std::string>> expected = {
        {"2026-11-30", "0", "0", "0"}, {"2026-12-01", "90", "150", "75"},
        {"2026-12-02", "0", "0", "0"}, {"2026-12-03", "30", "30", "12"},
        {"2026-12-04", "0", "0", "0"},
    };
    const std::string csv = ReportCsvText(report);
    EXPECT_EQ(csv.substr(0, csv.find('\n') + 1),
              "day,broken_seconds,connected_seconds,average_kbps\n");
    EXPECT_EQ(Rows(csv), expected);

    // The range's average runs on across the days (100, 50, 0, 12); each day's starts afresh.
    EXPECT_EQ(report.averageSpeed, (((100 + 50) / 2 + 0) / 2 + 12) / 2);
}

TEST_F(ReportCsvTest, DaylightSavingChangesNeitherRepeatNorLoseADay) {
    const logtest::ZoneScope zone("Europe/Berlin");
    // Summer time ends on October 25 and begins on March 29, 2026: one day of 25 hours, one of
    // 23. A file on each day of both ranges, the last one included.
    for (const auto& [month, first] : {std::pair{10, 24}, {3, 28}}) {
        for (int day = first; day < first + 3; ++day) {
            logtest::WriteBytes(
                folder.Path() / "log" / "shop" / FormatText("%02d%02d2026", month, day),
                "! Failed! can't connectivy. end of \r\r\n");
        }
        const Report report =
            BuildReport(Request(At(2026, month, first), At(2026, month, first + 2)), folder.Path());
        const std::vector<std::vector<std::string>> expected = {
            {FormatText("2026-%02d-%02d", month, first), "10", "0", "0"},
            {FormatText("2026-%02d-%02d", month, first + 1), "10", "0", "0"},
            {FormatText("2026-%02d-%02d", month, first + 2), "10", "0", "0"},
        };
        EXPECT_EQ(Rows(ReportCsvText(report)), expected) << month;
        EXPECT_EQ(report.brokenSeconds, 30) << month;
    }
}

}  // namespace
}  // namespace wexfold
