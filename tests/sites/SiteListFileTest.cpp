// The site list file: records at their stored offsets in text mode, whole records read across
// pieces, safe saves, what start-up and import take in, and the repair of what they read.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sstream>
#include <tuple>
#include <vector>

#include "core/sites/SiteAddress.h"
#include "core/sites/SiteListFile.h"
#include "core/sites/SiteRecordRepair.h"
#include "core/sites/TextModeCodec.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

void PutBytes(std::string& image, std::size_t offset, std::string_view bytes) {
    image.replace(offset, bytes.size(), bytes);
}

void PutInt(std::string& image, std::size_t offset, std::uint32_t value, int width = 4) {
    for (int i = 0; i < width; ++i) image[offset + i] = static_cast<char>(value >> (8 * i));
}

// A new record named name at the literal stored offsets: scheme "http" (number 2, length 4,
// port 80), alert and logging on, the given interval in seconds.
std::string DefaultImage(std::string_view name, std::uint32_t interval = 10) {
    std::string image(4972, '\0');
    PutBytes(image, 0, name);
    PutBytes(image, 12, "http");
    PutInt(image, 12 + 4646, 80, 2);
    PutInt(image, 12 + 4648, 2);
    PutInt(image, 12 + 4652, 4);
    PutInt(image, 4956, interval);
    PutBytes(image, 4960, "\1\0\0\0\1\1\1"s);
    return image;
}

// Records with these names, separated by commas, and intervals from 'interval' on (no byte
// of them is 0x0A).
std::string StoredFile(const std::string& names, std::uint32_t interval = 30) {
    std::string stored;
    std::istringstream in(names);
    for (std::string name; std::getline(in, name, ',');) stored += DefaultImage(name, interval++);
    return stored;
}

std::string ImageOf(const SiteRecord& record) {
    return {reinterpret_cast<const char*>(&record), sizeof record};
}

std::vector<SiteRecord> Load(const std::string& path = {}) {
    std::vector<SiteRecord> list;
    LoadSiteList(path, list, {});
    return list;
}

// A record is saved, compared with its image written by hand at the stored offsets (LF stored as
// CR LF; the path holds 0x1A and CR LF, the port 0D 0A), and loaded back unchanged.
TEST(SiteListFile, RecordsAreStoredAtTheirOffsetsInTextMode) {
    TempFolder folder{true};
    const std::string path = "x\r\n\n\r\x1Ay"s;
    SiteRecord r = NewSiteRecord();
    std::strcpy(r.name, "site");
    r.url.port = 2573;
    ASSERT_TRUE(AssignUser(r.url, "joe") && AssignPath(r.url, path));
    r.intervalSeconds = 0x00BBCCDD;
    r.logFile = 77;  // a run-time handle is never stored
    std::string image = DefaultImage("site", 0x00BBCCDD);
    PutInt(image, 12 + 4646, 2573, 2);
    PutBytes(image, 12 + 290, "joe");
    PutInt(image, 12 + 4660, 3);
    PutBytes(image, 12 + 548, path);
    PutInt(image, 12 + 4668, static_cast<std::uint32_t>(path.size()));
    ASSERT_TRUE(SaveSiteList({r}));
    const std::string stored = FileText("siteurl");
    EXPECT_EQ(stored.size(), 4975u);
    EXPECT_EQ(stored, EncodeTextMode(image));
    const auto list = Load();
    ASSERT_EQ(list.size(), 1u);
    r.logFile = 0;
    EXPECT_EQ(ImageOf(list[0]), ImageOf(r));
}

TEST(SiteListFile, OnlyWholeRecordsAreReadAndCrLfSplitAcrossPiecesIsJoined) {
    TempFolder folder{true};
    // Thirteen records of 4972 bytes end at 64636; byte 899 of the fourteenth lies at 65535,
    // the last byte of the first 64 KiB, so its CR and LF arrive in different reads.
    std::string last = DefaultImage("last", 30);
    const std::string path = std::string(339, 'p') + "\n";
    PutBytes(last, 12 + 548, path);
    PutInt(last, 12 + 4668, static_cast<std::uint32_t>(path.size()));
    const std::string stored = StoredFile("a,b,c,d,e,f,g,h,i,j,k,l,m") + EncodeTextMode(last);
    ASSERT_EQ(stored.substr(65535, 2), "\r\n");
    WriteText("siteurl", stored + std::string(56, 'x'));
    const auto list = Load();
    ASSERT_EQ(list.size(), 14u);
    EXPECT_EQ(ImageOf(list[12]), DefaultImage("m", 42));
    EXPECT_EQ(ImageOf(list[13]), last);
}

