#include "core/logs/ReportCommand.h"

#include <cctype>
#include <optional>
#include <ostream>
#include <system_error>

#include "core/common/Result.h"
#include "core/logs/ReportBuilder.h"
#include "core/logs/ReportCsv.h"
#include "core/logs/ReportRange.h"
#include "core/sites/SiteAddress.h"
#include "core/sites/SiteListFile.h"
#include "core/sites/SiteName.h"

namespace wexfold {

namespace {

const char kUsage[] =
    "usage: wexfold --report NAME FROM TO [--filter broken,connectivity,speed] [--csv FILE]\n"
    "  FROM and TO are days as YYYY-MM-DD; the filter lists one to three of the words;\n"
    "  --csv also writes the figures of each day to FILE\n";

// "YYYY-MM-DD" as a local midnight; a day beyond the month's end carries into the next one.
bool ParseDay(const std::string& text, std::int64_t& midnight) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    }
    const int year = std::stoi(text.substr(0, 4));
    const int month = std::stoi(text.substr(5, 2));
    const int day = std::stoi(text.substr(8, 2));
    if (year < 1900 || month < 1 || month > 12 || day < 1 || day > 31) return false;
    midnight = LocalMidnight(year, month, day);
    return midnight != -1;
}

// "broken,connectivity,speed" in any order, each word at most once, as the filter code.
bool ParseFilter(const std::string& text, int& code) {
    code = 0;
    int seen = 0;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find(',', at);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(at, end - at);
        int bit = 0;
        int part = 0;
        if (word == "broken") bit = 1, part = kFilterBroken;
        if (word == "connectivity") bit = 2, part = kFilterConnectivity;
        if (word == "speed") bit = 4, part = kFilterSpeed;
        if (part == 0 || (seen & bit) != 0) return false;
        seen |= bit;
        code += part;
        at = end + 1;
    }
    return code != 0;
}

// The page's lines with every line end as a single LF, and a final one.
std::string NormalisedLines(const std::string& page) {
    std::string text;
    text.reserve(page.size() + 1);
    for (std::size_t i = 0; i < page.size(); ++i) {
        if (page[i] == '\r' && (i + 1 == page.size() || page[i + 1] == '\n')) continue;
        text.push_back(page[i]);
    }
    if (!text.empty() && text.back() != '\n') text += '\n';
    return text;
}

int Usage(std::ostream& err, const std::string& problem) {
    err << "wexfold: " << problem << "\n" << kUsage;
    return 2;
}

}  // namespace

int RunReportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                     const Clock& clock, const std::filesystem::path& base) {
    if (args.size() < 3 || args.size() % 2 == 0) return Usage(err, "--report takes NAME FROM TO");
    ReportRequest request;
    request.siteName = args[0];
    if (!IsSafeSiteName(request.siteName.c_str())) {
        return Usage(err, "'" + args[0] + "' is not a site name");
    }
    if (!ParseDay(args[1], request.fromTime)) return Usage(err, "bad FROM date '" + args[1] + "'");
    if (!ParseDay(args[2], request.toTime)) return Usage(err, "bad TO date '" + args[2] + "'");
    request.filterCode = kFilterAll;
    bool filterSeen = false;
    std::optional<std::string> csvPath;
    for (std::size_t at = 3; at + 1 < args.size(); at += 2) {
        const std::string& value = args[at + 1];
        if (args[at] == "--filter" && !filterSeen) {
            filterSeen = true;
            if (!ParseFilter(value, request.filterCode)) {
                return Usage(err, "bad filter '" + value + "'");
            }
        } else if (args[at] == "--csv" && !csvPath) {
            csvPath = value;
        } else {
            return Usage(err, "unexpected '" + args[at] + "'");
        }
    }
    const RangeCheck check = CheckReportRange(request.fromTime, request.toTime, clock.Now());
    if (check != RangeCheck::kValid) {
        err << RangeMessage(check) << "\n";
        return 1;
    }

    // The site's address and password, when the site list still has a site of that name.
    std::vector<SiteRecord> sites;
    std::error_code error;
    const std::filesystem::path folder = base.empty() ? std::filesystem::current_path(error) : base;
    LoadSiteList((folder / "siteurl").string(), sites, {});
    for (const SiteRecord& site : sites) {
        if (request.siteName != site.name) continue;
        request.urlText = DisplayAddress(site.fetchUrl, site.url);
        request.password = site.url.password;
    }

    const Report report = BuildReport(request, base);
    if (csvPath) {
        if (const Result written = WriteReportCsv(report, *csvPath); !written) {
            err << "wexfold: " << written.Message() << "\n";
            return 1;
        }
    }
    ReportPager pager(report);
    if (!request.urlText.empty()) out << ReportUrlLabel(request) << "\n";
    out << report.BrokenLabel() << "\n"
        << report.ConnectivityLabel() << "\n"
        << report.SpeedLabel() << "\n"
        << pager.PageLabel() << "\n";
    for (std::size_t page = 0; page < report.PageCount(); ++page) {
        out << "=== page " << page << "\n" << NormalisedLines(report.PageText(page));
    }
    return 0;
}

}  // namespace wexfold
