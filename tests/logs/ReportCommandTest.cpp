// "--report NAME FROM TO [--filter LIST]": arguments, the date range checks and the output.
#include <gtest/gtest.h>

#include <sstream>

#include "LogTestSupport.h"
#include "core/logs/ReportCommand.h"
#include "core/logs/ReportRange.h"
#include "core/sites/SiteAddress.h"
#include "core/sites/SiteListFile.h"

namespace wexfold {
namespace {

using logtest::At;

class ReportCommandTest : public ::testing::Test {
  protected:
    int Run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        return RunReportCommand(args, out, err, clock, folder.Path());
    }

    logtest::ScratchFolder folder;
    ManualClock clock{At(2026, 12, 6, 15, 0, 0)};
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(ReportCommandTest, BadArgumentsPrintTheUsage) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"shop", "2026-12-01"},
        {"shop", "2026-12-01", "2026-12-02", "--filter"},
        {"shop", "2026-12-01", "2026-12-02", "--filters", "broken"},
        {"..", "2026-12-01", "2026-12-02"},
        {"a/b", "2026-12-01", "2026-12-02"},
        {"shop", "2026-1-01", "2026-12-02"},
        {"shop", "1899-12-01", "2026-12-02"},
        {"shop", "2026-13-01", "2026-12-02"},
        {"shop", "2026-00-01", "2026-12-02"},
        {"shop", "2026-12-00", "2026-12-02"},
        {"shop", "2026-12-32", "2026-12-02"},
        {"shop", "2026-12-01", "2026/12/02"},
        {"shop", "2026-12-01", "+026-12-02"},
        {"shop", "2026-12-01", "2026-12-02", "--filter", "broken,broken"},
        {"shop", "2026-12-01", "2026-12-02", "--filter", "broken,"},
        {"shop", "2026-12-01", "2026-12-02", "--filter", ""},
        {"shop", "2026-12-01", "2026-12-02", "--filter", "latency"},
        {"shop", "2026-12-01", "2026-12-02", "--csv"},
        {"shop", "2026-12-01", "2026-12-02", "--csv", "a.csv", "--csv", "b.csv"},
        {"shop", "2026-12-01", "2026-12-02", "--filter", "speed", "--filter", "broken"},
        {"shop", "2026-12-01", "2026-12-02", "--csv", "a.csv", "--filter"},
    };
    for (const auto& args : cases) {
        EXPECT_EQ(Run(args), 2) << ::testing::PrintToString(args);
        EXPECT_NE(err.str().find("usage: wexfold --report"), std::string::npos);
        EXPECT_EQ(out.str(), "");
    }
}

TEST_F(ReportCommandTest, RefusedRangesExitWithOne) {
    EXPECT_EQ(Run({"shop", "2026-12-03", "2026-12-02"}), 1);
    EXPECT_EQ(err.str(), "'To' date can't later than 'From' date\n");
    EXPECT_EQ(Run({"shop", "2026-12-01", "2026-12-07"}), 1);
    EXPECT_EQ(err.str(), "'To' date can't later than Today\n");
    EXPECT_EQ(out.str(), "");
    // Today itself passes; a day past the month's end carries into the next month.
    EXPECT_EQ(Run({"shop", "2026-12-06", "2026-12-06"}), 0);
    EXPECT_EQ(Run({"shop", "2026-11-31", "2026-12-01"}), 0);
}

TEST_F(ReportCommandTest, PrintsLabelsAndPagesWithPlainLineEnds) {
    logtest::WriteBytes(folder.Path() / "log" / "shop" / "12012026",
                        "* 20 seconds interval time.\r\r\n"
                        "! Failed! can't connectivy. end of  10:00:00 12/01 2026 \r\r\n"
                        ".Download speed: 12 kb/s  10:00:01 12/01 2026 \r\r\n"
                        "Exit program.  10:00:02 12/01 2026 \r\n");
    logtest::WriteBytes(folder.Path() / "log" / "shop" / "12032026",
                        "..Access successed! end of  11:00:00 12/03 2026 \r\r\n"
                        "* 30 seconds. Reset interval time by user order.\r");
    ASSERT_EQ(Run({"shop", "2026-12-01", "2026-12-04"}), 0);
    EXPECT_EQ(out.str(),
              "Broken link Rate: 66%, 0.33 Minutes\n"
              "Connectivity Rate:33%, 0.16 Minutes\n"
              "Average download speed: 12 kb/s\n"
              " 0 of 1 pages\n"
              "=== page 0\n"
              "* 20 seconds interval time.\n"
              "! Failed! can't connectivy. end of  10:00:00 12/01 2026 \n"
              ".Download speed: 12 kb/s  10:00:01 12/01 2026 \n"
              "Exit program.  10:00:02 12/01 2026 \n"
              "=== page 1\n"
              "..Access successed! end of  11:00:00 12/03 2026 \n"
              "* 30 seconds. Reset interval time by user order.\n");
    EXPECT_EQ(err.str(), "");

    // The filter words in any order make the same code as the ticked boxes.
    ASSERT_EQ(Run({"shop", "2026-12-01", "2026-12-04", "--filter", "speed,broken"}), 0);
    EXPECT_NE(out.str().find("=== page 0\n! Failed!"), std::string::npos);
    const std::string tail = "kb/s  10:00:01 12/01 2026 \n=== page 1\n";
    ASSERT_GE(out.str().size(), tail.size());
    EXPECT_EQ(out.str().substr(out.str().size() - tail.size()), tail);
    ASSERT_EQ(Run({"shop", "2026-12-01", "2026-12-04", "--filter", "connectivity"}), 0);
    EXPECT_NE(out.str().find("=== page 0\n=== page 1\n..Access"), std::string::npos) << out.str();
}

