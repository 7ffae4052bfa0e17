// The advanced settings dialog without its widgets: which sites its pages act on, what each
// page shows for a site, the checks while the user types, and Apply, which writes the pages
// into the site records in memory and says what the running engine has to be told.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/sites/SiteRecord.h"
#include "core/window/Menus.h"

namespace wexfold {

// Interval limits per unit, and the alert minutes.
inline constexpr int kDefaultIntervalSeconds = 10;
inline constexpr int kMinIntervalSeconds = 10;
inline constexpr int kMaxIntervalSeconds = 60;
inline constexpr int kMaxIntervalMinutes = 60;
inline constexpr int kMaxIntervalHours = 12;
inline constexpr int kMaxAlertMinutes = 60;
// Characters the URL or IP field keeps; user name and password keep kUserLimit and
// kPasswordLimit (NewSiteForm.h).
inline constexpr std::size_t kAddressLimit = 200;

// The sites of the three pages when the dialog opens: the selection mark's site on every page
// with the "Add to" radios checked, else site 0 on the Monitor and Report pages with the
// "Add to All sites" radios checked and no site on the URL Info page.
struct SettingsOpening {
    int monitorSite = -1;
    int reportSite = -1;
    int urlSite = -1;
    bool allSites = true;
};

SettingsOpening OpenSettings(int selectionMark, std::size_t siteCount);

// "Add to %s" with the site's name.
std::string AddToText(const SiteRecord& site);

// The Monitor page's fields.
struct MonitorFields {
    int unit = kIntervalDefault;        // the checked interval radio, 0 to 3
    std::array<std::string, 3> values;  // the edits of units 1, 2, 3
    bool allSites = true;
};

// The Report page's fields.
struct ReportFields {
    bool alertOnLoss = false;
    std::string alertMinutes;
    bool logEnabled = false;
    bool logAllDetail = false;
    bool autoDeleteLogs = false;
    bool allSites = true;
};

// The URL Info page's fields.
struct UrlFields {
    std::string address;  // the URL or IP text
    int protocol = -1;    // position in kProtocolChoices; -1 keeps the site's scheme
    std::string port;     // empty means the scheme's default port
    bool authentication = false;
    std::string user;
    std::string password;
};

// What a page shows for a site. A unit outside 0 to 3 shows as the default interval; only
// the unit's own edit gets a value. The URL page's protocol is the entry whose scheme equals
// the site's exactly, -1 when none does.
MonitorFields MonitorPageOf(const SiteRecord& site);
ReportFields ReportPageOf(const SiteRecord& site);
UrlFields UrlPageOf(const SiteRecord& site);

// The port text after the user picks protocol `to` instead of `from`: a field that is empty
// or holds the old protocol's default port gets the new default; another port stays.
std::string PortAfterProtocol(const std::string& port, int from, int to);

enum class SettingsField {
    kNone,
    kSeconds,
    kMinutes,
    kHours,
    kAlertMinutes,
    kPort,
    kAddress,
    kUser,
    kPassword,
};

// A refusal of the dialog: the caption and message of the stop box, and the field it is about.
struct SettingsMessage {
    int messageId = 0;  // string id; 0 for a text without one
    std::string caption;
    std::string text;
    SettingsField field = SettingsField::kNone;

    bool Refuses() const { return !text.empty(); }
};

// The check of a field after each change of its text. Accepted texts come back unchanged
// with no message; a refused one comes back as the field is to be set, with its message.
struct TypedCheck {
    std::string text;
    SettingsMessage message;
};

TypedCheck CheckTyped(SettingsField field, const std::string& text);

// The value of a digits field: 0 when empty, saturated far above every limit.
int FieldValue(const std::string& text);

struct SettingsForm {
    int monitorSite = -1;
    int reportSite = -1;
    int urlSite = -1;  // -1: the URL Info page has no site and changes nothing
    MonitorFields monitor;
    ReportFields report;
    UrlFields url;
    // What the Monitor and Report pages showed before the user's edits (when they were
    // filled for their site, or the defaults): Apply writes only what differs from them.
    MonitorFields monitorShown;
    ReportFields reportShown;
};

struct SettingsOutcome {
    bool applied = false;
    SettingsMessage refusal;  // when not applied
    // Sites whose running interval (as runningInterval gave it) differs from the new one:
    // each is to take it and be notified once with RESULT_INTERVAL_CHANGED, in this order.
    std::vector<int> intervalChanged;
    // The URL Info page's site when its fetch address changed, with the address before.
    int addressSite = -1;
    std::string oldAddress;
};

// Apply, in order: nothing to do without sites; an interval the user changed is checked (a
// refusal changes nothing) and goes to the Monitor page's targets; each Report page setting
// the user changed goes to that page's targets; then the URL Info page, whose refusals leave
// the two pages' changes in place. A setting left as shown changes no site, so OK without an
// edit changes nothing even with "Add to All sites" checked. runningInterval(i)
// is the interval the engine uses now for site i; it is asked after site i's record took the
// new interval, so a site the engine does not run can answer with the record's.
SettingsOutcome ApplySettings(std::vector<SiteRecord>& sites, const SettingsForm& form,
                              const std::function<std::uint32_t(int site)>& runningInterval);

// The "Change" buttons' pop-up: every site's name in list order; ChosenSite turns the chosen
// command back into its site, -1 for none.
inline constexpr int kSettingsSiteFirst = command::kChooserFirst;
Menu SettingsSiteMenu(const std::vector<SiteRecord>& sites);
int ChosenSite(int command, std::size_t siteCount);

}  // namespace wexfold
