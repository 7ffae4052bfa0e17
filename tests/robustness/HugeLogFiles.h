// Two days of a site's log that no reader may hold in memory: March 1, 2024 is 1 GiB of a busy
// site's full-detail lines, every one listed when all three boxes are ticked, and March 2 holds
// lines of 1 MiB. The report over both has known figures and pages, so a reader that skips,
// stops early or shifts a page is caught as well as one that holds too much at once.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace wexfold::testing {

inline constexpr char kHugeLogSite[] = "huge";
inline constexpr char kHugeBrokenLine[] = "! Failed! can't connectivy. end of  09:00:00 03/01 2024";
// Broken on March 1, 30 s each: two lines before the fetches and one after.
inline constexpr int kHugeDayBrokenLines = 3;

// The lines of fetch i on March 1: two uncounted lines, then the two counted ones, a speed and
// an access line. The address tells the fetches apart.
inline std::string HugeFetchLines(long i, const char* end = "\n") {
    char address[32];
    std::snprintf(address, sizeof address, "10.%ld.%ld.%ld", i >> 16 & 255, i >> 8 & 255, i & 255);
    return std::string("Start monitor.  10:00:00 03/01 2024 ") + end + "Connecting " + address +
           end + ".Download speed: 120 kb/s  10:00:01 03/01 2024 " + end +
           "..Access successed! end of  10:00:02 03/01 2024 " + end;
}

// Writes both days below base/log/huge/ and returns how many fetches March 1 holds.
inline long WriteHugeLogDays(const std::filesystem::path& base) {
    const std::filesystem::path folder = base / "log" / kHugeLogSite;
    std::filesystem::create_directories(folder);
    std::ofstream first(folder / "03012024", std::ios::binary);
    std::string lines = "* 30 seconds interval time.\r\r\n" + std::string(kHugeBrokenLine) +
                        "\r\r\n" + kHugeBrokenLine + "\r\r\n";
    long fetches = 0;
    for (std::uintmax_t written = 0; written + lines.size() < std::uintmax_t{1} << 30;) {
        written += lines.size();
        first << lines;
        lines = HugeFetchLines(fetches++, "\r\r\n");
    }
    first << lines << "! Failed! can't connectivy. end of  23:00:00 03/01 2024\r\n";
    const std::string filler(1 << 20, 'x');
    std::ofstream second(folder / "03022024", std::ios::binary);
    for (int i = 0; i < 4; ++i) second << "! Failed! can't connectivy. " << filler << "\r\n";
    second << "..Access successed! " << filler << "\r\n.Download speed: 120 kb/s " << filler
           << "\r\n";
    return fetches;
}

}  // namespace wexfold::testing
