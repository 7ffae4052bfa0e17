// The --report command line over arbitrary words, against a site with a few days of logs.
// The command runs in the work folder, and a CSV path holding a '/' is never passed on, so
// nothing is written outside that folder.
//
// Input: the words after "--report", one per line.
#include <cctype>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "core/logs/Clock.h"
#include "core/logs/ReportCommand.h"

namespace wexfold::fuzz {
namespace {

constexpr std::int64_t kNow = 1775124000;  // 2026-04-02 12:00 local

std::vector<std::string> Words(std::string_view input) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at <= input.size()) {
        const std::size_t end = std::min(input.find('\n', at), input.size());
        words.emplace_back(input.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

// A CSV path that could leave the work folder, or a FROM year so early that the run would
// spend its time stepping through decades of days without files.
bool Skipped(const std::vector<std::string>& words) {
    for (std::size_t i = 0; i + 1 < words.size(); ++i) {
        if (words[i] == "--csv" && words[i + 1].find('/') != std::string::npos) return true;
    }
    if (words.size() < 2 || words[1].size() < 4) return false;
    int year = 0;
    for (int i = 0; i < 4; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(words[1][i]))) return false;
        year = year * 10 + (words[1][i] - '0');
    }
    return year < 2025;
}

}  // namespace
}  // namespace wexfold::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    using wexfold::fuzz::WriteFile;
    const auto site = wexfold::fuzz::WorkFolder() / "log" / "shop";
    std::filesystem::create_directories(site);
    WriteFile(site / "03282026",
              "* 10 seconds interval time.\r\r\n"
              "..Access successed! end of  08:00:01 03/28 2026 \r\r\n");
    WriteFile(site / "03292026",
              "* 60 seconds interval time.\r\r\n"
              "! Failed! can't connectivy. end of  09:00:00 03/29 2026 \r\r\n"
              ".Download speed: 37 kb/s  09:01:00 03/29 2026 \r\r\n");
    WriteFile(site / "04012026",
              "..Access successed! end of  10:00:00 04/01 2026 \r\r\n"
              "Exit program.  10:05:00 04/01 2026 \r\n");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wexfold;
    using namespace wexfold::fuzz;
    const std::vector<std::string> words = Words({reinterpret_cast<const char*>(data), size});
    if (Skipped(words)) return 0;
    const InWorkFolder inside;
    std::ostringstream out;
    std::ostringstream err;
    const ManualClock clock(kNow);
    const int status = RunReportCommand(words, out, err, clock, WorkFolder());
    Check(status >= 0 && status <= 2, "an unknown exit status");
    if (status != 0) {
        Check(out.str().empty(), "a refused command printed a report");
        Check(!err.str().empty(), "a refused command said nothing");
    } else {
        Check(err.str().empty(), "a report printed an error");
        Check(out.str().find(" pages\n") != std::string::npos, "a report without its page label");
    }
    ClearWorkFolder({"log"});
    return 0;
}
