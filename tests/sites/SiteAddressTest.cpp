// Splitting a "Domain or IP" text, composing the fetched address and the editable text.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/sites/SiteAddress.h"

namespace wexfold {
namespace {

UrlParts HttpParts() {
    UrlParts parts;
    ClearUrlParts(parts);
    EXPECT_TRUE(AssignScheme(parts, "http"));
    return parts;
}

void ExpectLengthsMatch(const UrlParts& p) {
    EXPECT_EQ(p.schemeLength, std::strlen(p.scheme));
    EXPECT_EQ(p.hostNameLength, std::strlen(p.hostName));
    EXPECT_EQ(p.urlPathLength, std::strlen(p.urlPath));
    EXPECT_EQ(p.extraInfoLength, std::strlen(p.extraInfo));
}

TEST(SiteAddress, HostTextSplitsComposesAndRoundTrips) {
    struct Case {
        std::string text, host, path, query, address, shown;
    };
    const std::vector<Case> cases = {
        {"host/page.asp?id=3", "host", "page.asp?", "id=3", "http://host/page.asp?id=3",
         "host/page.asp?id=3"},
        {"host/page.asp", "host", "page.asp", "", "http://host/page.asp", "host/page.asp"},
        {"host", "host", "", "", "http://host", "host"},
        {"192.0.2.1/", "192.0.2.1", "", "", "http://192.0.2.1", "192.0.2.1"},
        {"host//x", "host", "/x", "", "http://host/x", "host//x"},
        {"host/?id=3", "host", "?", "id=3", "http://host/?id=3", "host/?id=3"},
        {"host/a?b?c", "host", "a?", "b?c", "http://host/a?b?c", "host/a?b?c"},
        {"host/a\\b", "host", "a\\b", "", "http://host/a\\b", "host/a\\b"},
        // A '?' before any '/': the query starts at it, so the address is what was typed.
        {"host?id=3", "host", "", "?id=3", "http://host?id=3", "host?id=3"},
        {"a?b/c", "a", "", "?b/c", "http://a?b/c", "a?b/c"},
        {"?x", "", "", "?x", "http://?x", "?x"},
        // Nothing before the first '/' can be a host: the text stays whole.
        {"/page?q", "/page?q", "", "", "http:///page?q", "/page?q"},
        {"", "", "", "", "http://", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        UrlParts parts = HttpParts();
        ASSERT_TRUE(AssignPath(parts, "stale"));
        ASSERT_TRUE(AssignQuery(parts, "old=1"));
        ASSERT_TRUE(ParseHostText(c.text, parts));
        EXPECT_STREQ(parts.hostName, c.host.c_str());
        EXPECT_STREQ(parts.urlPath, c.path.c_str());
        EXPECT_STREQ(parts.extraInfo, c.query.c_str());
        ExpectLengthsMatch(parts);
        EXPECT_EQ(ComposedAddress(parts), c.address);
        EXPECT_EQ(ComposedLength(parts), c.address.size());
        EXPECT_EQ(AddressText(parts), c.shown);

        UrlParts again = HttpParts();
        ASSERT_TRUE(ParseHostText(AddressText(parts), again));
        EXPECT_STREQ(again.hostName, parts.hostName);
        EXPECT_STREQ(again.urlPath, parts.urlPath);
        EXPECT_STREQ(again.extraInfo, parts.extraInfo);
    }
}

TEST(SiteAddress, PortShownOnlyWhenNotTheDefault) {
    struct Case {
        const char* scheme;
        std::uint16_t port;
        std::string address;
    };
    const std::vector<Case> cases = {
        {"http", 80, "http://host"},
        {"http", 8080, "http://host:8080"},
        {"ftp", 21, "ftp://host"},
        {"ftp", 80, "ftp://host:80"},
        {"https", 443, "https://host"},
        {"HTTPS", 443, "HTTPS://host"},
        {"https", 0, "https://host:0"},
        {"socks", 1080, "socks://host"},
        {"webcal", 0, "webcal://host"},
        {"webcal", 8, "webcal://host:8"},
        {"http", 65535, "http://host:65535"},
    };
    for (const Case& c : cases) {
        UrlParts parts = HttpParts();
        ASSERT_TRUE(AssignScheme(parts, c.scheme));
        ASSERT_TRUE(AssignHost(parts, "host"));
        parts.port = c.port;
        EXPECT_EQ(ComposedAddress(parts), c.address);
        EXPECT_EQ(ComposedLength(parts), c.address.size());
    }
}

TEST(SiteAddress, UserAndPassword) {
    UrlParts parts = HttpParts();
    ASSERT_TRUE(ParseHostText("host/page.asp?id=3", parts));
    parts.port = 8080;
    EXPECT_FALSE(AssignPassword(parts, "pw"));
    EXPECT_TRUE(AssignPassword(parts, ""));
    ASSERT_TRUE(AssignUser(parts, "joe"));
    EXPECT_EQ(ComposedAddress(parts), "http://joe@host:8080/page.asp?id=3");
    ASSERT_TRUE(AssignPassword(parts, "pw"));
    EXPECT_EQ(ComposedAddress(parts), "http://joe:pw@host:8080/page.asp?id=3");

    // A password left behind a removed user name is never written.
    ASSERT_TRUE(AssignUser(parts, ""));
    EXPECT_EQ(ComposedAddress(parts), "http://host:8080/page.asp?id=3");
    EXPECT_EQ(ComposedLength(parts), ComposedAddress(parts).size());
}

// Credentials are taken out of the stored address by what the site holds, never by parsing,
// so any character of a password survives; what is shown keeps the user name only.
TEST(SiteAddress, CredentialsComeOutOfTheAddressWhole) {
    struct Case {
        std::string user, password, fetchUrl, fetched, shown;
    };
    const std::string odd = "p@ /?#:x";
    const std::vector<Case> cases = {
        {"", "", "http://host/a?b", "http://host/a?b", "http://host/a?b"},
        {"joe", "", "http://joe@host/a", "http://host/a", "http://joe@host/a"},
        {"joe", odd, "http://joe:" + odd + "@host:81/a", "http://host:81/a",
         "http://joe@host:81/a"},
        {"a@b", "c:d", "http://a@b:c:d@host", "http://host", "http://a@b@host"},
        // An address that no longer begins with the credentials: fetched as stored, shown
        // composed from the parts without the password.
        {"joe", "pw", "http://old:pw@host/", "http://old:pw@host/", "http://joe@host/a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fetchUrl);
        UrlParts parts = HttpParts();
        ASSERT_TRUE(ParseHostText("host/a", parts));
        ASSERT_TRUE(AssignUser(parts, c.user));
        ASSERT_TRUE(AssignPassword(parts, c.password));
        EXPECT_EQ(AddressWithoutCredentials(c.fetchUrl, parts), c.fetched);
        EXPECT_EQ(DisplayAddress(c.fetchUrl, parts), c.shown);
    }
}

TEST(SiteAddress, SchemesAndRefusedTextsLeaveThePartsAsTheyWere) {
    UrlParts parts = HttpParts();
    ASSERT_TRUE(AssignScheme(parts, "FtP"));
    EXPECT_EQ(ComposedAddress(parts), "FtP://");
    EXPECT_EQ(parts.port, 21);
    ASSERT_TRUE(AssignScheme(parts, std::string(32, 'z')));
    EXPECT_EQ(parts.schemeId, -1);
    EXPECT_EQ(parts.port, 0);
    ASSERT_TRUE(AssignScheme(parts, "mailto"));
    ASSERT_TRUE(AssignUser(parts, "joe"));
    ASSERT_TRUE(AssignHost(parts, "example.test"));
    EXPECT_EQ(ComposedAddress(parts), "mailto:joe@example.test");

    using Setter = bool (*)(UrlParts&, std::string_view);
    const std::vector<std::pair<Setter, std::size_t>> setters = {
        {AssignScheme, 32},    {AssignHost, 256},  {AssignUser, 128},
        {AssignPassword, 128}, {AssignPath, 2048}, {AssignQuery, 2048}};
    for (const auto& [assign, max] : setters) {
        parts = HttpParts();
        ASSERT_TRUE(AssignUser(parts, "u"));
        ASSERT_TRUE(assign(parts, std::string(max, 'x')));
        ASSERT_TRUE(assign(parts, "short"));
        const UrlParts before = parts;
        EXPECT_FALSE(assign(parts, std::string(max + 1, 'x'))) << max;
        EXPECT_FALSE(assign(parts, std::string("a\0b", 3)));
        EXPECT_EQ(std::memcmp(&parts, &before, sizeof parts), 0) << max;
    }
    parts = HttpParts();
    ASSERT_TRUE(ParseHostText("host/old?q", parts));
    EXPECT_FALSE(ParseHostText(std::string(257, 'h') + "/new", parts));
    EXPECT_FALSE(ParseHostText("new/" + std::string(2049, 'p'), parts));
    EXPECT_FALSE(ParseHostText("new/p?" + std::string(2049, 'q'), parts));
    EXPECT_EQ(AddressText(parts), "host/old?q");
}

TEST(SiteAddress, ComposedAddressMustFitWithItsNul) {
    SiteRecord record = NewSiteRecord();
    // "http://" and the host: 7 + 248 = 255 characters fit the 256-byte field exactly.
    ASSERT_TRUE(AssignHost(record.url, std::string(248, 'h')));
    EXPECT_TRUE(ComposeFetchUrl(record));
    EXPECT_EQ(std::strlen(record.fetchUrl), 255u);
    char small[256];
    std::memset(small, 'Z', sizeof small);
    EXPECT_FALSE(ComposeAddress(record.url, small, 255));
    EXPECT_EQ(small[0], 'Z');

    ASSERT_TRUE(AssignHost(record.url, std::string(249, 'h')));
    EXPECT_FALSE(ComposeFetchUrl(record));
    EXPECT_EQ(std::string(record.fetchUrl, sizeof record.fetchUrl),
              std::string(sizeof record.fetchUrl, '\0'));
}

}  // namespace
}  // namespace wexfold
