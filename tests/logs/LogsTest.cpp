// Log files (bytes, modes, the change of day, old files, why a site has none) and the reports
// read from them; "--report" with its CSV file; the Report tab's checks and the site it picks.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "core/logs/EventLog.h"
#include "core/logs/ReportCommand.h"
#include "core/logs/ReportTab.h"
#include "core/sites/SiteAddress.h"
#include "core/sites/SiteListFile.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {
namespace {

namespace fs = std::filesystem;

const std::string kBroken = "! Failed! can't connectivy. end of  10:00:00 12/05 2026 \r\r\n";
const std::string kSuccess = "..Access successed!\r\r\n";

std::int64_t At(int year, int month, int day, int hour = 0, int minute = 0) {
    return LocalMidnight(year, month, day) + hour * 3600 + minute * 60;
}

// Without an address: joe's site at vault.example, with a password.
SiteRecord Site(const char* name, const char* fetchUrl = nullptr) {
    SiteRecord site = NewSiteRecord();
    std::strncpy(site.name, name, sizeof site.name - 1);
    if (fetchUrl) std::strncpy(site.fetchUrl, fetchUrl, sizeof site.fetchUrl - 1);
    EXPECT_TRUE(fetchUrl || (AssignHost(site.url, "vault.example") && AssignUser(site.url, "joe") &&
                             AssignPassword(site.url, "p@ss:w/rd") && ComposeFetchUrl(site)));
    return site;
}

struct ZoneScope {  // TZ set for the scope
    explicit ZoneScope(const char* zone) { setenv("TZ", zone, 1), tzset(); }
    ~ZoneScope() { setenv("TZ", previous.c_str(), 1), tzset(); }
    const std::string previous = std::getenv("TZ");
};

std::string Times(const std::string& line, int times) {
    std::string text;
    while (times-- > 0) text += line;
    return text;
}

std::string Speed(int kb) {
    return FormatText(".Download speed: %d kb/s\r\r\n", kb);
}

Report Read(const std::string& stored, int filterCode = kFilterAll) {
    Report report;
    ReadLogFile(stored, filterCode, report);
    return report;
}

std::string Labels(const Report& report) {
    return report.BrokenLabel() + "|" + report.ConnectivityLabel() + "|" + report.SpeedLabel();
}

class LogsTest : public ::testing::Test {
  protected:
    fs::path FileOf(const char* name, const char* day = "03102026") const {
        return folder.Path() / "log" / name / day;
    }
    int Run(const std::string& words) {  // "--report" and the words split at blanks
        std::istringstream in(words);
        const std::vector<std::string> args{std::istream_iterator<std::string>(in), {}};
        out.str("");
        err.str("");
        return RunReportCommand(args, out, err, clock, folder.Path());
    }
    ReportTabOutcome View() const { return ViewReportChoice(choice, sites, clock); }

