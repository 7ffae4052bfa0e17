#include "core/server/SiteListing.h"

#include <algorithm>
#include <cstring>
#include <iomanip>
#include <ostream>

#include "core/server/TextEscapes.h"
#include "core/sites/SiteAddress.h"
#include "core/sites/SiteRename.h"
#include "core/window/SiteSettings.h"

namespace wexfold {

namespace {

std::string Address(const SiteRecord& site) {
    return DisplayAddress({site.fetchUrl, strnlen(site.fetchUrl, sizeof site.fetchUrl)}, site.url);
}

const char* LogText(const SiteRecord& site) {
    if (site.logEnabled != 1) return "off";
    return site.logAllDetail == 1 ? "all" : "broken";
}

std::string Options(const SiteRecord& site) {
    std::string options = site.alertOnLoss != 1 ? "no alert"
                          : site.alertMinutes > 0
                              ? "alert after " + std::to_string(site.alertMinutes) + " min"
                              : "alert";
    options += std::string(", log ") + LogText(site);
    if (site.logEnabled == 1 && site.autoDeleteLogs == 1) options += ", delete monthly";
    return options;
}

void ListJson(const std::vector<SiteRecord>& sites, std::ostream& out) {
    out << "[";
    for (std::size_t i = 0; i < sites.size(); ++i) {
        const SiteRecord& site = sites[i];
        out << (i == 0 ? "\n" : ",\n") << "  {\"name\": " << JsonString(SiteNameText(site))
            << ", \"url\": " << JsonString(Address(site))
            << ", \"interval\": " << JsonString(IntervalText(site))
            << ", \"interval_seconds\": " << site.intervalSeconds
            << ", \"active\": " << (site.active == 1 ? "true" : "false")
            << ", \"alert\": " << (site.alertOnLoss == 1 ? "true" : "false")
            << ", \"alert_minutes\": " << site.alertMinutes << ", \"log\": \"" << LogText(site)
            << "\", \"delete_monthly\": " << (site.autoDeleteLogs == 1 ? "true" : "false") << "}";
    }
    out << (sites.empty() ? "]\n" : "\n]\n");
}

}  // namespace

std::string IntervalText(const SiteRecord& site) {
    const MonitorFields page = MonitorPageOf(site);
    if (page.unit == kIntervalDefault) return "default";
    return page.values[static_cast<std::size_t>(page.unit - 1)] + "smh"[page.unit - 1];
}

void ListSites(const std::vector<SiteRecord>& sites, bool json, std::ostream& out) {
    if (json) return ListJson(sites, out);
    if (sites.empty()) return;
    std::size_t width = std::strlen("ADDRESS");
    for (const SiteRecord& site : sites) {
        width = std::max(width, PrintableText(Address(site)).size());
    }
    const auto row = [&](const std::string& name, const std::string& address,
                         const std::string& interval, const char* state,
                         const std::string& options) {
        out << std::left << std::setw(SiteRecord::kNameMax + 2) << name
            << std::setw(static_cast<int>(width) + 2) << address << std::setw(10) << interval
            << std::setw(9) << state << options << "\n";
    };
    row("NAME", "ADDRESS", "INTERVAL", "STATE", "OPTIONS");
    for (const SiteRecord& site : sites) {
        row(PrintableText(SiteNameText(site)), PrintableText(Address(site)), IntervalText(site),
            site.active == 1 ? "active" : "stopped", Options(site));
    }
}

}  // namespace wexfold
