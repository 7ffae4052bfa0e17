// What the long runs share: their length from the environment, the lines of a site's log
// files, and the figures of this process sampled while they run.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace wexfold::testing {

// The whole seconds in the environment variable, or fallback when it is unset or not a
// positive number.
int SecondsFromEnvironment(const char* name, int fallback);

// Every line of every file in folder, in file-name order, split at each LF and without it (a
// stored line keeps the CRs it was written with). A last line without an LF is kept with
// "<cut>" appended, so that it matches no line shape.
std::vector<std::string> LogLines(const std::filesystem::path& folder);

// How many lines begin with prefix.
int CountPrefixed(const std::vector<std::string>& lines, const std::string& prefix);

// Peaks of this process's thread count and resident size, sampled on request.
struct ProcessPeaks {
    long threads = 0;
    long rssKb = 0;
    // Reads /proc/self/status and keeps the highest values; returns the resident size in kB.
    long Sample();
};

}  // namespace wexfold::testing