    TempFolder folder;
    ManualClock clock{At(2026, 3, 10, 12)};
    std::vector<SiteRecord> sites{Site("shop", ""), Site("new", "")};
    EventLog log{clock, sites, folder.Path()};
    std::ostringstream out;
    std::ostringstream err;
    const std::string csv = (folder.Path() / "days.csv").string();
    // November 31 (December 1) to December 6, 2026, every filter, the first site.
    ReportTabChoice choice{10, "31", "2026", 11, "6", "2026", true, true, true, "http://shop/"};
};

TEST_F(LogsTest, OpenSitesAppendTextModeLinesToPrivateFiles) {
    WriteText(FileOf("shop"), "old\r\n");
    ::chmod(FileOf("shop").c_str(), 0644);  // as an older version left them
    ::chmod(FileOf("shop", "").c_str(), 0755);
    for (SiteRecord& site : sites) log.OpenSiteLog(site);
    {
        // Lines a batch holds reach the file when it closes, or else when the batch ends.
        const EventLog::Batch held(log);
        log.Append(sites[0], Text(191) + log.DateText(DateKind::kStamp) + "\r\n");
        log.Append(sites[0], FormatText(Text(195), 30));
        log.Close(sites[0]);
        log.Append(sites[0], "after\n");
        log.Append(sites[1], "held\n");
        EXPECT_FALSE(FileText(FileOf("new")).ends_with("held\r\n"));
    }
    EXPECT_TRUE(FileText(FileOf("new")).ends_with("\r\nheld\r\n"));
    clock.Advance(61);
    log.OpenSiteLog(sites[0]);
    log.ExitLogging();
    EXPECT_EQ(FileText(FileOf("shop")),
              "old\r\n* 10 seconds interval time.\r\r\nStart monitor.  12:00:00 03/10 2026 \r\r\n"
              "* 30 seconds. Reset interval time by user order.* 10 seconds interval time.\r\r\n"
              "Exit program.  12:01:01 03/10 2026 \r\n");
    const auto mode = [](const fs::path& path) {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0u;
    };
    for (const char* name : {"shop", "new"}) {
        EXPECT_EQ(mode(FileOf(name)), 0600u) << name;
        EXPECT_EQ(mode(FileOf(name, "")), 0700u) << name;
    }
    EXPECT_EQ(mode(folder.Path() / "log"), 0700u);
}

// Past midnight three ways: a stamp first at 00:01, only the one-second tick, and a zone whose
// summer time skips 00:00 (Havana's rule); the log's folder and the one above it made on the way.
TEST_F(LogsTest, EachWayPastMidnightMovesOnceWithTheIntervalLine) {
    // clang-format off
    const struct { const char* zone; int month, day, firstMinute; bool tickOnly; } crossings[] = {
        {"Asia/Kolkata", 1, 10, 1, false}, {"Asia/Kolkata", 1, 10, 0, true},
        {"CST5CDT,M3.2.0/0,M11.1.0/1", 3, 8, 0, false}};
    // clang-format on
    for (const auto& c : crossings) {
        const ZoneScope zone(c.zone);
        const TempFolder base;
        EventLog dayLog(clock, sites, base.Path() / "data");
        clock.Set(At(2026, c.month, c.day) - 30);
        dayLog.OpenSiteLog(sites[0]);
        clock.Set(At(2026, c.month, c.day, 0, c.firstMinute) + 1);
        if (c.tickOnly) dayLog.CheckDay();
        int stamps = 0;
        for (; !c.tickOnly && clock.Now() < At(2026, c.month, c.day + 1); clock.Advance(60)) {
            dayLog.Append(sites[0], Text(192) + dayLog.DateText(DateKind::kStamp) + "\r\n");
            ++stamps;
        }
        const std::string day = FileText(base.Path() / "data" / "log" / "shop" /
                                         FormatText("%02d%02d2026", c.month, c.day));
        EXPECT_EQ(day.rfind("* 10 seconds interval time.\r\r\n", 0), 0u) << c.zone;
        EXPECT_EQ(std::count(day.begin(), day.end(), '\n'), 1 + stamps) << c.zone;
    }
}

TEST_F(LogsTest, OldDayFilesGoAtStartAndAtEachNewDay) {
    // On March 31 the cut reaches back to "February 31": files dated then or earlier go; later
    // days, names that are no real day and the files of a site without the option stay.
    clock.Set(At(2026, 3, 31, 23, 59) + 59);
    sites[1].autoDeleteLogs = 0;
    const char* const old[] = {"02282026", "01092026", "12312025",
                               "03302025", "02292024", "02292000"};
    const char* const kept[] = {"03012026", "03302026", "02302026", "02292025", "13012026",
                                "00102026", "03002026", "0:012025", "0301202"};
    for (const char* site : {"shop", "new"}) {
        for (const char* name : old) WriteText(FileOf(site, name), "old");
        for (const char* name : kept) WriteText(FileOf(site, name), "new");
    }
    WriteText(FileOf("shop", "12102026"), "old");
    for (SiteRecord& site : sites) log.OpenSiteLog(site);
    for (const char* name : old) {
        EXPECT_TRUE(!fs::exists(FileOf("shop", name)) && fs::exists(FileOf("new", name))) << name;
    }
    for (const char* name : kept) EXPECT_TRUE(fs::exists(FileOf("shop", name))) << name;
    // April 1 reaches March 1; in January the cut goes back to December.
    clock.Advance(2);
    log.CheckDay();
    EXPECT_FALSE(fs::exists(FileOf("shop", "03012026")));
    EXPECT_TRUE(fs::exists(FileOf("shop", "12102026")));
    clock.Set(At(2027, 1, 10, 8));
    log.CheckDay();
    EXPECT_FALSE(fs::exists(FileOf("shop", "12102026")));
}

TEST_F(LogsTest, ASiteWithoutALogFileWritesNothingAndTheReasonIsKept) {
    EventLog innerLog(clock, sites, folder.Path() / "inner");
    for (const char* name : {"..", ".", "a/b", "", "x\\y"}) {
        SiteRecord site = Site(name, "");
        innerLog.OpenSiteLog(site);
        innerLog.Append(site, "line\n");
        EXPECT_EQ(innerLog.OpenResult(site).Message(),
                  "'" + std::string(name) + "' cannot name a log folder");
    }
    EXPECT_FALSE(fs::exists(folder.Path() / "inner"));
    WriteText(folder.Path() / "log", "");  // a file where the log folder belongs
    log.OpenSiteLog(sites[0]);
    EXPECT_EQ(log.OpenResult(sites[0]).Message(),
              "cannot make the folder " + (folder.Path() / "log").string() + ": Not a directory");
    fs::remove(folder.Path() / "log");
    log.OpenSiteLog(sites[0]);
    EXPECT_TRUE(log.OpenResult(sites[0]));
    // Nor is a file outside a site's folder read for a report: base/log/../03102026 and others.
    WriteText(folder.Path() / "03102026", kBroken);
    WriteText(folder.Path() / "log" / "03102026", kBroken);
    for (const char* name : {"..", ".", "", "a/b", "../log/shop"}) {
        EXPECT_EQ(
            BuildReport({clock.Now(), clock.Now(), 9, "", name, ""}, folder.Path()).PageCount(), 0u)
            << name;
    }
}

TEST(ReportFigures, SumsAveragesAndLabelsFollowTheLinesRead) {
    const std::string longLine = "!" + std::string(254, 'a');  // one piece of 255 characters
    // clang-format off
    const struct { std::string stored; std::int64_t broken, connected; int speed; } cases[] = {
        // An interval read as atoi reads it, blanks of every kind skipped.
        {"* 60 seconds interval time.\r\r\n" + kBroken + "* \t\r7\r\n" + kSuccess, 60, 7, 0},
        // A running average that a zero does not start; large values are held, not wrapped.
        {Speed(0) + Speed(109) + Speed(50) + Speed(0), 0, 0, 39},
        {Times(".Download speed: 9999999999\r\r\n", 2), 0, 0, 2147483647},
        // The reset line has no line end: the broken line behind it reads as an interval line.
        {kSuccess + FormatText(Text(195), 30) + kBroken + kBroken, 30, 10, 0},
        // Pieces of 255 characters, each classed by itself.
        {longLine + "!" + std::string(44, 'b') + "\r\n" + longLine + "x\r\n", 30, 0, 0}};
    // clang-format on
    for (const auto& c : cases) {
        const Report report = Read(c.stored);
        EXPECT_EQ(std::tie(report.brokenSeconds, report.connectedSeconds, report.averageSpeed),
                  std::tuple(c.broken, c.connected, c.speed))
            << c.stored.substr(0, 40);
    }
    EXPECT_EQ(Labels(Read(Times(kBroken, 10) + Times(kSuccess, 30) + Speed(7))),
              "Broken link Rate: 25%, 1.66 Minutes|Connectivity Rate:75%, 5 Minutes|"
              "Average download speed: 7 kb/s");
    // A broken rate that rounds down to 0 shows 1%; a damaged file's zero sum divides nothing.
    EXPECT_EQ(Labels(Read(kBroken + "* -10 seconds interval time.\r\r\n" + kSuccess)),
              "Broken link Rate: 1%, 0.16 Minutes|Connectivity Rate:0%, -0.16 Minutes|"
              "Average download speed: No Data!");
    EXPECT_EQ(Read(kBroken).ConnectivityLabel(), "Connectivity Rate:0%, 0 Minutes");
    EXPECT_EQ(Labels(Read("Start monitor.\r\r\n")),
              "Break Rate: 0%, 0 Minutes |Connectivity Rate: 100%, 0 Minutes |"
              "Average download speed: No Data!");
}

TEST(ReportLines, FiltersListTheirClassesInPagesOfFiftyCountedLines) {
    // A line of each class: interval, other, broken, success, speed.
    const std::string lines[] = {"* 10 seconds interval time.", "Start monitor.", "! Failed!",
                                 "..Access successed!", ".Download speed: 8 kb/s"};
    std::string stored;
    for (const std::string& line : lines) stored += line + "\r\r\n";
    for (const auto& [code, listed] :
         {std::pair{1, "2"}, {3, "3"}, {5, "4"}, {4, "23"}, {6, "24"}, {8, "34"}, {9, "01234"}}) {
        std::string page;
        for (const char* line = listed; *line != '\0'; ++line) page += lines[*line - '0'] + "\r\n";
        EXPECT_EQ(Read(stored, code).PageText(0), page) << code;
    }
    Report report = Read(Times(kBroken, 50), kFilterBroken);
    EXPECT_EQ(report.PageCount(), 2u);
    ReadLogFile(kBroken, kFilterBroken, report);  // each file starts a page
    EXPECT_EQ(report.PageCount(), 3u);
    // Uncounted lines listed under filter 9 do not bring the break nearer.
    const Report all = Read(Times("Start monitor.\r\r\n" + kBroken, 50) + kSuccess);
    ASSERT_EQ(all.PageCount(), 2u);
    EXPECT_EQ(all.PageText(0).size(), 50 * (kBroken.size() + 15));
    EXPECT_EQ(all.PageText(1), "..Access successed!\r\n");
}

TEST_F(LogsTest, ReportCommandRefusesBadArgumentsAndWritesNothing) {
    EXPECT_EQ(Run("shop 2026-03-01 2026-03-11 --csv " + csv), 1);
    EXPECT_EQ(err.str(), "'To' date can't later than Today\n");
    EXPECT_EQ(Run("shop 1900-01-01 1900-01-01"), 0);  // the first day there is
                                                      // clang-format off
    for (const char* words : {
            "shop 2026-03-01", "a/b 2026-03-01 2026-03-02", "shop 2026-03-011 2026-03-02",
            "shop 1899-03-01 2026-03-02", "shop 2026-13-01 2026-03-02", "shop 2026-00-01 2026-03-02",
            "shop 2026-03-00 2026-03-02", "shop 2026-03-32 2026-03-02", "shop 2026-03-01 2026/03/02",
            "shop 2026-03-01 +026-03-02", "shop 2026-03-01 2026-03-02 --filter",
            "shop 2026-03-01 2026-03-02 --filters broken", "shop 2026-03-01 2026-03-02 --filter x",
            "shop 2026-03-01 2026-03-02 --filter broken,", "shop 2026-03-01 2026-03-02 --csv a --csv b",
            "shop 2026-03-01 2026-03-02 --filter broken,broken", "shop 2026-03-01 2026-03-02 --csv",
            "shop 2026-03-01 2026-03-02 --csv a --filter",
            "shop 2026-03-01 2026-03-02 --filter speed --filter broken"}) {
        // clang-format on
        EXPECT_EQ(Run(words), 2) << words;
        EXPECT_NE(err.str().find("usage: wexfold --report"), std::string::npos) << words;
        EXPECT_EQ(out.str(), "");
    }
    EXPECT_FALSE(fs::exists(csv));
}

// In Berlin, where summer time begins on March 29, 2026, that day of 23 hours is one row of the
// CSV file, and so is the last one after it. Each day's speed is averaged from its own file, the
// range's runs on across the days.
TEST_F(LogsTest, ReportCommandPrintsWithoutPasswordsAndWritesTheDays) {
    const ZoneScope zone("Europe/Berlin");
    clock.Set(At(2026, 12, 6, 15));
    const SiteRecord site = Site("shop");
    ASSERT_TRUE(SaveSiteList({site}, (folder.Path() / "siteurl").string()));
    WriteText(FileOf("shop", "03292026"), "* 20 seconds interval time.\r\r\n! Failed!\r\r\nBegin " +
                                              std::string(site.fetchUrl) + "\r\r\n" + Speed(100) +
                                              Speed(50));
    WriteText(FileOf("shop", "03302026"),
              kSuccess + Speed(0) + Speed(12) +
                  "Exit.\r\n* 30 seconds. Reset interval time by user order.\r");
    ASSERT_EQ(Run("shop 2026-03-28 2026-03-30 --csv " + csv), 0) << err.str();
    EXPECT_EQ(
        out.str(),
        "URL: http://joe@vault.example\nBroken link Rate: 66%, 0.33 Minutes\n"
        "Connectivity Rate:33%, 0.16 Minutes\nAverage download speed: 24 kb/s\n"
        " 0 of 1 pages\n=== page 0\n* 20 seconds interval time.\n! Failed!\n"
        "Begin http://joe@vault.example\n.Download speed: 100 kb/s\n"
        ".Download speed: 50 kb/s\n=== page 1\n..Access successed!\n.Download speed: 0 kb/s\n"
        ".Download speed: 12 kb/s\nExit.\n* 30 seconds. Reset interval time by user order.\n");
    EXPECT_EQ(FileText(csv),
              "day,broken_seconds,connected_seconds,average_kbps\n2026-03-28,0,0,0\n"
              "2026-03-29,20,0,75\n2026-03-30,0,10,12\n");
    // Filter words in any order, before or after the file; a day past a month's end carries.
    ASSERT_EQ(Run("shop 2026-02-31 2026-03-30 --filter speed,broken --csv " + csv), 0);
    EXPECT_NE(out.str().find("\n=== page 0\n! Failed!\n.Download speed: 100 kb/s\n"
                             ".Download speed: 50 kb/s\n=== page 1\n.Download speed: 0 kb/s\n"),
              std::string::npos);
    // A file that cannot be made fails the command with the reason, before anything is printed.
    for (const auto& [path, reason] :
         {std::pair{(folder.Path() / "no" / "days.csv").string(), "No such file or directory"},
          {folder.Path().string(), "Is a directory"}}) {
        EXPECT_EQ(Run("shop 2026-03-28 2026-03-30 --csv " + path), 1);
        EXPECT_EQ(out.str(), "");
        EXPECT_EQ(err.str(), "wexfold: cannot write the CSV file '" + path + "': " + reason + "\n");
    }
}

TEST_F(LogsTest, ReportTabRefusesInOrderAndPicksTheLastSiteWithTheAddress) {
    clock.Set(At(2026, 12, 6, 15));
    sites = {Site("shop", "http://shop/"), Site("mirror", "http://shop/"), Site("secret")};
    // Every check fails at first; mending one after the other uncovers the next.
    const ReportTabChoice good = choice;
    choice = {-1, "", "", -1, "", "", false, false, false, good.reportUrl};
    EXPECT_EQ(ViewReportChoice(choice, {}, clock).refusal,
              (ReportRefusal{"No URL is selected! No log data.", "No URL", true}));
    // Controls that make no date, on both sides: the From date is named.
    // clang-format off
    const struct { int month; const char* day; const char* year; } bad[] = {
        {-1, "6", "2026"}, {12, "6", "2026"}, {11, "0", "2026"}, {11, "32", "2026"},
        {11, "-1", "2026"}, {11, "", "2026"}, {11, "6x", "2026"}, {11, "99999999999", "2026"},
        {11, "6", "1899"}, {11, "6", ""}, {11, "6", " 2026"}};
    // clang-format on
    const auto refusal = [&] { return View().refusal.value_or(ReportRefusal{}); };
    for (const auto& c : bad) {
        std::tie(choice.fromMonth, choice.fromDay, choice.fromYear) =
            std::tie(c.month, c.day, c.year);
        std::tie(choice.toMonth, choice.toDay, choice.toYear) = std::tie(c.month, c.day, c.year);
        EXPECT_EQ(refusal().text, "The 'From' date is not a valid date.") << c.day << c.year;
    }
    std::tie(choice.fromMonth, choice.fromDay, choice.fromYear) = std::tuple(11, "8", "2026");
    EXPECT_EQ(refusal().text, "The 'To' date is not a valid date.");
    std::tie(choice.toMonth, choice.toDay, choice.toYear) = std::tuple(11, "7", "2026");
    EXPECT_EQ(refusal().text, "'To' date can't later than 'From' date");
    choice.fromDay = "1";
    EXPECT_EQ(refusal(), (ReportRefusal{"'To' date can't later than Today", "Select date error"}));
    choice.toDay = "6";
    EXPECT_EQ(refusal().text, "You must select a filter.");
    choice.speed = true;
    EXPECT_EQ(View().request.filterCode, 5);
    // Of two sites with the address the later one's folder is read.
    choice = good;
    const ReportRequest request = View().request;
    EXPECT_EQ(std::tie(request.fromTime, request.toTime, request.filterCode, request.siteName),
              std::tuple(At(2026, 12, 1), At(2026, 12, 6), 9, "mirror"));
    // A password is shown nowhere, and is handed on to be taken out of the lines.
    choice.reportUrl = sites[2].fetchUrl;
    EXPECT_EQ(std::tuple(View().request.urlText, View().request.password),
              std::tuple("http://joe@vault.example", "p@ss:w/rd"));
    choice.reportUrl = "ftp://joe:old@pw@gone.example/";
    EXPECT_EQ(View().request.urlText, "ftp://gone.example/");
}

}  // namespace
}  // namespace wexfold::testing
