// The site list as `wexfold --list` prints it: per site its name, its address without the
// password, its interval, whether it is watched, and its alert and logging options; as a
// table for people or, with --json, as a JSON array for machines.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "core/sites/SiteRecord.h"

namespace wexfold {

// The interval as --interval takes it: "default", "30s", "5m" or "2h".
std::string IntervalText(const SiteRecord& site);

void ListSites(const std::vector<SiteRecord>& sites, bool json, std::ostream& out);

}  // namespace wexfold
