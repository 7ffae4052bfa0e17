#include "core/logs/ReportTab.h"

#include <charconv>
#include <cstring>
#include <string_view>

#include "core/logs/ReportRange.h"
#include "core/sites/SiteAddress.h"
#include "core/text/StringTable.h"

namespace wexfold {

namespace {

// The whole text as a decimal integer (an optional minus sign and digits, nothing else).
std::optional<int> Integer(const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

// Local midnight of the chosen day, or nothing when the controls cannot make a date: a month
// without a selection, a day that is not 1 to 31, a year that is not 1900 or later.
std::optional<std::int64_t> ChosenDay(int monthIndex, const std::string& dayText,
                                      const std::string& yearText) {
    const std::optional<int> day = Integer(dayText);
    const std::optional<int> year = Integer(yearText);
    if (monthIndex < 0 || monthIndex > 11 || !day || *day < 1 || *day > 31 || !year ||
        *year < 1900) {
        return std::nullopt;
    }
    const std::int64_t midnight = LocalMidnight(*year, monthIndex + 1, *day);
    if (midnight == -1) return std::nullopt;
    return midnight;
}

std::string_view Field(const char* field, std::size_t size) {
    return {field, strnlen(field, size)};
}

// An address no site holds any more, shown without anything between "://" and its last '@',
// so that no password it may carry is shown.
std::string WithoutUserInfo(const std::string& address) {
    const std::size_t scheme = address.find("://");
    const std::size_t at = address.rfind('@');
    if (scheme == std::string::npos || at == std::string::npos || at < scheme) return address;
    return address.substr(0, scheme + 3) + address.substr(at + 1);
}

ReportTabOutcome Refused(const char* text, const char* caption, bool stopIcon = false) {
    return {ReportRefusal{text, caption, stopIcon}, {}};
}

}  // namespace

int FilterCode(bool broken, bool connectivity, bool speed) {
    return (broken ? kFilterBroken : 0) + (connectivity ? kFilterConnectivity : 0) +
           (speed ? kFilterSpeed : 0);
}

ReportTabOutcome ViewReportChoice(const ReportTabChoice& choice,
                                  const std::vector<SiteRecord>& sites, const Clock& clock) {
    if (sites.empty()) return Refused(Text(209), Translate("No URL"), true);
    const auto from = ChosenDay(choice.fromMonth, choice.fromDay, choice.fromYear);
    if (!from) return Refused(Translate("The 'From' date is not a valid date."), RangeCaption());
    const auto to = ChosenDay(choice.toMonth, choice.toDay, choice.toYear);
    if (!to) return Refused(Translate("The 'To' date is not a valid date."), RangeCaption());
    const RangeCheck check = CheckReportRange(*from, *to, clock.Now());
    if (check != RangeCheck::kValid) return Refused(RangeMessage(check), RangeCaption());
    const int filterCode = FilterCode(choice.broken, choice.connectivity, choice.speed);
    if (filterCode == 0) {
        return Refused(Translate("You must select a filter."), Translate("Show report error."));
    }

    ReportTabOutcome outcome;
    outcome.request.fromTime = *from;
    outcome.request.toTime = *to;
    outcome.request.filterCode = filterCode;
    outcome.request.urlText = WithoutUserInfo(choice.reportUrl);
    for (const SiteRecord& site : sites) {
        if (Field(site.fetchUrl, sizeof site.fetchUrl) == choice.reportUrl) {
            outcome.request.siteName = Field(site.name, sizeof site.name);
            outcome.request.urlText = DisplayAddress(choice.reportUrl, site.url);
            outcome.request.password = Field(site.url.password, sizeof site.url.password);
        }
    }
    return outcome;
}

}  // namespace wexfold
