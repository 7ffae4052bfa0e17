// The add-site form without its widgets: the limits the fields keep while the user types, and
// the checks of OK that turn the fields into a new site record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/sites/SiteRecord.h"

namespace wexfold {

// Field limits. The name is counted in bytes, since the record's name field holds 10 bytes;
// domain, user name and password in characters (UTF-8 code points).
inline constexpr std::size_t kNameLimit = SiteRecord::kNameMax;
inline constexpr std::size_t kDomainLimit = 100;
inline constexpr std::size_t kUserLimit = 20;
inline constexpr std::size_t kPasswordLimit = 20;
inline constexpr int kPortLimit = 65535;

// The first `limit` characters of a UTF-8 text (the whole text when it is shorter).
std::string CutToLimit(const std::string& text, std::size_t limit);

// The longest start of a UTF-8 text that has at most `limit` bytes and ends on a character
// boundary.
std::string CutToBytes(const std::string& text, std::size_t limit);

// The value of a port field: 0 when empty; none when it holds anything but digits or its value
// is above kPortLimit.
std::optional<std::uint16_t> PortValue(std::string_view text);

struct NewSiteFields {
    std::string name;
    int protocol;  // position in kProtocolChoices: 0 http, 1 ftp, 2 https
    std::string port;
    std::string domain;
    bool authentication;
    std::string user;
    std::string password;
};

enum class FormField { kNone, kName, kDomain, kUser, kPassword, kPort };

// The check of a field after each change of its text: the name keeps kNameLimit bytes, the
// domain, user name and password their limits in characters, the port at most kPortLimit.
// An accepted text comes back as it is with no message; a refused one as the field is to be
// set, with the limit message to show.
struct TypedField {
    std::string text;
    std::string message;
};
TypedField CheckTypedField(FormField field, const std::string& text);

// The messageId of a name that cannot be a folder name; its message has no string id.
inline constexpr int kUnusableNameMessage = -1;

struct FormVerdict {
    int messageId = 0;    // string id of the refusal (or kUnusableNameMessage); 0 = accepted
    std::string message;  // the refusal as shown, in the current language
    FormField focus = FormField::kNone;
    SiteRecord record{};  // on acceptance: the new site with the fields' name and address
};

// The checks of OK, in order: domain, port, user name and password (only with authentication),
// then the name: not empty, not the name of a listed site (compared byte for byte), and usable
// as a folder name. The first failing check decides the verdict.
FormVerdict CheckNewSite(const NewSiteFields& fields, const std::vector<SiteRecord>& sites);

// What an accepted site gets as it enters the list, before its log is opened and the list
// saved: monitoring switched on, the first picture, the composed fetch address.
void ReadyNewSite(SiteRecord& site);

}  // namespace wexfold
