// The Report tab's "View report now!": the refusals in their order, the dates the page's
// controls make, the filter code and the site whose log folder is read.
#include <gtest/gtest.h>

#include <cstring>

#include "LogTestSupport.h"
#include "core/logs/ReportTab.h"
#include "core/sites/SiteAddress.h"

namespace wexfold {
namespace {

using logtest::At;

SiteRecord Site(const char* name, const char* fetchUrl) {
    SiteRecord site = logtest::NamedSite(name);
    std::strncpy(site.fetchUrl, fetchUrl, sizeof site.fetchUrl - 1);
    return site;
}

class ReportTabTest : public ::testing::Test {
  protected:
    // Both dates today (December 6, 2026), every filter ticked, the first site's address.
    ReportTabTest() {
        choice.fromMonth = choice.toMonth = 11;
        choice.fromDay = choice.toDay = "6";
        choice.fromYear = choice.toYear = "2026";
        choice.broken = choice.connectivity = choice.speed = true;
        choice.reportUrl = "http://shop.example/";
    }

    ReportTabOutcome View() const { return ViewReportChoice(choice, sites, clock); }

    ReportRefusal Refusal() const {
        const ReportTabOutcome outcome = View();
        EXPECT_TRUE(outcome.refusal.has_value());
        return outcome.refusal.value_or(ReportRefusal{});
    }

    ManualClock clock{At(2026, 12, 6, 15, 0, 0)};
    std::vector<SiteRecord> sites{Site("shop", "http://shop.example/"),
                                  Site("home", "http://home.example/")};
    ReportTabChoice choice;
};

TEST_F(ReportTabTest, TodayWithEveryFilterOpensAOneDayReport) {
    const ReportTabOutcome outcome = View();
    ASSERT_FALSE(outcome.refusal.has_value()) << outcome.refusal->text;
    EXPECT_EQ(outcome.request.fromTime, At(2026, 12, 6));
    EXPECT_EQ(outcome.request.toTime, At(2026, 12, 6));
    EXPECT_EQ(outcome.request.filterCode, 9);
    EXPECT_EQ(FilterCode(true, false, true), 6);
    EXPECT_EQ(FilterCode(false, true, true), 8);
    EXPECT_EQ(outcome.request.siteName, "shop");
    EXPECT_EQ(outcome.request.urlText, "http://shop.example/");
}

TEST_F(ReportTabTest, EachRefusalWinsOverTheLaterOnes) {
    const ReportRefusal noUrl{"No URL is selected! No log data.", "No URL", true};
    const ReportRefusal badFrom{"The 'From' date is not a valid date.", "Select date error"};
    const ReportRefusal badTo{"The 'To' date is not a valid date.", "Select date error"};
    const ReportRefusal fromAfterTo{"'To' date can't later than 'From' date", "Select date error"};
    const ReportRefusal toAfterToday{"'To' date can't later than Today", "Select date error"};
    const ReportRefusal noFilter{"You must select a filter.", "Show report error."};

    // Every check fails at first; mending one after the other uncovers the next message.
    const std::vector<SiteRecord> allSites = sites;
    sites.clear();
    choice.fromDay = "0";
    choice.toDay = "";
    choice.broken = choice.connectivity = choice.speed = false;
    EXPECT_EQ(Refusal(), noUrl);
    sites = allSites;
    EXPECT_EQ(Refusal(), badFrom);
    choice.fromDay = "8";  // after To, and To after today once it is a date
    EXPECT_EQ(Refusal(), badTo);
    choice.toDay = "7";
    EXPECT_EQ(Refusal(), fromAfterTo);
    choice.fromDay = "1";
    EXPECT_EQ(Refusal(), toAfterToday);
    choice.toDay = "6";
    EXPECT_EQ(Refusal(), noFilter);
    choice.speed = true;
    EXPECT_FALSE(View().refusal.has_value());
}

TEST_F(ReportTabTest, ControlsThatCannotMakeADateAreRefused) {
    const struct {
        int month;
        const char* day;
        const char* year;
    } bad[] = {
        {-1, "6", "2026"},  {12, "6", "2026"},  {11, "", "2026"},   {11, "0", "2026"},
        {11, "32", "2026"}, {11, "-1", "2026"}, {11, "6x", "2026"}, {11, "99999999999", "2026"},
        {11, "6", "1899"},  {11, "6", ""},      {11, "6", " 2026"},
    };
    for (const auto& c : bad) {
        choice.fromMonth = c.month;
        choice.fromDay = c.day;
        choice.fromYear = c.year;
        EXPECT_EQ(Refusal().text, "The 'From' date is not a valid date.")
            << c.month << " '" << c.day << "' '" << c.year << "'";
    }
    // The same controls on the To side name the To date.
    choice.fromMonth = 11;
    choice.fromDay = "1";
    choice.fromYear = "2026";
    choice.toDay = "32";
    EXPECT_EQ(Refusal().text, "The 'To' date is not a valid date.");
}

TEST_F(ReportTabTest, DayThirtyOneOfAThirtyDayMonthIsTheFirstOfTheNext) {
    choice.fromMonth = 10;  // November
    choice.fromDay = "31";
    choice.toDay = "1";
    const ReportTabOutcome outcome = View();
    ASSERT_FALSE(outcome.refusal.has_value()) << outcome.refusal->text;
    EXPECT_EQ(outcome.request.fromTime, At(2026, 12, 1));
    EXPECT_EQ(outcome.request.fromTime, outcome.request.toTime);
}

TEST_F(ReportTabTest, SiteNameFollowsTheAddressByteForByte) {
    // No site with the address: the report opens with no name and so finds no file.
    choice.reportUrl = "http://gone.example/";
    ReportTabOutcome outcome = View();
    ASSERT_FALSE(outcome.refusal.has_value());
    EXPECT_EQ(outcome.request.siteName, "");
    EXPECT_EQ(outcome.request.urlText, "http://gone.example/");
    choice.reportUrl = "http://SHOP.example/";
    EXPECT_EQ(View().request.siteName, "");

    // Two sites with one address: the later one's folder is read.
    sites.push_back(Site("mirror", "http://shop.example/"));
    sites.push_back(Site("last", "http://other.example/"));
    choice.reportUrl = "http://shop.example/";
    EXPECT_EQ(View().request.siteName, "mirror");

    // A site's password is shown nowhere, and is handed on to be taken out of the lines.
    SiteRecord secret = logtest::NamedSite("secret");
    ASSERT_TRUE(AssignHost(secret.url, "vault.example") && AssignUser(secret.url, "joe") &&
                AssignPassword(secret.url, "p@ss:w/rd") && ComposeFetchUrl(secret));
    sites.push_back(secret);
    choice.reportUrl = secret.fetchUrl;
    EXPECT_EQ(View().request.urlText, "http://joe@vault.example");
    EXPECT_EQ(View().request.password, "p@ss:w/rd");
    choice.reportUrl = "ftp://joe:old@pw@gone.example/";
    EXPECT_EQ(View().request.urlText, "ftp://gone.example/");
}

}  // namespace
}  // namespace wexfold
