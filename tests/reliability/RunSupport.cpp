#include "RunSupport.h"

#include <algorithm>
#include <cstdlib>
#include <set>

#include "ProcStatus.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {

int SecondsFromEnvironment(const char* name, int fallback) {
    const char* value = std::getenv(name);
    const int seconds = value != nullptr ? std::atoi(value) : 0;
    return seconds > 0 ? seconds : fallback;
}

std::vector<std::string> LogLines(const std::filesystem::path& folder) {
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

int CountPrefixed(const std::vector<std::string>& lines, const std::string& prefix) {
    return static_cast<int>(std::count_if(
        lines.begin(), lines.end(), [&](const auto& line) { return line.rfind(prefix, 0) == 0; }));
}

long ProcessPeaks::Sample() {
    const long rss = StatusField("VmRSS");
    threads = std::max(threads, StatusField("Threads"));
    rssKb = std::max(rssKb, rss);
    return rss;
}

}  // namespace wexfold::testing
