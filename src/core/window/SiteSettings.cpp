#include "core/window/SiteSettings.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

#include "core/sites/NewSiteForm.h"
#include "core/sites/SiteAddress.h"
#include "core/sites/SiteRename.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"

namespace wexfold {

namespace {

// Seconds per unit of the edits of units 1, 2 and 3.
constexpr int kUnitSeconds[] = {1, 60, 3600};

// A field of the record as text, read no further than its array.
template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
    return {field, strnlen(field, N)};
}

bool Names(int site, std::size_t siteCount) {
    return site >= 0 && static_cast<std::size_t>(site) < siteCount;
}

SettingsMessage Message(int id, std::string text, const char* caption, SettingsField field) {
    return {id, Translate(caption), std::move(text), field};
}

SettingsMessage Stop(int id, const char* caption, SettingsField field) {
    return Message(id, Text(id), caption, field);
}

SettingsMessage TooManyLetters(std::size_t limit, SettingsField field) {
    return Message(223, FormatText(Text(223), static_cast<int>(limit)), "Error!", field);
}

// The address cannot be held by the record: a part overflows its field, or the composed
// address does not fit fetchUrl.
SettingsMessage AddressTooLong() {
    return Message(0, Translate("The address is too long: at most 255 characters."), "Error",
                   SettingsField::kAddress);
}

std::uint16_t ChoicePort(int protocol) {
    return DefaultPort(FindScheme(kProtocolChoices[static_cast<std::size_t>(protocol)].scheme));
}

// The interval radio as Apply reads it: an unknown one counts as the default interval.
int KnownUnit(int unit) {
    return unit >= kIntervalSeconds && unit <= kIntervalHours ? unit : kIntervalDefault;
}

bool KnownChoice(int protocol) {
    return protocol >= 0 && static_cast<std::size_t>(protocol) < kProtocolChoices.size();
}

std::vector<int> Targets(bool allSites, int site, std::size_t siteCount) {
    std::vector<int> targets;
    if (allSites) {
        for (std::size_t i = 0; i < siteCount; ++i) targets.push_back(static_cast<int>(i));
    } else if (Names(site, siteCount)) {
        targets.push_back(site);
    }
    return targets;
}

// The interval check of Apply: the seconds radio needs 10 to 60, minutes 1 to 60, hours
// 1 to 12. An edit left empty by the user counts as 0 and is refused too.
SettingsMessage CheckInterval(int unit, int value) {
    switch (unit) {
        case kIntervalSeconds:
            if (value < kMinIntervalSeconds) return Stop(231, "Error!", SettingsField::kSeconds);
            if (value > kMaxIntervalSeconds) return Stop(236, "Error!", SettingsField::kSeconds);
            break;
        case kIntervalMinutes:
            if (value < 1 || value > kMaxIntervalMinutes) {
                return Stop(235, "Error!", SettingsField::kMinutes);
            }
            break;
        case kIntervalHours:
            if (value < 1 || value > kMaxIntervalHours) {
                return Stop(234, "Error!", SettingsField::kHours);
            }
            break;
        default:
            break;
    }
    return {};
}

// The URL Info page into a copy of the site's address parts; the record changes only when
// every check passed.
SettingsMessage ComposeUrlPage(const UrlFields& fields, UrlParts& parts) {
    if (fields.address.empty()) return Stop(218, "Error", SettingsField::kAddress);
    if (!ParseHostText(fields.address, parts)) return AddressTooLong();
    if (KnownChoice(fields.protocol)) {
        AssignScheme(parts, kProtocolChoices[static_cast<std::size_t>(fields.protocol)].scheme);
    }
    if (fields.port.empty()) {
        parts.port = DefaultPort(parts.schemeId);
    } else if (const int port = FieldValue(fields.port); port <= kPortLimit) {
        parts.port = static_cast<std::uint16_t>(port);
    } else {
        return Stop(232, "Error", SettingsField::kPort);
    }
    if (fields.authentication) {
        if (fields.user.empty()) return Stop(219, "Error", SettingsField::kUser);
        if (fields.password.empty()) return Stop(220, "Error", SettingsField::kPassword);
        if (!AssignUser(parts, fields.user)) {
            return TooManyLetters(kUserLimit, SettingsField::kUser);
        }
        if (!AssignPassword(parts, fields.password)) {
            return TooManyLetters(kPasswordLimit, SettingsField::kPassword);
        }
    } else {
        // An unchecked box takes the credentials away; kept, they would still be sent and the
        // box would come back checked.
        AssignUser(parts, "");
        AssignPassword(parts, "");
    }
    if (ComposedLength(parts) >= SiteRecord::kFetchUrlSize) return AddressTooLong();
    return {};
}

}  // namespace

