// The log writer: stored bytes, the change of day, deleting old files, folders and modes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "LogTestSupport.h"
#include "core/logs/EventLog.h"
#include "core/logs/ReportBuilder.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"

namespace wexfold {
namespace {

using logtest::At;
using logtest::NamedSite;

class EventLogTest : public ::testing::Test {
  protected:
    std::filesystem::path FileOf(const char* name, const char* day) const {
        return folder.Path() / "log" / name / day;
    }

    void Event(int id) { log.Append(sites[0], Text(id) + log.DateText(DateKind::kStamp) + "\r\n"); }

    logtest::ScratchFolder folder;
    ManualClock clock{At(2026, 3, 10, 12, 0, 0)};
    std::vector<SiteRecord> sites;
    EventLog log{clock, sites, folder.Path()};
};

TEST_F(EventLogTest, LinesAreStoredInTextMode) {
    sites.push_back(NamedSite("shop"));
    log.OpenSiteLog(sites[0]);
    Event(191);
    log.Append(sites[0], FormatText(Text(195), 30));
    Event(191);
    log.ExitLogging();
    EXPECT_EQ(logtest::ReadBytes(FileOf("shop", "03102026")),
              "* 10 seconds interval time.\r\r\n"
              "Start monitor.  12:00:00 03/10 2026 \r\r\n"
              "* 30 seconds. Reset interval time by user order.Start monitor.  12:00:00 03/10 2026 "
              "\r\r\n"
              "Exit program.  12:00:00 03/10 2026 \r\n");
}

// A 60-second site broken all day long, on the day after midnight was crossed in three ways:
// a stamp that first comes at 00:01, no stamp at all (the site stopped, only the one-second
// tick runs), and a zone whose summer time skips 00:00 (Havana's rule, given as a POSIX zone).
TEST_F(EventLogTest, EachWayPastMidnightMovesOnceAndKeepsTheInterval) {
    const struct {
        const char* zone;
        int year, month, day;  // the day before the change
        int firstHour, firstMinute;
        bool tickOnly;
    } crossings[] = {
        {"Asia/Kolkata", 2026, 1, 9, 0, 1, false},
        {"Asia/Kolkata", 2026, 1, 9, 0, 0, true},
        {"CST5CDT,M3.2.0/0,M11.1.0/1", 2026, 3, 7, 0, 0, false},
    };
    for (const auto& c : crossings) {
        const logtest::ZoneScope zone(c.zone);
        logtest::ScratchFolder base;
        std::vector<SiteRecord> list{NamedSite("shop")};
        list[0].intervalSeconds = 60;
        EventLog dayLog(clock, list, base.Path());
        const std::int64_t midnight = At(c.year, c.month, c.day + 1);
        clock.Set(midnight - 30);
        dayLog.OpenSiteLog(list[0]);
        dayLog.Append(list[0], Text(192) + dayLog.DateText(DateKind::kStamp) + "\r\n");
        clock.Set(At(c.year, c.month, c.day + 1, c.firstHour, c.firstMinute, 1));
        const std::filesystem::path next =
            base.Path() / "log" / "shop" / FormatText("%02d%02d%d", c.month, c.day + 1, c.year);
        if (c.tickOnly) dayLog.CheckDay();
        EXPECT_EQ(std::filesystem::exists(next), c.tickOnly) << c.zone;
        int stamps = 0;
        for (; clock.Now() < At(c.year, c.month, c.day + 2); clock.Advance(60), ++stamps) {
            dayLog.Append(list[0], Text(192) + dayLog.DateText(DateKind::kStamp) + "\r\n");
        }
        ReportRequest request;
        request.siteName = "shop";
        request.fromTime = request.toTime = At(c.year, c.month, c.day + 1);
        EXPECT_EQ(BuildReport(request, base.Path()).brokenSeconds, 60 * stamps) << c.zone;
        const std::string day = logtest::ReadBytes(next);
        EXPECT_EQ(day.find("* 60 seconds interval time.\r\r\n"), 0u) << c.zone;
        EXPECT_EQ(day.find("* ", 1), std::string::npos) << c.zone;
        request.fromTime = request.toTime = At(c.year, c.month, c.day);
        EXPECT_EQ(BuildReport(request, base.Path()).brokenSeconds, 60) << c.zone;
    }
}

TEST_F(EventLogTest, OldDayFilesGoAtStartAndAtTheChangeOfDay) {
    clock.Set(At(2026, 3, 31, 23, 59, 59));
    sites = {NamedSite("shop"), NamedSite("keep")};
    sites[1].autoDeleteLogs = 0;
    // Dated a month ago or earlier (March 31 reaches back to "February 31"), names that are no
    // real day, and days since then.
    const char* old[] = {"02282026", "02012026", "12312025", "03302025"};
    const char* kept[] = {"03012026", "03302026", "02302026", "13012026", "0301202", "notes"};
    for (const char* site : {"shop", "keep"}) {
        for (const char* name : old) logtest::WriteBytes(FileOf(site, name), "old");
        for (const char* name : kept) logtest::WriteBytes(FileOf(site, name), "new");
    }
    log.OpenSiteLog(sites[0]);
    log.OpenSiteLog(sites[1]);
    for (const char* name : old) {
        EXPECT_FALSE(std::filesystem::exists(FileOf("shop", name))) << name;
        EXPECT_TRUE(std::filesystem::exists(FileOf("keep", name))) << name;
    }
    for (const char* name : kept)
        EXPECT_TRUE(std::filesystem::exists(FileOf("shop", name))) << name;

    // The next day's change reaches March 1; in January it goes back to December.
    clock.Advance(2);
    log.CheckDay();
    EXPECT_FALSE(std::filesystem::exists(FileOf("shop", "03012026")));
    EXPECT_TRUE(std::filesystem::exists(FileOf("shop", "03302026")));
    EXPECT_EQ(log.DateText(DateKind::kMonthAgoName), "03012026");
    clock.Set(At(2026, 1, 10, 8, 0, 0));
    EXPECT_EQ(log.DateText(DateKind::kMonthAgoName), "12102025");
    EXPECT_EQ(log.DateText(DateKind::kTodayName), "01102026");
    EXPECT_EQ(log.DateText(DateKind::kStamp), " 08:00:00 01/10 2026 ");
}

TEST_F(EventLogTest, FoldersAreMadeWhenMissingAndKeptPrivate) {
    // A missing folder at start-up is made; a file an older version left readable is closed up.
    logtest::WriteBytes(FileOf("shop", "03102026"), "old\r\n");
    ::chmod(FileOf("shop", "03102026").c_str(), 0644);
    ::chmod(FileOf("shop", "").c_str(), 0755);
    sites = {NamedSite("shop"), NamedSite("absent")};
    for (SiteRecord& site : sites) log.OpenSiteLog(site);
    const auto mode = [](const std::filesystem::path& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0u;
    };
    for (const char* name : {"shop", "absent"}) {
        EXPECT_EQ(mode(FileOf(name, "03102026")), 0600u) << name;
        EXPECT_EQ(mode(FileOf(name, "")), 0700u) << name;
    }
    EXPECT_EQ(mode(folder.Path() / "log"), 0700u);
    EXPECT_EQ(logtest::ReadBytes(FileOf("shop", "03102026")),
              "old\r\n* 10 seconds interval time.\r\r\n");

    // A renamed site logs into its new name's folder from its next line on.
    std::snprintf(sites[0].name, sizeof sites[0].name, "renamed");
    log.OpenSiteLog(sites[0]);
    Event(191);
    EXPECT_EQ(logtest::ReadBytes(FileOf("renamed", "03102026")),
              "* 10 seconds interval time.\r\r\nStart monitor.  12:00:00 03/10 2026 \r\r\n");
}

TEST_F(EventLogTest, UnsafeNamesAndClosedSitesWriteNothing) {
    const std::filesystem::path inner = folder.Path() / "inner";
    EventLog innerLog(clock, sites, inner);
    for (const char* name : {"..", ".", "a/b", "", "x\\y"}) {
        SiteRecord site = NamedSite(name);
        innerLog.OpenSiteLog(site);
        EXPECT_EQ(site.logFile, 0u) << name;
        innerLog.Append(site, "line\n");
    }
    EXPECT_FALSE(std::filesystem::exists(inner));

    sites.push_back(NamedSite("shop"));
    sites[0].logEnabled = 0;  // the open and exit lines are written whatever the options
    log.OpenSiteLog(sites[0]);
    SiteRecord copy = sites[0];
    log.Close(sites[0]);
    log.Append(sites[0], "after\n");
    log.Append(copy, "after\n");
    log.OpenSiteLog(sites[0]);
    clock.Advance(61);
    log.ExitLogging();
    EXPECT_EQ(logtest::ReadBytes(FileOf("shop", "03102026")),
              "* 10 seconds interval time.\r\r\n* 10 seconds interval time.\r\r\n"
              "Exit program.  12:01:01 03/10 2026 \r\n");
}

}  // namespace
}  // namespace wexfold
