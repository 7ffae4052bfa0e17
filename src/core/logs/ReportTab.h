// The Report tab's "View report now!": the page's choices checked in order, and either the
// message that refuses them or the request the report dialog is opened with.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/logs/Clock.h"
#include "core/logs/ReportBuilder.h"
#include "core/sites/SiteRecord.h"

namespace wexfold {

// What the page's controls hold when the button is pressed.
struct ReportTabChoice {
    int fromMonth = 0;  // index in the month list, 0 = January; -1 for no selection
    std::string fromDay;
    std::string fromYear;
    int toMonth = 0;
    std::string toDay;
    std::string toYear;
    bool broken = false;
    bool connectivity = false;
    bool speed = false;
    std::string reportUrl;  // the fetchUrl of the site the page reports on
};

// A message box that ends the command. Texts are UTF-8 in the current language.
struct ReportRefusal {
    std::string text;
    std::string caption;
    bool stopIcon = false;  // the stop sign; the other refusals show no icon
    bool operator==(const ReportRefusal&) const = default;
};

struct ReportTabOutcome {
    std::optional<ReportRefusal> refusal;  // set when the report must not open
    ReportRequest request;                 // what the report dialog shows otherwise
};

// The checks in their order: a site at all, a From and a To that make dates, From not after
// To, To not after now, a filter ticked. A day beyond the month's length carries into the
// next month. The site name is that of the last site whose fetchUrl equals reportUrl, empty
// when none does; the request shows that site's address without its password (DisplayAddress)
// and carries the password, to be taken out of the lines listed.
ReportTabOutcome ViewReportChoice(const ReportTabChoice& choice,
                                  const std::vector<SiteRecord>& sites, const Clock& clock);

// The filter code of the ticked boxes: 1 + 3 + 5 for those ticked, 0 for none.
int FilterCode(bool broken, bool connectivity, bool speed);

}  // namespace wexfold
