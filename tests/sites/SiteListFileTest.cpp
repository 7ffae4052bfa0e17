// The stored bytes of the site list file: records at their offsets, text-mode newline
// translation and the cut into whole records, checked against files built by hand.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "SiteTestSupport.h"
#include "core/sites/SiteListFile.h"
#include "core/sites/TextModeCodec.h"

namespace wexfold::testing {
namespace {

using namespace std::string_literals;

TEST(TextModeCodec, TranslatesOnlyLineFeeds) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},           {"a\nb\n", "a\r\nb\r\n"},       {"\r", "\r"},
        {"\r\n", "\r\r\n"}, {"\x1A\0\x0D"s, "\x1A\0\x0D"s}, {"\r\r\n\x1A", "\r\r\r\n\x1A"},
    };
    for (const auto& [bytes, stored] : cases) {
        EXPECT_EQ(EncodeTextMode(bytes), stored) << ::testing::PrintToString(bytes);
        EXPECT_EQ(DecodeTextMode(stored), bytes) << ::testing::PrintToString(stored);
    }
}

class SiteListFile : public ::testing::Test {
  protected:
    std::vector<SiteRecord> Load(const std::string& path = {}) {
        std::vector<SiteRecord> list;
        LoadSiteList(path, list, {});
        return list;
    }

    TempFolder folder{true};
};

// Each record is built field by field, saved, compared with its image written by hand at the
// stored offsets (every LF stored as CR LF), and loaded back unchanged.
TEST_F(SiteListFile, RecordsAreStoredAtTheirOffsetsInTextMode) {
    struct Case {
        const char* what;
        std::function<void(SiteRecord&)> fill;
        std::function<void(std::string&)> image;
        std::size_t storedSize;
    };
    const std::string path = "x\r\n\n\r\x1Ay"s;
    const std::vector<Case> cases = {
        {"defaults: the 0x0A of interval 10 makes 4973 bytes", [](SiteRecord&) {},
         [](std::string&) {}, 4973},
        {"port 26 is the byte 0x1A, which does not end the file",
         [](SiteRecord& r) { r.url.port = 26; }, [](std::string& i) { PutU16(i, 12 + 4646, 26); },
         4973},
        {"port 2573 holds CR LF already", [](SiteRecord& r) { r.url.port = 2573; },
         [](std::string& i) { PutU16(i, 12 + 4646, 2573); }, 4974},
        {"every field",
         [&](SiteRecord& r) {
             std::strcpy(r.url.userName, "joe");
             r.url.userNameLength = 3;
             std::memcpy(r.url.urlPath, path.data(), path.size());
             r.url.urlPathLength = static_cast<std::uint32_t>(path.size());
             std::strcpy(r.fetchUrl, "http://joe@h/");
             r.listImage = 4;
             r.active = 1;
             r.intervalUnit = kIntervalMinutes;
             r.intervalSeconds = 0x00BBCCDD;
             r.alertMinutes = 45;
             r.logAllDetail = 0;
             r.logFile = 77;  // a run-time handle is never stored
         },
         [&](std::string& i) {
             PutBytes(i, 12 + 290, "joe");
             PutU32(i, 12 + 4660, 3);
             PutBytes(i, 12 + 548, path);
             PutU32(i, 12 + 4668, static_cast<std::uint32_t>(path.size()));
             PutBytes(i, 4693, "http://joe@h/");
             PutU32(i, 4688, 4);
             i[4692] = 1;
             PutU16(i, 4952, 2);
             PutU32(i, 4956, 0x00BBCCDD);
             PutU16(i, 4962, 45);
             i[4965] = 0;
         },
         4974},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SiteRecord record = NewSiteRecord();
        std::strcpy(record.name, "site");
        c.fill(record);
        std::string image = DefaultImage("site");
        c.image(image);
        ASSERT_TRUE(SaveSiteList({record}));
        const std::string stored = FileText("siteurl");
        EXPECT_EQ(stored.size(), c.storedSize);
        EXPECT_EQ(DecodeTextMode(stored), image);
        EXPECT_EQ(stored, EncodeTextMode(image));
        const auto list = Load();
        ASSERT_EQ(list.size(), 1u);
        record.logFile = 0;
        EXPECT_EQ(ImageOf(list[0]), ImageOf(record));
    }
}

TEST_F(SiteListFile, OnlyWholeRecordsAreRead) {
    std::string first = DefaultImage("one");
    std::string second = DefaultImage("two");
    PutU32(first, 4956, 30);  // no 0x0A anywhere, so stored and decoded sizes agree
    PutU32(second, 4956, 30);
    WriteFile("siteurl", first + second + std::string(56, 'x'));
    const auto list = Load();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(ImageOf(list[0]), first);
    EXPECT_EQ(ImageOf(list[1]), second);

    WriteFile("short", std::string(4971, 'a'));
    EXPECT_TRUE(Load("short").empty());
    std::vector<SiteRecord> kept{FromImage(first)};
    LoadSiteList("nothing.wxf", kept, {});
    EXPECT_EQ(kept.size(), 1u);
}

TEST_F(SiteListFile, CrLfSplitAcrossReadPiecesIsJoined) {
    // Thirteen records of 4972 bytes end at 64636; byte 899 of the fourteenth lies at 65535,
    // the last byte of the first 64 KiB, so its CR and LF arrive in different reads.
    std::string stored;
    for (int i = 0; i < 13; ++i) {
        std::string image = DefaultImage("r" + std::to_string(i));
        PutU32(image, 4956, 30);
        stored += image;
    }
    std::string last = DefaultImage("last");
    PutU32(last, 4956, 30);
    const std::string path = std::string(339, 'p') + "\n";
    PutBytes(last, 12 + 548, path);
    PutU32(last, 12 + 4668, static_cast<std::uint32_t>(path.size()));
    stored += EncodeTextMode(last);
    ASSERT_EQ(stored.substr(65535, 2), "\r\n");
    WriteFile("siteurl", stored);

    const auto list = Load();
    ASSERT_EQ(list.size(), 14u);
    EXPECT_EQ(ImageOf(list[13]), last);
}

}  // namespace
}  // namespace wexfold::testing
