// What the long runs share: their length from the environment, the lines of a site's log
// files, and the figures of this process sampled while they run.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "ProcStatus.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {

// A sanitizer keeps memory of its own: per-thread state, freed memory in quarantine.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif

// The whole seconds in the environment variable, or fallback when it is unset or not a
// positive number.
inline int SecondsFromEnvironment(const char* name, int fallback) {
    const char* value = std::getenv(name);
    const int seconds = value != nullptr ? std::atoi(value) : 0;
    return seconds > 0 ? seconds : fallback;
}

// Every line of every file in folder, in file-name order, without its LF (a stored line keeps
// the CRs it was written with). A last line without an LF gets "<cut>", so it matches no shape.
inline std::vector<std::string> LogLines(const std::filesystem::path& folder) {
    std::set<std::filesystem::path> files;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
        files.insert(entry.path());
    }
    std::vector<std::string> lines;
    for (const auto& file : files) {
        const std::string text = FileText(file);
        std::size_t at = 0;
        for (std::size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
            lines.push_back(text.substr(at, end - at));
        }
        if (at < text.size()) lines.push_back(text.substr(at) + "<cut>");
    }
    return lines;
}

// How many lines begin with prefix.
inline long CountLines(const std::vector<std::string>& lines, const std::string& prefix) {
    return std::count_if(lines.begin(), lines.end(),
                         [&](const auto& line) { return line.starts_with(prefix); });
}

// Peaks of this process's thread count and resident size, sampled on request.
struct ProcessPeaks {
    long threads = 0;
    long rssKb = 0;
    // Keeps the highest values; returns the resident size now, in kB.
    long Sample() {
        const long rss = StatusField("VmRSS");
        threads = std::max(threads, StatusField("Threads"));
        rssKb = std::max(rssKb, rss);
        return rss;
    }
};

}  // namespace wexfold::testing