SettingsOpening OpenSettings(int selectionMark, std::size_t siteCount) {
    if (Names(selectionMark, siteCount)) {
        return {selectionMark, selectionMark, selectionMark, false};
    }
    if (siteCount > 0) return {0, 0, -1, true};
    return {};
}

std::string AddToText(const SiteRecord& site) {
    return FormatText(Text(237), SiteNameText(site).c_str());
}

MonitorFields MonitorPageOf(const SiteRecord& site) {
    MonitorFields fields;
    if (site.intervalUnit >= kIntervalSeconds && site.intervalUnit <= kIntervalHours) {
        fields.unit = site.intervalUnit;
        fields.values[fields.unit - 1] =
            std::to_string(site.intervalSeconds / kUnitSeconds[fields.unit - 1]);
    }
    return fields;
}

ReportFields ReportPageOf(const SiteRecord& site) {
    ReportFields fields;
    fields.alertOnLoss = site.alertOnLoss == 1;
    fields.alertMinutes = std::to_string(site.alertMinutes);
    fields.logEnabled = site.logEnabled == 1;
    fields.logAllDetail = site.logAllDetail == 1;
    fields.autoDeleteLogs = site.autoDeleteLogs == 1;
    return fields;
}

UrlFields UrlPageOf(const SiteRecord& site) {
    UrlFields fields;
    fields.address = AddressText(site.url);
    fields.port = std::to_string(site.url.port);
    const std::string scheme = FieldText(site.url.scheme);
    for (std::size_t i = 0; i < kProtocolChoices.size(); ++i) {
        if (scheme == kProtocolChoices[i].scheme) fields.protocol = static_cast<int>(i);
    }
    fields.user = FieldText(site.url.userName);
    fields.authentication = !fields.user.empty();
    if (fields.authentication) fields.password = FieldText(site.url.password);
    return fields;
}

std::string PortAfterProtocol(const std::string& port, int from, int to) {
    if (!KnownChoice(to)) return port;
    const bool oldDefault = KnownChoice(from) && FieldValue(port) == ChoicePort(from);
    return port.empty() || oldDefault ? std::to_string(ChoicePort(to)) : port;
}

int FieldValue(const std::string& text) {
    constexpr std::int64_t kSaturated = 1'000'000'000;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') break;
        value = std::min(kSaturated, value * 10 + (c - '0'));
    }
    return static_cast<int>(value);
}

TypedCheck CheckTyped(SettingsField field, const std::string& text) {
    const int value = FieldValue(text);
    const auto cap = [field](int id, int to) {
        return TypedCheck{std::to_string(to), Stop(id, "Error!", field)};
    };
    const auto cut = [field, &text](std::size_t limit) {
        const std::string kept = CutToLimit(text, limit);
        if (kept == text) return TypedCheck{text, {}};
        return TypedCheck{kept, TooManyLetters(limit, field)};
    };
    switch (field) {
        case SettingsField::kSeconds:
            if (value > kMaxIntervalSeconds) return cap(236, kMaxIntervalSeconds);
            break;
        case SettingsField::kMinutes:
            if (value < 1 || value > kMaxIntervalMinutes) return cap(235, kMaxIntervalMinutes);
            break;
        case SettingsField::kHours:
            if (value < 1 || value > kMaxIntervalHours) return cap(234, kMaxIntervalHours);
            break;
        case SettingsField::kAlertMinutes:
            if (value > kMaxAlertMinutes) return cap(233, kMaxAlertMinutes);
            break;
        case SettingsField::kPort:
            if (value > kPortLimit) return cap(232, kPortLimit);
            break;
        case SettingsField::kAddress:
            return cut(kAddressLimit);
        case SettingsField::kUser:
            return cut(kUserLimit);
        case SettingsField::kPassword:
            return cut(kPasswordLimit);
        case SettingsField::kNone:
            break;
    }
    return {text, {}};
}

