// "wexfold --report NAME FROM TO [--filter LIST]": a site's report printed as text.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "core/logs/Clock.h"

namespace wexfold {

// args are the words after "--report". Prints the three figures, the page label and every
// page ("=== page K" and its lines) to out. Returns 0, 1 for a refused date range, 2 for bad
// arguments (with the usage on err).
int RunReportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                     const Clock& clock, const std::filesystem::path& base = {});

}  // namespace wexfold