// A save replaces the file whole and private, or says why not and leaves the old file alone.
TEST(SiteListFile, SavesWholeAndPrivateOrNotAtAll) {
    TempFolder folder{true};
    const auto entries = [] { return std::distance(fs::directory_iterator("."), {}); };
    const std::vector<SiteRecord> three(3, NewSiteRecord());
    WriteText("siteurl", "old");
    fs::permissions("siteurl", fs::perms(0644));
    ASSERT_TRUE(SaveSiteList({NewSiteRecord()}));
    EXPECT_EQ(fs::status("siteurl").permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(FileText("siteurl"), EncodeTextMode(DefaultImage("")));  // 0x0A of interval 10

    // A size limit, binding root too, stops the write after 8000 bytes as a full disk would.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const rlimit small{8000, old.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const Result saved = SaveSiteList(three);
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(saved.Message(), "cannot write " + SiteListPath() + ": File too large");
    EXPECT_EQ(FileText("siteurl"), EncodeTextMode(DefaultImage("")));
    EXPECT_EQ(entries(), 1);

    fs::remove("siteurl");
    fs::create_directory("siteurl");
    EXPECT_EQ(SaveSiteList(three).Message(),
              "cannot replace " + SiteListPath() + ": Is a directory");
    const std::string missing = (folder.Path() / "missing" / "x.wxf").string();
    EXPECT_EQ(SaveSiteList(three, missing).Message(),
              "cannot write " + missing + ": No such file or directory");
    // Started with standard input closed, the new file gets descriptor 0.
    fs::remove("siteurl");
    ::close(0);
    EXPECT_TRUE(SaveSiteList(three));
    EXPECT_EQ(entries(), 1);
}

// The records as "name:interval", separated by spaces.
std::string Describe(const std::vector<SiteRecord>& list) {
    std::string text;
    for (const SiteRecord& r : list) {
        text += (text.empty() ? "" : " ") + (r.name + (":" + std::to_string(r.intervalSeconds)));
    }
    return text;
}

// Start-up (path "") takes every record; an import into a list of 'before' (intervals from 30)
// of 'imported' (from 50) asks about repeated names, refuses unsafe ones and stops when full.
// A loaded record gets the next log handle; released names the handle of the record leaving.
TEST(SiteListFile, StartUpAndImportTakeInAskReplaceRefuseAndStopWhenFull) {
    struct Case {
        const char *path, *before, *imported;
        bool answer;
        std::size_t maxSites;
        const char *events, *list;
    };
    const std::vector<Case> cases = {
        {"", "", "same,,same,../up", false, 2,
         "loaded same:50, loaded :51, loaded same:52, loaded ../up:53",
         "same:50 :51 same:52 ../up:53"},
        {"in", "", "a,b,a", false, 256, "loaded a:50, appended 0, loaded b:51, appended 1, ask a",
         "a:50 b:51"},
        // The old beta leaves the list, so its log can be closed; the new one is loaded only
        // once it is kept.
        {"in", "alpha,beta", "beta,gamma", true, 256,
         "ask beta, released 2, loaded beta:50, replaced 1, loaded gamma:51, appended 2",
         "alpha:30 beta:50 gamma:51"},
        // A declined record is never loaded: no interval line lands in the site's log.
        {"in", "alpha,beta", "beta,alpha", false, 256, "ask beta, ask alpha", "alpha:30 beta:31"},
        // Names compare byte for byte; names that are no folder name are refused unasked.
        {"in", "Site", "..,,a/b,a\\b,.,a\tb,\x7F,Site ,...,0123456789,Site", false, 256,
         "refused .., refused , refused a/b, refused a\\b, refused ., refused a\tb, refused \x7F, "
         "loaded Site :57, appended 1, loaded ...:58, appended 2, loaded 0123456789:59, "
         "appended 3, ask Site",
         "Site:30 Site :57 ...:58 0123456789:59"},
        {"in", "a", "b,c,a", true, 2,
         "loaded b:50, appended 1, full c, ask a, released 1, loaded a:52, replaced 0",
         "a:52 b:50"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.imported);
        TempFolder folder{true};
        std::vector<SiteRecord> list;
        std::string events;
        std::uint32_t handles = 0;
        const auto note = [&](std::string what) { events += (events.empty() ? "" : ", ") + what; };
        LoadHooks hooks;
        hooks.maxSites = c.maxSites;
        hooks.loaded = [&](SiteRecord& r) {
            note("loaded " + Describe({r})), r.logFile = ++handles;
        };
        hooks.askReplace = [&](const SiteRecord& r) { return note("ask "s + r.name), c.answer; };
        hooks.appended = [&](int i) { note("appended " + std::to_string(i)); };
        hooks.replaced = [&](int i) { note("replaced " + std::to_string(i)); };
        hooks.refused = [&](const SiteRecord& r) { note("refused "s + r.name); };
        hooks.full = [&](const SiteRecord& r) { note("full "s + r.name); };
        hooks.released = [&](SiteRecord& r) { note("released " + std::to_string(r.logFile)); };
        WriteText("before", StoredFile(c.before));
        LoadSiteList("before", list, hooks);
        events.clear();
        WriteText(*c.path ? c.path : "siteurl", StoredFile(c.imported, 50));
        LoadSiteList(c.path, list, hooks);
        EXPECT_EQ(events, c.events);
        EXPECT_EQ(Describe(list), c.list);
        // Without hooks every question is answered no.
        if (*c.path) LoadSiteList(c.path, list, {});
        EXPECT_EQ(Describe(list).substr(0, std::strlen(c.list)), c.list);
    }
}

// Every text of a record of 'N' bytes is cut inside its array, with zeroes behind; its pads,
// handle, flags and numbers become usable.
TEST(RecordRepair, EveryFieldOfADamagedRecordIsMadeUsable) {
    TempFolder folder{true};
    std::string image(4972, 'N');
    PutBytes(image, 12 + 548, "pa\0old-secret"s);
    WriteText("siteurl", image);
    const auto list = Load();
    ASSERT_EQ(list.size(), 1u);
    const SiteRecord& r = list[0];
    const UrlParts& u = r.url;
    EXPECT_EQ(std::string(u.urlPath, 13), "pa" + std::string(11, '\0'));
    EXPECT_EQ(
        std::vector<std::size_t>(
            {std::strlen(r.name), std::strlen(u.scheme), u.schemeLength, std::strlen(u.hostName),
             u.hostNameLength, std::strlen(u.userName), u.userNameLength, std::strlen(u.password),
             u.passwordLength, u.urlPathLength, std::strlen(u.extraInfo), u.extraInfoLength,
             std::strlen(r.fetchUrl)}),
        std::vector<std::size_t>({10, 32, 32, 256, 256, 128, 128, 128, 128, 2, 2048, 2048, 255}));
    EXPECT_EQ(std::vector<int>({r.pad0[0], r.pad1[2], r.pad2[1], r.pad3[0], r.pad4[0],
                                static_cast<int>(r.logFile), r.active, r.alertOnLoss, r.logEnabled,
                                r.logAllDetail, r.autoDeleteLogs, static_cast<int>(r.listImage),
                                r.intervalUnit, r.alertMinutes}),
              std::vector<int>({0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 0, kIntervalHours, 60}));
}

// Interval unit, seconds, alert minutes, active flag and list picture before and after.
TEST(RecordRepair, NonsenseNumbersBecomeUsable) {
    const std::vector<std::pair<std::array<int, 5>, std::array<int, 5>>> cases = {
        {{kIntervalHours, 43200, 60, 1, 4}, {kIntervalHours, 43200, 60, 1, 4}},  // largest kept
        {{kIntervalSeconds, 5, 0, 2, 3}, {kIntervalSeconds, 5, 0, 1, 3}},  // odd, but may be meant
        {{kIntervalMinutes, -60, -1, 1, 5}, {kIntervalDefault, 10, 0, 1, 0}},
        {{kIntervalSeconds, 0, 61, 0, 5}, {kIntervalDefault, 10, 60, 0, 1}},
        {{9, 59, 3, 0, 1000}, {kIntervalSeconds, 59, 3, 0, 1}},
        {{9, 60, 3, 1, 0}, {kIntervalMinutes, 60, 3, 1, 0}},
        {{-1, 10, 3, 1, 0}, {kIntervalDefault, 10, 3, 1, 0}},
        {{4, 3600, 3, 1, 0}, {kIntervalHours, 3600, 3, 1, 0}},
    };
    for (const auto& [in, want] : cases) {
        SiteRecord r = NewSiteRecord();
        std::tie(r.intervalUnit, r.intervalSeconds, r.alertMinutes, r.active, r.listImage) =
            std::tuple(in[0], in[1], in[2], in[3], in[4]);
        RepairLoadedRecord(r);
        EXPECT_EQ((std::array<int, 5>{r.intervalUnit, r.intervalSeconds, r.alertMinutes, r.active,
                                      static_cast<int>(r.listImage)}),
                  want)
            << in[0] << " " << in[1];
    }
}

}  // namespace
}  // namespace wexfold::testing
