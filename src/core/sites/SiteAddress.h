// A site's address in components (UrlParts): the setters, the split of a "Domain or IP" text,
// and the composition of the address the downloader fetches.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/sites/SiteRecord.h"

namespace wexfold {

struct SchemeEntry {
    const char* name;
    std::uint16_t defaultPort;
};

// The known schemes; the position in the table is the schemeId.
inline constexpr std::array<SchemeEntry, 8> kSchemes{{
    {"ftp", 21},
    {"gopher", 70},
    {"http", 80},
    {"https", 443},
    {"file", 0},
    {"news", 0},
    {"mailto", 0},
    {"socks", 1080},
}};
inline constexpr std::int32_t kSchemeMailto = 6;

// The protocols the dialogs offer, in list order (the first is selected), with the scheme
// each choice stands for.
struct ProtocolChoice {
    const char* label;
    const char* scheme;
};
inline constexpr std::array<ProtocolChoice, 3> kProtocolChoices{{
    {"http://", "http"},
    {"ftp://", "ftp"},
    {"https://", "https"},
}};

// The position of the name in kSchemes, compared without regard to case; -1 when absent.
std::int32_t FindScheme(std::string_view name);

// The default port of a scheme number; 0 for -1 and any number outside the table.
std::uint16_t DefaultPort(std::int32_t schemeId);

// The setters return false and change nothing when the text is longer than the field's
// maximum or holds a NUL byte. On success the text is stored with zeroed bytes behind it and
// its length field set.
//
// AssignScheme also sets schemeId and port: a known name (any case) gets its number and
// default port, any other name -1 and port 0.
bool AssignScheme(UrlParts& parts, std::string_view name);
bool AssignHost(UrlParts& parts, std::string_view host);
bool AssignUser(UrlParts& parts, std::string_view user);
// Also refuses a non-empty password while userName is empty.
bool AssignPassword(UrlParts& parts, std::string_view password);
bool AssignPath(UrlParts& parts, std::string_view path);
bool AssignQuery(UrlParts& parts, std::string_view query);

// Splits a "Domain or IP" text into hostName, urlPath and extraInfo:
// - 'host/page.asp?id=3': host 'host', path 'page.asp?' (the path keeps the '?' that opens
//   the query), query 'id=3'; 'host/page' has an empty query, 'host' an empty path too;
// - a '?' before any '/', as in 'host?id=3' or 'a?b/c': host up to the '?', empty path,
//   the query from the '?' on ('?id=3', '?b/c'), so the address is what was typed;
// - an empty text or one beginning with '/': the whole text is the host, path and query are
//   emptied.
// When any part is too long for its field (or the text holds a NUL) nothing is changed and
// the result is false.
bool ParseHostText(std::string_view text, UrlParts& parts);

// The composed address: scheme and "://" (":" alone for mailto), "user:password@" (the
// password only with a user name), the host, ":port" unless it is the scheme's default, a
// '/' between host and a path that starts with neither '/' nor '\', then path and query as
// they are.
std::string ComposedAddress(const UrlParts& parts);

// The length of ComposedAddress, without a terminating NUL.
std::size_t ComposedLength(const UrlParts& parts);

// Writes the composed address with its NUL into buffer. Returns false, writing nothing, when
// capacity is less than ComposedLength + 1.
bool ComposeAddress(const UrlParts& parts, char* buffer, std::size_t capacity);

// Composes record.url into fetchUrl, which is zeroed first: an address longer than 255
// characters leaves it empty (false).
bool ComposeFetchUrl(SiteRecord& record);

// fetchUrl with the site's user name and password taken out ("http://host/" for
// "http://joe:pw@host/"): the downloader gets this address and the credentials apart, so no
// character of a password is ever read as part of an address. An address that does not begin
// with the site's scheme and credentials is returned as it is.
std::string AddressWithoutCredentials(const std::string& fetchUrl, const UrlParts& parts);

// The address as the program shows and writes it: fetchUrl with the user name kept and the
// password left out ("http://joe@host/"). When fetchUrl does not begin with the site's
// credentials, the address composed from the parts without the password.
std::string DisplayAddress(const std::string& fetchUrl, const UrlParts& parts);

// The editable text of an address: the host, '/' and the path when there is a path, then the
// query. ParseHostText of this text gives back the same host, path and query.
std::string AddressText(const UrlParts& parts);

}  // namespace wexfold
