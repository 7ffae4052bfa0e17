// The stored bytes of the site list file: text-mode newline translation and the cut into
// whole records, checked against files built by hand.
#include <gtest/gtest.h>

#include <vector>

#include "SiteTestSupport.h"
#include "core/sites/SiteListFile.h"
#include "core/sites/TextModeCodec.h"

namespace wexfold::testing {
namespace {

using namespace std::string_literals;

TEST(TextModeCodec, TranslatesOnlyLineFeeds) {
    struct Case {
        std::string bytes;
        std::string stored;
    };
    const std::vector<Case> cases = {
        {"", ""},
        {"\n", "\r\n"},
        {"a\nb\n", "a\r\nb\r\n"},
        {"\r", "\r"},
        {"\r\n", "\r\r\n"},
        {"\x1A\0\x0D"s, "\x1A\0\x0D"s},
        {"\n\n", "\r\n\r\n"},
        {"a\r", "a\r"},
        {"\r\r\n\x1A", "\r\r\r\n\x1A"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EncodeTextMode(c.bytes), c.stored) << ::testing::PrintToString(c.bytes);
        EXPECT_EQ(DecodeTextMode(c.stored), c.bytes) << ::testing::PrintToString(c.stored);
    }
}

class SiteListFile : public ::testing::Test {
  protected:
    std::vector<SiteRecord> Load(const std::string& path = {}) {
        std::vector<SiteRecord> list;
        LoadSiteList(path, list, {});
        return list;
    }

    ScratchFolder folder;
};

TEST_F(SiteListFile, DefaultIntervalIsStoredAs4973Bytes) {
    const std::string image = DefaultImage("alpha");
    ASSERT_TRUE(SaveSiteList({FromImage(image)}));

    const std::string stored = ReadFile("siteurl");
    ASSERT_EQ(stored.size(), 4973u);
    EXPECT_EQ(stored, StoredDefault(image));
    EXPECT_EQ(stored.substr(4956, 2), "\r\n");

    const auto list = Load();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(ImageOf(list[0]), image);
}

TEST_F(SiteListFile, EndOfFileByteDoesNotEndTheLoad) {
    std::string first = DefaultImage("first");
    PutU16(first, 12 + 4646, 26);
    WriteFile("siteurl", StoredDefault(first) + StoredDefault(DefaultImage("second")));

    const auto list = Load();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(ImageOf(list[0]), first);
    EXPECT_EQ(list[0].url.port, 26);
    EXPECT_STREQ(list[1].name, "second");
}

TEST_F(SiteListFile, StoredCrLfInsideARecordRoundTrips) {
    std::string image = DefaultImage("crlf");
    PutU16(image, 12 + 4646, 2573);  // bytes 0x0D 0x0A
    ASSERT_TRUE(SaveSiteList({FromImage(image)}));

    std::string expected = image;
    expected.insert(4956, 1, '\r');
    expected.insert(12 + 4646 + 1, 1, '\r');
    const std::string stored = ReadFile("siteurl");
    EXPECT_EQ(stored, expected);
    EXPECT_EQ(stored.substr(12 + 4646, 3), "\x0D\x0D\x0A");

    const auto list = Load();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].url.port, 2573);
    EXPECT_EQ(ImageOf(list[0]), image);
}

TEST_F(SiteListFile, FinalPartialRecordIsIgnored) {
    std::string first = DefaultImage("one");
    std::string second = DefaultImage("two");
    PutU32(first, 4956, 30);  // no 0x0A anywhere, so stored and decoded sizes agree
    PutU32(second, 4956, 30);
    const std::string tail(56, 'x');
    WriteFile("siteurl", first + second + tail);
    ASSERT_EQ(ReadFile("siteurl").size(), 10000u);

    const auto list = Load();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(ImageOf(list[0]), first);
    EXPECT_EQ(ImageOf(list[1]), second);

    WriteFile("short", std::string(4971, 'a'));
    EXPECT_TRUE(Load("short").empty());
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
    std::string lastStored = last;
    lastStored.insert(899, 1, '\r');
    stored += lastStored;
    ASSERT_EQ(stored.substr(65535, 2), "\r\n");
    WriteFile("siteurl", stored);

    const auto list = Load();
    ASSERT_EQ(list.size(), 14u);
    EXPECT_EQ(ImageOf(list[13]), last);
}

TEST_F(SiteListFile, MissingFileLeavesTheListAlone) {
    std::vector<SiteRecord> list{FromImage(DefaultImage("kept"))};
    int calls = 0;
    LoadHooks hooks;
    hooks.loaded = [&](SiteRecord&) { ++calls; };
    LoadSiteList({}, list, hooks);
    LoadSiteList("nothing.wxf", list, hooks);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_STREQ(list[0].name, "kept");
    EXPECT_EQ(calls, 0);
}

TEST_F(SiteListFile, ListOfEveryByteKindRoundTrips) {
    std::vector<SiteRecord> list;
    for (const char* name : {"a", "b\r", "c\x1A"}) {
        std::string image = DefaultImage(name);
        const std::string text = "x\r\n\n\r\x1Ay"s;
        PutBytes(image, 12 + 548, text);
        PutU32(image, 12 + 4668, static_cast<std::uint32_t>(text.size()));
        list.push_back(FromImage(image));
    }
    list[1].logFile = 77;  // a run-time handle is never stored
    ASSERT_TRUE(SaveSiteList(list));
    // Each record gains three CRs (two in the path, one in the interval) before logFile.
    const std::size_t secondLogFile = (4972 + 3) + 4968 + 3;
    EXPECT_EQ(ReadFile("siteurl").substr(secondLogFile, 4), "\0\0\0\0"s);

    // Start-up keeps names that import would refuse, such as these with control bytes.
    const auto loaded = Load();
    ASSERT_EQ(loaded.size(), 3u);
    list[1].logFile = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(ImageOf(loaded[i]), ImageOf(list[i])) << i;
    }
}

}  // namespace
}  // namespace wexfold::testing
