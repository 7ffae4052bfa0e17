// Records read from any file are made safe before use, and names that would escape the log
// folder are recognised.
#include <gtest/gtest.h>

#include <vector>

#include "SiteTestSupport.h"
#include "core/sites/SiteListFile.h"
#include "core/sites/SiteName.h"
#include "core/sites/SiteRecordRepair.h"

namespace wexfold::testing {
namespace {

TEST(SiteName, SafeFolderNames) {
    for (const char* name : {"a", "alpha", "ABCDEFGHIJ", "a.b", "...", "my site", "\xE4\xB8\xAD"}) {
        EXPECT_TRUE(IsSafeSiteName(name)) << name;
    }
    for (const char* name :
         {"", ".", "..", "a/b", "/", "a\\b", "tab\there", "\x7F", "nl\n", "ABCDEFGHIJK"}) {
        EXPECT_FALSE(IsSafeSiteName(name)) << ::testing::PrintToString(name);
    }
    EXPECT_FALSE(IsSafeSiteName(nullptr));
}

TEST(RecordRepair, UnterminatedTextsAreCutInsideTheirArrays) {
    std::string image = DefaultImage("");
    PutBytes(image, 0, std::string(12, 'N'));  // name and its padding byte, no NUL
    PutBytes(image, 12 + 33, std::string(257, 'h'));
    PutU32(image, 12 + 4656, 9999);
    PutBytes(image, 12 + 548, std::string("pa\0old-secret", 13));
    PutU32(image, 12 + 4668, 13);
    PutBytes(image, 12 + 419, std::string(129, 'w'));
    PutBytes(image, 4693, std::string(256, 'f'));
    PutU32(image, 4968, 0xDEADBEEF);
    image[4949] = 7;  // padding

    TempFolder folder{true};
    WriteFile("siteurl", image);
    std::vector<SiteRecord> list;
    LoadSiteList({}, list, {});
    ASSERT_EQ(list.size(), 1u);
    const SiteRecord& r = list[0];

    EXPECT_EQ(std::string(r.name), std::string(10, 'N'));
    EXPECT_TRUE(IsSafeSiteName(r.name));
    EXPECT_EQ(r.pad0[0], 0);
    EXPECT_EQ(std::string(r.url.hostName), std::string(256, 'h'));
    EXPECT_EQ(r.url.hostNameLength, 256u);
    EXPECT_EQ(std::string(r.url.password).size(), 128u);
    EXPECT_EQ(r.url.passwordLength, 128u);
    EXPECT_STREQ(r.url.urlPath, "pa");
    EXPECT_EQ(r.url.urlPathLength, 2u);
    EXPECT_EQ(std::string(r.url.urlPath, 13), std::string("pa", 2) + std::string(11, '\0'));
    EXPECT_EQ(std::string(r.fetchUrl).size(), 255u);
    EXPECT_EQ(r.logFile, 0u);
    EXPECT_EQ(r.pad1[0], 0);
}

TEST(RecordRepair, NonsenseNumbersBecomeUsable) {
    struct Case {
        std::int16_t unit;
        std::int32_t seconds;
        std::int16_t minutes;
        std::int16_t wantUnit;
        std::int32_t wantSeconds;
        std::int16_t wantMinutes;
    };
    const std::vector<Case> cases = {
        {kIntervalHours, 43200, 60, kIntervalHours, 43200, 60},  // the largest stored values
        {kIntervalSeconds, 5, 0, kIntervalSeconds, 5, 0},        // odd, but may be meant
        {kIntervalMinutes, -60, -1, kIntervalDefault, 10, 0},
        {kIntervalSeconds, 0, 61, kIntervalDefault, 10, 60},
        {9, 120, 3, kIntervalMinutes, 120, 3},
        {-1, 10, 3, kIntervalDefault, 10, 3},
        {4, 7200, 3, kIntervalHours, 7200, 3},
    };
    for (const Case& c : cases) {
        SiteRecord record = NewSiteRecord();
        record.intervalUnit = c.unit;
        record.intervalSeconds = c.seconds;
        record.alertMinutes = c.minutes;
        RepairLoadedRecord(record);
        EXPECT_EQ(record.intervalUnit, c.wantUnit) << c.unit << " " << c.seconds;
        EXPECT_EQ(record.intervalSeconds, c.wantSeconds) << c.seconds;
        EXPECT_EQ(record.alertMinutes, c.wantMinutes) << c.minutes;
    }
}

TEST(RecordRepair, FlagsAndListImage) {
    SiteRecord record = NewSiteRecord();
    record.active = 2;
    record.logEnabled = 0xFF;
    record.logAllDetail = 0;
    record.listImage = 3;
    RepairLoadedRecord(record);
    EXPECT_EQ(record.active, 1);
    EXPECT_EQ(record.logEnabled, 1);
    EXPECT_EQ(record.logAllDetail, 0);
    EXPECT_EQ(record.listImage, 3u);  // mid-animation is kept

    record.listImage = 1000;
    RepairLoadedRecord(record);
    EXPECT_EQ(record.listImage, 0u);
    record.active = 0;
    record.listImage = 5;
    RepairLoadedRecord(record);
    EXPECT_EQ(record.listImage, 1u);
}

}  // namespace
}  // namespace wexfold::testing