SettingsOutcome ApplySettings(std::vector<SiteRecord>& sites, const SettingsForm& form,
                              const std::function<std::uint32_t(int site)>& runningInterval) {
    SettingsOutcome outcome;
    if (sites.empty()) {
        outcome.applied = true;
        return outcome;
    }

    const MonitorFields& monitor = form.monitor;
    const int unit = KnownUnit(monitor.unit);
    const int value = unit == kIntervalDefault ? 0 : FieldValue(monitor.values[unit - 1]);
    const int shownUnit = KnownUnit(form.monitorShown.unit);
    const bool intervalEdited =
        unit != shownUnit ||
        (unit != kIntervalDefault && value != FieldValue(form.monitorShown.values[unit - 1]));
    if (intervalEdited) {
        outcome.refusal = CheckInterval(unit, value);
        if (outcome.refusal.Refuses()) return outcome;
        const int seconds =
            unit == kIntervalDefault ? kDefaultIntervalSeconds : value * kUnitSeconds[unit - 1];
        for (const int i : Targets(monitor.allSites, form.monitorSite, sites.size())) {
            SiteRecord& site = sites[static_cast<std::size_t>(i)];
            site.intervalUnit = static_cast<std::int16_t>(unit);
            site.intervalSeconds = seconds;
            if (runningInterval(i) != static_cast<std::uint32_t>(seconds)) {
                outcome.intervalChanged.push_back(i);
            }
        }
    }

    const ReportFields& report = form.report;
    const ReportFields& shown = form.reportShown;
    const bool minutesEdited =
        report.alertOnLoss && FieldValue(report.alertMinutes) != FieldValue(shown.alertMinutes);
    const bool detailEdited = report.logEnabled && report.logAllDetail != shown.logAllDetail;
    const bool deleteEdited = report.logEnabled && report.autoDeleteLogs != shown.autoDeleteLogs;
    for (const int i : Targets(report.allSites, form.reportSite, sites.size())) {
        SiteRecord& site = sites[static_cast<std::size_t>(i)];
        if (report.alertOnLoss != shown.alertOnLoss) site.alertOnLoss = report.alertOnLoss ? 1 : 0;
        if (minutesEdited) {
            site.alertMinutes = static_cast<std::int16_t>(std::min<int>(
                FieldValue(report.alertMinutes), std::numeric_limits<std::int16_t>::max()));
        }
        if (report.logEnabled != shown.logEnabled) site.logEnabled = report.logEnabled ? 1 : 0;
        if (detailEdited) site.logAllDetail = report.logAllDetail ? 1 : 0;
        if (deleteEdited) site.autoDeleteLogs = report.autoDeleteLogs ? 1 : 0;
    }

    if (Names(form.urlSite, sites.size())) {
        SiteRecord& site = sites[static_cast<std::size_t>(form.urlSite)];
        UrlParts parts = site.url;
        outcome.refusal = ComposeUrlPage(form.url, parts);
        if (outcome.refusal.Refuses()) return outcome;
        const std::string before = FieldText(site.fetchUrl);
        site.url = parts;
        ComposeFetchUrl(site);
        if (FieldText(site.fetchUrl) != before) {
            outcome.addressSite = form.urlSite;
            outcome.oldAddress = before;
        }
    }
    outcome.applied = true;
    return outcome;
}

Menu SettingsSiteMenu(const std::vector<SiteRecord>& sites) {
    Menu menu;
    for (std::size_t i = 0; i < sites.size(); ++i) {
        menu.push_back(
            {.text = SiteNameText(sites[i]), .command = kSettingsSiteFirst + static_cast<int>(i)});
    }
    return menu;
}

int ChosenSite(int command, std::size_t siteCount) {
    const int site = command - kSettingsSiteFirst;
    return command >= kSettingsSiteFirst && Names(site, siteCount) ? site : -1;
}

}  // namespace wexfold
