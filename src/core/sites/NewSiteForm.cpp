#include "core/sites/NewSiteForm.h"

#include "core/sites/SiteAddress.h"
#include "core/sites/SiteName.h"
#include "core/sites/SiteRename.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"

namespace wexfold {

namespace {

// Continuation bytes of a UTF-8 sequence; every other byte starts a character.
bool IsContinuationByte(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

FormVerdict Refuse(int id, std::string message, FormField focus) {
    FormVerdict verdict;
    verdict.messageId = id;
    verdict.message = std::move(message);
    verdict.focus = focus;
    return verdict;
}

FormVerdict Refuse(int id, FormField focus) {
    return Refuse(id, Text(id), focus);
}

// A text the field's limit would have stopped: the limit message of the field.
FormVerdict RefuseLength(std::size_t limit, FormField focus) {
    return Refuse(223, FormatText(Text(223), static_cast<int>(limit)), focus);
}

}  // namespace

std::string CutToLimit(const std::string& text, std::size_t limit) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!IsContinuationByte(text[i]) && characters++ == limit) return text.substr(0, i);
    }
    return text;
}

std::string CutToBytes(const std::string& text, std::size_t limit) {
    if (text.size() <= limit) return text;
    std::size_t end = limit;
    while (end > 0 && IsContinuationByte(text[end])) --end;
    return text.substr(0, end);
}

std::optional<std::uint16_t> PortValue(std::string_view text) {
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > kPortLimit) return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

TypedField CheckTypedField(FormField field, const std::string& text) {
    std::size_t limit = 0;
    std::string kept = text;
    switch (field) {
        case FormField::kPort:
            if (PortValue(text)) return {text, {}};
            return {std::to_string(kPortLimit), FormatText(Text(224), kPortLimit)};
        case FormField::kName:
            // Counted in bytes: the record's name field holds kNameLimit bytes.
            limit = kNameLimit;
            kept = CutToBytes(text, limit);
            break;
        case FormField::kDomain:
            limit = kDomainLimit;
            kept = CutToLimit(text, limit);
            break;
        case FormField::kUser:
            limit = kUserLimit;
            kept = CutToLimit(text, limit);
            break;
        case FormField::kPassword:
            limit = kPasswordLimit;
            kept = CutToLimit(text, limit);
            break;
        case FormField::kNone:
            break;
    }
    if (kept == text) return {text, {}};
    return {kept, FormatText(Text(223), static_cast<int>(limit))};
}

FormVerdict CheckNewSite(const NewSiteFields& fields, const std::vector<SiteRecord>& sites) {
    if (fields.domain.empty()) return Refuse(218, FormField::kDomain);

    // Each check starts from fresh parts, so a refused press leaves nothing behind.
    UrlParts parts;
    ClearUrlParts(parts);
    // Only a text far beyond the field's limit can overflow the address parts.
    if (!ParseHostText(fields.domain, parts)) return RefuseLength(kDomainLimit, FormField::kDomain);
    const bool known =
        fields.protocol >= 0 && static_cast<std::size_t>(fields.protocol) < kProtocolChoices.size();
    AssignScheme(parts, kProtocolChoices[known ? fields.protocol : 0].scheme);
    // The field's value wins over the scheme's default port.
    const std::optional<std::uint16_t> port = PortValue(fields.port);
    if (!port) {
        return Refuse(224, FormatText(Text(224), kPortLimit), FormField::kPort);
    }
    parts.port = *port;

    if (fields.authentication) {
        if (fields.user.empty()) return Refuse(219, FormField::kUser);
        if (!AssignUser(parts, fields.user)) return RefuseLength(kUserLimit, FormField::kUser);
        if (fields.password.empty()) return Refuse(220, FormField::kPassword);
        if (!AssignPassword(parts, fields.password)) {
            return RefuseLength(kPasswordLimit, FormField::kPassword);
        }
    }

    const std::string& name = fields.name;
    if (name.empty()) return Refuse(221, FormField::kName);
    for (const SiteRecord& site : sites) {
        if (SiteNameText(site) == name) {
            return Refuse(222, FormatText(Text(222), name.c_str()), FormField::kName);
        }
    }
    // The name becomes the site's log folder.
    if (name.find('\0') != std::string::npos || !IsSafeSiteName(name.c_str())) {
        const char* unusable = Translate(
            "The name '%s' can't be used: a site name has at most 10 characters, holds no '/' "
            "and is not '.' or '..'.");
        return Refuse(kUnusableNameMessage, FormatText(unusable, name.c_str()), FormField::kName);
    }

    FormVerdict verdict;
    verdict.record = NewSiteRecord();
    ApplyRename(verdict.record, name);
    verdict.record.url = parts;
    return verdict;
}

void ReadyNewSite(SiteRecord& site) {
    site.active = 1;
    site.listImage = 0;
    ComposeFetchUrl(site);
}

}  // namespace wexfold
