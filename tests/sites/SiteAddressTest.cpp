// Splitting a "Domain or IP" text, composing the fetched and shown address, the setters'
// limits; the add-site form's checks in order and its cuts (its refusals: also tests/server).
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "core/sites/NewSiteForm.h"
#include "core/sites/SiteAddress.h"
#include "core/sites/SiteRename.h"

namespace wexfold {
namespace {

UrlParts Parts(std::string_view scheme, std::string_view text) {
    UrlParts parts;
    ClearUrlParts(parts);
    EXPECT_TRUE(AssignScheme(parts, scheme) && ParseHostText(text, parts));
    return parts;
}

// Each text is split over parts that held another path and query; the text shown for editing
// (the typed text when 'shown' is empty) splits again into the same parts.
TEST(SiteAddress, HostTextSplitsComposesAndRoundTrips) {
    struct Case {
        std::string text, host, path, query, address, shown = {};
    };
    const std::vector<Case> cases = {
        {"host/page.asp?id=3", "host", "page.asp?", "id=3", "http://host/page.asp?id=3"},
        {"192.0.2.1/", "192.0.2.1", "", "", "http://192.0.2.1", "192.0.2.1"},
        {"host//x", "host", "/x", "", "http://host/x"},
        {"host/\\x", "host", "\\x", "", "http://host\\x"},
        // A '?' before any '/': the query starts at it, so the address is what was typed.
        {"a?b/c", "a", "", "?b/c", "http://a?b/c"},
        // Nothing before the first '/' can be a host: the text stays whole.
        {"/page?q", "/page?q", "", "", "http:///page?q"},
        {"", "", "", "", "http://"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        UrlParts parts = Parts("http", "old/stale?old=1");
        ASSERT_TRUE(ParseHostText(c.text, parts));
        EXPECT_EQ(std::string(parts.hostName) + "|" + parts.urlPath + "|" + parts.extraInfo,
                  c.host + "|" + c.path + "|" + c.query);
        EXPECT_EQ(ComposedAddress(parts), c.address);
        EXPECT_EQ(AddressText(parts), c.shown.empty() ? c.text : c.shown);
        const UrlParts again = Parts("http", AddressText(parts));
        EXPECT_EQ(std::memcmp(&again, &parts, sizeof parts), 0);
    }
}

// The port is shown only when it is not the scheme's default; the password only after a user
// name. Credentials are taken out of the stored address by what the site holds, never by
// parsing, so any character of a password survives; what is shown keeps the user name only.
TEST(SiteAddress, PortsAndCredentials) {
    struct Case {
        const char* scheme;
        std::uint16_t port;
        std::string user, password, composed, fetchUrl = {}, fetched = {}, shown = {};
    };
    const std::string odd = "p@ /?#:x";
    const std::vector<Case> cases = {
        {"http", 80, "", "", "http://host/a", "http://host/a?b", "http://host/a?b",
         "http://host/a?b"},
        {"HTTPS", 443, "", "", "HTTPS://host/a"},
        {"webcal", 0, "", "", "webcal://host/a"},
        {"MAILTO", 0, "joe", "", "MAILTO:joe@host/a"},
        {"http", 80, "joe", "", "http://joe@host/a", "http://joe@host/a", "http://host/a",
         "http://joe@host/a"},
        {"http", 81, "joe", odd, "http://joe:" + odd + "@host:81/a",
         "http://joe:" + odd + "@host:81/a", "http://host:81/a", "http://joe@host:81/a"},
        // An address that no longer begins with the credentials: fetched as stored, shown
        // composed from the parts without the password.
        {"http", 80, "joe", "pw", "http://joe:pw@host/a", "http://old:pw@host/",
         "http://old:pw@host/", "http://joe@host/a"},
    };
    for (const Case& c : cases) {
        UrlParts parts = Parts(c.scheme, "host/a");
        parts.port = c.port;
        ASSERT_TRUE(AssignUser(parts, c.user) && AssignPassword(parts, c.password));
        EXPECT_EQ(ComposedAddress(parts), c.composed);
        if (c.fetchUrl.empty()) continue;
        EXPECT_EQ(AddressWithoutCredentials(c.fetchUrl, parts), c.fetched);
        EXPECT_EQ(DisplayAddress(c.fetchUrl, parts), c.shown);
    }
    // A password needs a user name; one left behind a removed user name is never written.
    UrlParts parts = Parts("http", "host");
    EXPECT_FALSE(AssignPassword(parts, "pw"));
    ASSERT_TRUE(AssignUser(parts, "joe") && AssignPassword(parts, "pw") && AssignUser(parts, ""));
    EXPECT_EQ(ComposedAddress(parts), "http://host");
}

// A text too long for its field or holding a NUL is refused and leaves the parts as they were.
TEST(SiteAddress, RefusedTextsLeaveThePartsAsTheyWere) {
    using Setter = bool (*)(UrlParts&, std::string_view);
    const std::vector<std::pair<Setter, std::size_t>> setters = {
        {AssignScheme, 32},    {AssignHost, 256},  {AssignUser, 128},
        {AssignPassword, 128}, {AssignPath, 2048}, {AssignQuery, 2048}};
    for (const auto& [assign, max] : setters) {
        UrlParts parts = Parts("http", "host/old?q");
        ASSERT_TRUE(AssignUser(parts, "u") && assign(parts, std::string(max, 'x')) &&
                    assign(parts, "short"));
        const UrlParts before = parts;
        EXPECT_FALSE(assign(parts, std::string(max + 1, 'x'))) << max;
        EXPECT_FALSE(assign(parts, std::string("a\0b", 3)));
        EXPECT_EQ(std::memcmp(&parts, &before, sizeof parts), 0) << max;
    }
    UrlParts parts = Parts("http", "host/old?q");
    EXPECT_FALSE(ParseHostText(std::string(257, 'h') + "/new", parts));
    EXPECT_FALSE(ParseHostText("new/" + std::string(2049, 'p'), parts));
    EXPECT_EQ(AddressText(parts), "host/old?q");

    // "http://" and the host: 7 + 248 = 255 characters fit the 256-byte field with the NUL.
    SiteRecord record = NewSiteRecord();
    ASSERT_TRUE(AssignHost(record.url, std::string(248, 'h')));
    EXPECT_TRUE(ComposeFetchUrl(record));
    EXPECT_EQ(std::strlen(record.fetchUrl), 255u);
    ASSERT_TRUE(AssignHost(record.url, std::string(249, 'h')));
    EXPECT_FALSE(ComposeFetchUrl(record));
    EXPECT_EQ(std::string(record.fetchUrl, 256), std::string(256, '\0'));
}

TEST(NewSiteForm, ChecksRunInOrderAndFocusTheFieldAtFault) {
    std::vector<SiteRecord> sites(1, NewSiteRecord());
    ASSERT_TRUE(ApplyRename(sites[0], "home"));
    // Every field wrong; each step mends the field the previous verdict named.
    NewSiteFields fields{"", 0, "70000", "", true, "", ""};
    const std::vector<std::tuple<int, FormField, void (*)(NewSiteFields&)>> steps = {
        {218, FormField::kDomain, [](NewSiteFields& f) { f.domain = "home.test/a?b"; }},
        {224, FormField::kPort, [](NewSiteFields& f) { f.port = "8080"; }},
        {219, FormField::kUser, [](NewSiteFields& f) { f.user = "bob"; }},
        {220, FormField::kPassword, [](NewSiteFields& f) { f.password = "pw"; }},
        {221, FormField::kName, [](NewSiteFields& f) { f.name = "home"; }},
        {222, FormField::kName, [](NewSiteFields& f) { f.name = ".."; }},
        {kUnusableNameMessage, FormField::kName, [](NewSiteFields& f) { f.name = "home2"; }},
    };
    for (const auto& [id, focus, mend] : steps) {
        const FormVerdict verdict = CheckNewSite(fields, sites);
        EXPECT_EQ(verdict.messageId, id);
        EXPECT_EQ(verdict.focus, focus) << id;
        EXPECT_FALSE(verdict.message.empty()) << id;
        mend(fields);
    }
    FormVerdict accepted = CheckNewSite(fields, sites);
    EXPECT_TRUE(accepted.messageId == 0 && accepted.focus == FormField::kNone);
    EXPECT_EQ(SiteNameText(accepted.record), "home2");
    EXPECT_EQ(ComposedAddress(accepted.record.url), "http://bob:pw@home.test:8080/a?b");
    // Without authentication the user name and password are not read.
    fields.authentication = false;
    accepted = CheckNewSite(fields, sites);
    EXPECT_EQ(ComposedAddress(accepted.record.url), "http://home.test:8080/a?b");
    EXPECT_STREQ(accepted.record.url.password, "");
}

TEST(NewSiteForm, CutsKeepWholeCharactersAndPortsAreDigits) {
    const std::string mixed = "h\xC3\xA9\xE7\xBD\x91\xF0\x9F\x98\x80z";  // h é 网 😀 z
    const std::vector<std::tuple<std::string (*)(const std::string&, std::size_t), std::string,
                                 std::size_t, std::string>>
        cuts = {
            {CutToLimit, mixed, 0, ""},
            {CutToLimit, mixed, 2, "h\xC3\xA9"},
            {CutToLimit, mixed, 4, mixed.substr(0, 10)},
            {CutToLimit, mixed, 5, mixed},
            {CutToBytes, mixed, 5, "h\xC3\xA9"},  // 网 would end past byte 5
            {CutToBytes, mixed, 6, mixed.substr(0, 6)},
            {CutToBytes, mixed, 9, mixed.substr(0, 6)},
            {CutToBytes, mixed, 11, mixed},
        };
    for (const auto& [cut, text, limit, kept] : cuts) {
        EXPECT_EQ(cut(text, limit), kept) << text << " " << limit;
    }
    // Port texts and their values, -1 where refused.
    const std::pair<const char*, int> ports[] = {
        {"", 0}, {"0080", 80}, {"65535", 65535}, {"65536", -1}, {"8a", -1}, {"-1", -1},
    };
    for (const auto& [text, value] : ports) {
        const std::optional<std::uint16_t> port = PortValue(text);
        EXPECT_EQ(port ? int{*port} : -1, value) << text;
    }
    EXPECT_FALSE(PortValue(std::string(20, '9')));
}

}  // namespace
}  // namespace wexfold