TEST_F(ReportCommandTest, CsvOptionWritesTheDaysBesideTheNormalOutput) {
    logtest::WriteBytes(folder.Path() / "log" / "shop" / "12022026",
                        "* 20 seconds interval time.\r\r\n"
                        "! Failed! can't connectivy. end of  10:00:00 12/02 2026 \r\r\n"
                        ".Download speed: 12 kb/s  10:00:01 12/02 2026 \r\r\n");
    ASSERT_EQ(Run({"shop", "2026-12-01", "2026-12-03", "--filter", "broken"}), 0);
    const std::string plain = out.str();

    // Either order of the options; the printed report stays the same.
    const auto csv = folder.Path() / "days.csv";
    ASSERT_EQ(
        Run({"shop", "2026-12-01", "2026-12-03", "--csv", csv.string(), "--filter", "broken"}), 0);
    EXPECT_EQ(out.str(), plain);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(logtest::ReadBytes(csv),
              "day,broken_seconds,connected_seconds,average_kbps\n"
              "2026-12-01,0,0,0\n"
              "2026-12-02,20,0,12\n"
              "2026-12-03,0,0,0\n");

    // A file that cannot be made fails the command before anything is printed.
    for (const std::string& bad :
         {(folder.Path() / "no" / "days.csv").string(), folder.Path().string(), std::string()}) {
        EXPECT_EQ(Run({"shop", "2026-12-01", "2026-12-03", "--filter", "broken", "--csv", bad}), 1);
        EXPECT_EQ(out.str(), "");
        EXPECT_NE(err.str().find("cannot write the CSV file"), std::string::npos) << bad;
    }
    // A refused range writes no file.
    EXPECT_EQ(Run({"shop", "2026-12-01", "2026-12-09", "--csv", (folder.Path() / "x").string()}),
              1);
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "x"));
}

TEST_F(ReportCommandTest, ShowsTheAddressAndListsNoPassword) {
    SiteRecord site = logtest::NamedSite("shop");
    ASSERT_TRUE(AssignHost(site.url, "vault.example") && AssignUser(site.url, "joe") &&
                AssignPassword(site.url, "p@ss:w/rd") && ComposeFetchUrl(site));
    ASSERT_TRUE(SaveSiteList({site}, (folder.Path() / "siteurl").string()));
    logtest::WriteBytes(folder.Path() / "log" / "shop" / "12012026",
                        std::string("Begin download data. ") + site.fetchUrl + "\r\r\n");
    ASSERT_EQ(Run({"shop", "2026-12-01", "2026-12-01"}), 0);
    EXPECT_EQ(out.str().find("p@ss"), std::string::npos) << out.str();
    EXPECT_EQ(out.str().rfind("URL: http://joe@vault.example\n", 0), 0u) << out.str();
    EXPECT_NE(out.str().find("\nBegin download data. http://joe@vault.example\n"),
              std::string::npos);
}

TEST_F(ReportCommandTest, NoFilePrintsOnlyTheLabels) {
    ASSERT_EQ(Run({"shop", "2026-12-01", "2026-12-06", "--filter", "broken"}), 0);
    EXPECT_EQ(out.str(),
              "Break Rate: 0%, 0 Minutes \n"
              "Connectivity Rate: 100%, 0 Minutes \n"
              "Average download speed: No Data!\n"
              " 0 of 0 pages\n");
}

}  // namespace
}  // namespace wexfold
