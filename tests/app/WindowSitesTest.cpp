// Sites entering the window: a site just added, and export and import of ".wxf" files with
// the file dialogs scripted; the Report tab's refusals.
#include <QCheckBox>
#include <QListWidget>
#include <cstring>

#include "WindowHarness.h"
#include "core/sites/SiteAddress.h"
#include "core/sites/SiteListFile.h"

namespace wexfold::testing {
namespace {

SiteRecord Site(const char* name, bool active) {
    SiteRecord site = NewSiteRecord();
    std::strncpy(site.name, name, SiteRecord::kNameMax);
    std::snprintf(site.fetchUrl, sizeof site.fetchUrl, "http://%s.test/", name);
    site.active = active ? 1 : 0;
    return site;
}

TEST_F(WindowTest, ExportedFileImportedAgainAsksOncePerSite) {
    WriteSites({{"home", true}, {"shop", false}});
    Open();
    // A stop since the last save is in the copy, as the export saves first.
    window->Sites()[0].active = 0;
    const std::string file = (folder.Path() / "backup.wxf").string();
    prompter.files = {file};
    window->OnCommand(32);
    ASSERT_EQ(prompter.fileDialogs, std::vector<bool>{true});
    EXPECT_EQ(FileText(file), FileText("siteurl"));
    std::vector<SiteRecord> copy;
    LoadSiteList(file, copy, {});
    ASSERT_EQ(copy.size(), 2u);
    EXPECT_EQ(copy[0].active, 0);

    const std::string before = FileText("siteurl");
    prompter.files = {file};
    window->OnCommand(31);
    ASSERT_EQ(prompter.asked.size(), 2u);
    EXPECT_EQ(prompter.asked[0].caption, "Load URL question.");
    EXPECT_EQ(prompter.asked[0].text, "'home' is already exist, can you have to cover the original?");
    EXPECT_EQ(prompter.asked[1].text, "'shop' is already exist, can you have to cover the original?");
    EXPECT_EQ(ListNames(), (std::vector<std::string>{"home", "shop"}));
    EXPECT_EQ(FileText("siteurl"), before);

    // No file chosen: nothing is asked or written.
    window->OnCommand(31);
    window->OnCommand(32);
    EXPECT_EQ(prompter.asked.size(), 2u);
}

TEST_F(WindowTest, ImportAppendsNewNamesAndAsksForARepeatedOne) {
    WriteSites({{"home", false}});
    Open();
    const std::string file = (folder.Path() / "in.wxf").string();
    SiteRecord replacement = Site("twice", true);
    std::snprintf(replacement.fetchUrl, sizeof replacement.fetchUrl, "http://second.test/");
    ASSERT_TRUE(SaveSiteList({Site("twice", false), replacement}, file));
    prompter.files = {file};
    prompter.answers = {PromptAnswer::kYes};
    window->OnCommand(31);

    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].text, "'twice' is already exist, can you have to cover the original?");
    EXPECT_EQ(ListNames(), (std::vector<std::string>{"home", "twice"}));
    EXPECT_STREQ(window->Sites()[1].fetchUrl, "http://second.test/");
    EXPECT_EQ(window->Engine().Monitor(1).fetchUrl, "http://second.test/");
    EXPECT_EQ(window->Engine().MonitorCount(), 2);
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "log" / "twice"));
    std::vector<SiteRecord> saved;
    LoadSiteList({}, saved, {});
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_STREQ(saved[1].fetchUrl, "http://second.test/");
}

TEST_F(WindowTest, ImportIntoAnEmptyListStartsEverySite) {
    Open();
    const std::string file = (folder.Path() / "in.wxf").string();
    ASSERT_TRUE(SaveSiteList({Site("one", false), Site("two", false), Site("a/b", true)}, file));
    prompter.files = {file};
    window->OnCommand(31);
    EXPECT_EQ(ListNames(), (std::vector<std::string>{"one", "two"}));
    for (const SiteRecord& site : window->Sites()) {
        EXPECT_EQ(site.active, 1) << site.name;
        EXPECT_EQ(site.listImage, 0u) << site.name;
    }
    EXPECT_EQ(window->Engine().FetchesInFlight(), 2);
    // The record whose name cannot be a folder is refused with a message.
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_NE(prompter.asked[0].text.find("'a/b'"), std::string::npos);
}

TEST_F(WindowTest, FirstAddedSiteIsComposedLoggedSavedAndShown) {
    Open();
    SiteRecord site = NewSiteRecord();
    std::strcpy(site.name, "new");
    ASSERT_TRUE(ParseHostText("new.test/a?b=1", site.url));
    site.url.port = 8080;
    window->Sites().push_back(site);
    window->OnSiteAdded(0);

    EXPECT_STREQ(window->Sites()[0].fetchUrl, "http://new.test:8080/a?b=1");
    EXPECT_EQ(ListNames(), std::vector<std::string>{"new"});
    EXPECT_EQ(window->Engine().MonitorCount(), 1);
    EXPECT_EQ(window->Engine().FetchesInFlight(), 1);
    std::vector<SiteRecord> saved;
    LoadSiteList({}, saved, {});
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_NE(FileText(folder.Path() / "log/new/03102026").find("* 10 seconds interval time."),
              std::string::npos);
    // The first site fills the Report and Statistics pages, and the Statistics page shows.
    EXPECT_EQ(window->CurrentPage(), Page::kStatistics);
    EXPECT_EQ(window->ReportUrl(), window->Sites()[0].fetchUrl);
    EXPECT_EQ(window->Engine().statisticsUrl, window->Sites()[0].fetchUrl);
}

TEST_F(WindowTest, ReportTabRefusesWithoutAFilter) {
    WriteSites({{"home", true}});
    Open();
    for (int id : {1112, 1113, 1114}) static_cast<QCheckBox*>(window->Control(id))->setChecked(false);
    window->OnCommand(1115);
    ASSERT_EQ(prompter.asked.size(), 1u);
    EXPECT_EQ(prompter.asked[0].text, "You must select a filter.");
}

}  // namespace
}  // namespace wexfold::testing
