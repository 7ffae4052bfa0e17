// The log writer: stored bytes, the change of day, the monthly deletion and unsafe names.
#include <gtest/gtest.h>

#include "LogTestSupport.h"
#include "core/logs/EventLog.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"

namespace wexfold {
namespace {

using logtest::At;
using logtest::NamedSite;

SiteRecord Site(const char* name) {
    return NamedSite(name);
}

class EventLogTest : public ::testing::Test {
  protected:
    std::filesystem::path FileOf(const char* name, const char* day) const {
        return folder.Path() / "log" / name / day;
    }

    logtest::ScratchFolder folder;
    ManualClock clock{At(2026, 3, 10, 12, 0, 0)};
    std::vector<SiteRecord> sites;
    EventLog log{clock, sites, folder.Path()};
};

TEST_F(EventLogTest, LinesAreStoredInTextMode) {
    sites.push_back(Site("shop"));
    log.OpenSiteLog(sites[0], true);
    const std::string stamp = log.DateText(DateKind::kStamp);
    log.Append(sites[0], Text(191) + stamp + "\r\n");
    log.Append(sites[0], FormatText(Text(195), 30));
    log.Append(sites[0], Text(191) + stamp + "\r\n");
    log.ExitLogging();
    EXPECT_EQ(logtest::ReadBytes(FileOf("shop", "03102026")),
              "* 10 seconds interval time.\r\r\n"
              "Start monitor.  12:00:00 03/10 2026 \r\r\n"
              "* 30 seconds. Reset interval time by user order.Start monitor.  12:00:00 03/10 2026 "
              "\r\r\n"
              "Exit program.  12:00:00 03/10 2026 \r\n");
}

TEST_F(EventLogTest, MidnightMovesToTheNewDayAndDeletesLastMonth) {
    clock.Set(At(2026, 1, 9, 23, 59, 30));
    sites.push_back(Site("shop"));
    sites.push_back(Site("keep"));
    sites[1].autoDeleteLogs = 0;
    std::filesystem::create_directories(folder.Path() / "log" / "keep");
    logtest::WriteBytes(FileOf("keep", "12102025"), "old");
    log.OpenSiteLog(sites[0], true);
    log.OpenSiteLog(sites[1], false);
    logtest::WriteBytes(FileOf("shop", "12102025"), "old");
    log.Append(sites[0], "a\n");

    clock.Set(At(2026, 1, 10, 0, 0, 10));
    EXPECT_EQ(log.DateText(DateKind::kMonthAgoName), "12102025");
    log.Append(sites[0], "b\n");
    log.Append(sites[1], "c\n");

    EXPECT_EQ(logtest::ReadBytes(FileOf("shop", "01092026")), "* 10 seconds interval time.\r\r\na\r\n");
    EXPECT_EQ(logtest::ReadBytes(FileOf("shop", "01102026")), "b\r\n");
    EXPECT_EQ(logtest::ReadBytes(FileOf("keep", "01102026")), "c\r\n");
    EXPECT_FALSE(std::filesystem::exists(FileOf("shop", "12102025")));
    EXPECT_TRUE(std::filesystem::exists(FileOf("keep", "12102025")));
}

TEST_F(EventLogTest, NamesOfDaysKeepTheDayOfTheMonth) {
    clock.Set(At(2026, 3, 31, 8, 0, 0));
    EXPECT_EQ(log.DateText(DateKind::kMonthAgoName), "02312026");
    EXPECT_EQ(log.DateText(DateKind::kTodayName), "03312026");
    EXPECT_EQ(log.DateText(DateKind::kStamp), " 08:00:00 03/31 2026 ");
}

TEST_F(EventLogTest, UnsafeNamesAndMissingFoldersWriteNothing) {
    const std::filesystem::path inner = folder.Path() / "inner";
    EventLog innerLog(clock, sites, inner);
    for (const char* name : {"..", ".", "a/b", "", "x\\y"}) {
        SiteRecord site = Site(name);
        innerLog.OpenSiteLog(site, true);
        EXPECT_EQ(site.logFile, 0u) << name;
        innerLog.Append(site, "line\n");
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));

    // At start-up no folder is made: a site without one gets no file, and Close is harmless.
    SiteRecord site = Site("absent");
    log.OpenSiteLog(site, false);
    EXPECT_EQ(site.logFile, 0u);
    log.Append(site, "line\n");
    log.Close(site);
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

TEST_F(EventLogTest, ClosedSiteGetsNoMoreLines) {
    sites.push_back(Site("shop"));
    log.OpenSiteLog(sites[0], true);
    SiteRecord copy = sites[0];
    log.Close(sites[0]);
    log.Append(sites[0], "after\n");
    log.Append(copy, "after\n");
    EXPECT_EQ(logtest::ReadBytes(FileOf("shop", "03102026")), "* 10 seconds interval time.\r\r\n");
}

TEST_F(EventLogTest, SiteWithLoggingOffStillGetsTheOpenAndExitLines) {
    // The engine decides which event lines are written; the open and exit lines always are.
    sites.push_back(Site("quiet"));
    sites[0].logEnabled = 0;
    sites[0].intervalSeconds = 45;
    log.OpenSiteLog(sites[0], true);
    clock.Advance(61);
    log.ExitLogging();
    EXPECT_EQ(logtest::ReadBytes(FileOf("quiet", "03102026")),
              "* 45 seconds interval time.\r\r\nExit program.  12:01:01 03/10 2026 \r\n");
}

TEST(EventLogBase, EmptyBaseIsTheCurrentDirectoryAtEachUse) {
    logtest::ScratchFolder first;
    logtest::ScratchFolder second;
    const std::filesystem::path previous = std::filesystem::current_path();
    ManualClock clock(At(2026, 3, 10, 12, 0, 0));
    std::vector<SiteRecord> sites{Site("shop")};
    EventLog log(clock, sites);
    std::filesystem::current_path(first.Path());
    log.OpenSiteLog(sites[0], true);
    std::filesystem::current_path(second.Path());
    EXPECT_EQ(log.LogRoot(), second.Path() / "log");
    std::filesystem::current_path(previous);
    EXPECT_EQ(logtest::ReadBytes(first.Path() / "log" / "shop" / "03102026"),
              "* 10 seconds interval time.\r\r\n");
    EXPECT_FALSE(std::filesystem::exists(second.Path() / "log"));
}

}  // namespace
}  // namespace wexfold
