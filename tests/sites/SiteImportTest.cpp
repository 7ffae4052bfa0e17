// Loading at start-up and importing: which records enter the list, which are asked about,
// and which hooks run for them.
#include <gtest/gtest.h>

#include <vector>

#include "SiteTestSupport.h"
#include "core/sites/SiteListFile.h"

namespace wexfold::testing {
namespace {

// A stored file of default records with these names; interval holds each record's
// intervalSeconds so that loaded records can be told apart (no value has a 0x0A byte).
std::string StoredFile(const std::vector<std::string>& names, std::int32_t interval = 30) {
    std::string stored;
    for (const std::string& name : names) {
        std::string image = DefaultImage(name);
        PutU32(image, 4956, static_cast<std::uint32_t>(interval++));
        stored += image;
    }
    return stored;
}

class SiteImport : public ::testing::Test {
  protected:
    SiteImport() {
        hooks.loaded = [this](SiteRecord& r) {
            events.push_back("loaded " + std::string(r.name));
            r.logFile = ++nextHandle;
        };
        hooks.askReplace = [this](const SiteRecord& r) {
            events.push_back("ask " + std::string(r.name));
            return answer;
        };
        hooks.appended = [this](int i) {
            events.push_back("appended " + std::to_string(i) + " " + list[i].name);
        };
        hooks.replaced = [this](int i) { events.push_back("replaced " + std::to_string(i)); };
        hooks.refused = [this](const SiteRecord& r) {
            events.push_back("refused " + std::string(r.name));
        };
        hooks.released = [this](SiteRecord& r) {
            events.push_back("released " + std::to_string(r.logFile));
        };
    }

    void Import(const std::string& stored) {
        WriteFile("in.wxf", stored);
        LoadSiteList("in.wxf", list, hooks);
    }

    TempFolder folder{true};
    std::vector<SiteRecord> list;
    LoadHooks hooks;
    std::vector<std::string> events;
    bool answer = false;
    std::uint32_t nextHandle = 0;
};

using Events = std::vector<std::string>;

TEST_F(SiteImport, StartUpKeepsEveryRecordAndNeverAsks) {
    WriteFile("siteurl", StoredFile({"same", "same", "../up", ""}));
    LoadSiteList({}, list, hooks);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].intervalSeconds, 30);
    EXPECT_EQ(list[1].intervalSeconds, 31);
    EXPECT_STREQ(list[2].name, "../up");
    EXPECT_EQ(list[3].logFile, 4u);  // the handle set by loaded is what enters the list
    EXPECT_EQ(events, (Events{"loaded same", "loaded same", "loaded ../up", "loaded "}));
}

TEST_F(SiteImport, IntoEmptyListAppendsAllAndAsksForARepeatedName) {
    Import(StoredFile({"a", "b", "a"}));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].intervalSeconds, 30);
    EXPECT_EQ(events, (Events{"loaded a", "appended 0 a", "loaded b", "appended 1 b", "ask a"}));
}

TEST_F(SiteImport, YesReplacesInPlace) {
    Import(StoredFile({"alpha", "beta"}));
    events.clear();
    answer = true;
    Import(StoredFile({"beta", "gamma"}, 50));

    ASSERT_EQ(list.size(), 3u);
    EXPECT_STREQ(list[1].name, "beta");
    EXPECT_EQ(list[1].intervalSeconds, 50);
    EXPECT_EQ(list[1].logFile, 3u);
    EXPECT_EQ(list[0].intervalSeconds, 30);
    EXPECT_STREQ(list[2].name, "gamma");
    // The old beta (handle 2) leaves the list, so its log can be closed; the new one is loaded
    // only once it is kept.
    EXPECT_EQ(events, (Events{"ask beta", "released 2", "loaded beta", "replaced 1", "loaded gamma",
                              "appended 2 gamma"}));
}

TEST_F(SiteImport, NoKeepsTheSiteAndDropsTheLoadedRecord) {
    Import(StoredFile({"alpha", "beta"}));
    const std::string before = ImageOf(list[0]) + ImageOf(list[1]);
    events.clear();
    Import(StoredFile({"beta", "alpha"}, 70));

    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(ImageOf(list[0]) + ImageOf(list[1]), before);
    // A declined record is never loaded: no interval line lands in the site's log.
    EXPECT_EQ(events, (Events{"ask beta", "ask alpha"}));
}

TEST_F(SiteImport, NamesCompareByteForByte) {
    Import(StoredFile({"Site"}));
    events.clear();
    Import(StoredFile({"site", "Site ", "Site"}));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(events, (Events{"loaded site", "appended 1 site", "loaded Site ", "appended 2 Site ",
                              "ask Site"}));
}

TEST_F(SiteImport, UnsafeNamesAreRefusedWithoutQuestion) {
    Import(StoredFile({"ok"}));
    events.clear();
    std::string tab = DefaultImage("a\tb");
    PutU32(tab, 4956, 30);
    Import(StoredFile({"..", "", "a/b", "a\\b", "."}) + tab + StoredFile({"fine"}));

    ASSERT_EQ(list.size(), 2u);
    EXPECT_STREQ(list[1].name, "fine");
    EXPECT_EQ(events, (Events{"refused ..", "refused ", "refused a/b", "refused a\\b", "refused .",
                              "refused a\tb", "loaded fine", "appended 1 fine"}));
}

TEST_F(SiteImport, FullListTakesNoNewSiteButStillReplaces) {
    hooks.maxSites = 2;
    hooks.full = [this](const SiteRecord& r) { events.push_back("full " + std::string(r.name)); };
    answer = true;
    Import(StoredFile({"a", "b", "c", "a"}));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(events, (Events{"loaded a", "appended 0 a", "loaded b", "appended 1 b", "full c",
                              "ask a", "released 1", "loaded a", "replaced 0"}));
}

TEST_F(SiteImport, EmptyHooksAnswerNo) {
    Import(StoredFile({"alpha"}));
    LoadHooks none;
    WriteFile("again.wxf", StoredFile({"alpha", "new"}, 90));
    LoadSiteList("again.wxf", list, none);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].intervalSeconds, 30);
    EXPECT_STREQ(list[1].name, "new");
}

}  // namespace
}  // namespace wexfold::testing
