// Sites entering the window: the first one added, the 257th refused, and export and import
// of ".wxf" files with the file dialogs scripted; the help page.

#include "WindowHarness.h"
#include "core/sites/SiteAddress.h"

namespace wexfold::testing {
namespace {

TEST_F(WindowTest, ExportAndImportKeepEachRecordsStateAndRefuseUnusableNames) {
    WriteSites({{"home", false}, {"shop", false}});
    Open();
    // A change since the last save is in the copy, as the export saves first.
    window->Sites()[1].active = 1;
    prompter.files = {"backup.wxf"};
    window->OnCommand(command::kExport);
    std::vector<SiteRecord> copy;
    LoadSiteList("backup.wxf", copy, {});
    EXPECT_EQ(copy.at(1).active, 1);
    prompter.files = {"no/such/folder.wxf"};
    window->OnCommand(command::kExport);
    EXPECT_EQ(prompter.asked.back().text, "The site list could not be written to the chosen file.");
    EXPECT_EQ(prompter.asked.back().buttons, PromptButtons::kOk);
    prompter.asked.clear();

    ASSERT_TRUE(SaveSiteList({TestSite("home", true, "http://second.test/"), TestSite("two", true),
                              TestSite("a/b", true), TestSite("../../x", true)},
                             "in.wxf"));
    prompter.files = {"in.wxf", ""};
    prompter.answers = {PromptAnswer::kYes};
    window->OnCommand(command::kImport);
    window->OnCommand(command::kImport);  // no file chosen: nothing is asked
    ASSERT_EQ(prompter.asked.size(), 2u);
    EXPECT_EQ(prompter.asked[0].text,
              "'home' is already exist, can you have to cover the original?");
    EXPECT_EQ(prompter.asked[1].text.rfind("2 records of the file were not loaded", 0), 0u);
    EXPECT_EQ(ListNames(), (std::vector<std::string>{"home", "shop", "two"}));
    // The replaced site was not restarted: its monitor took the new address and state.
    EXPECT_EQ(window->Engine().Monitor(0).fetchUrl, "http://second.test/");
    EXPECT_EQ(window->Engine().FetchesInFlight(), 1);
    EXPECT_TRUE(std::filesystem::is_directory("log/two"));
    EXPECT_NE(FileText("siteurl").find("second.test"), std::string::npos);
}

TEST_F(WindowTest, FirstAddedSiteIsComposedLoggedSavedAndShownAndThe257thRefused) {
    Open();
    EXPECT_EQ(Controls().reportAddress->text(), "No URL is selected!");
    window->OnCommand(command::kStart);
    EXPECT_EQ(prompter.asked.at(0).caption, "Can't Start!");
    window->OnCommand(command::kHelp);
    ASSERT_EQ(opened, std::vector{folder.Path() / "wexfold-help.html"});
    SiteRecord site = TestSite("new", true);
    ASSERT_TRUE(ParseHostText("new.test/a?b=1", site.url));
    site.url.port = 8080;
    window->Sites().push_back(site);
    window->OnSiteAdded(0);
    EXPECT_STREQ(window->Sites()[0].fetchUrl, "http://new.test:8080/a?b=1");
    EXPECT_EQ(ListNames(), std::vector<std::string>{"new"});
    EXPECT_EQ(window->Engine().FetchesInFlight(), 1);
    EXPECT_NE(FileText("siteurl").find("new.test:8080"), std::string::npos);
    EXPECT_EQ(FileText("log/new/03102026").rfind("* 10 seconds interval time.", 0), 0u);
    // The first site fills the Report and Statistics pages, and the Statistics page shows.
    EXPECT_EQ(window->CurrentPage(), Page::kStatistics);
    EXPECT_EQ(window->ReportUrl() + window->Engine().statisticsUrl,
              "http://new.test:8080/a?b=1http://new.test:8080/a?b=1");

    window->Sites().resize(kMaxSites, site);
    window->OnCommand(1004);
    EXPECT_EQ(prompter.asked.at(1).text, "You can't add more than 256 urls!");
}

}  // namespace
}  // namespace wexfold::testing
