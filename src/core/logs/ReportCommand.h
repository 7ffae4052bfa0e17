// "wexfold --report NAME FROM TO [--filter LIST] [--csv FILE]": a site's report printed as
// text, and its per-day figures written as CSV.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "core/logs/Clock.h"

namespace wexfold {

// args are the words after "--report"; the two options may come in either order. Prints the
// site's address when the site list ("siteurl" in base) has the site, shown without its
// password, the three figures, the page label and every page ("=== page K" and its lines,
// with the password taken out of any address an older version logged) to out, after
// writing the CSV file when one is named. Returns 0, 1 for a refused date range or a CSV file
// that cannot be written (with the message, for the file its reason, on err and nothing on
// out), 2 for bad arguments (with the usage on err).
int RunReportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                     const Clock& clock, const std::filesystem::path& base = {});

}  // namespace wexfold
