// Two days of a site's log that no reader may hold in memory: March 1, 2024 is 1 GiB of a busy
// site's full-detail lines, every one of them listed when all three boxes are ticked, and
// March 2 holds lines of 1 MiB each. The report over both days has known figures and pages, so
// a reader that skips, stops early or shifts a page is caught as well as one that holds too
// much at once.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/logs/Clock.h"

namespace wexfold::testing {

inline constexpr char kHugeLogSite[] = "huge";
inline constexpr std::uintmax_t kHugeDayBytes = std::uintmax_t{1} << 30;
inline constexpr std::size_t kLongLineBytes = std::size_t{1} << 20;
inline constexpr char kHugeBrokenLine[] = "! Failed! can't connectivy. end of  09:00:00 03/01 2024";
// How each long broken line of March 2 begins; 'x' fills the rest of its 1 MiB.
inline constexpr char kLongBrokenStart[] = "! Failed! can't connectivy. ";
// Broken on March 1: two lines before the fetches and one after, 30 s each.
inline constexpr int kHugeDayBrokenLines = 3;

inline std::int64_t HugeLogFirstDay() {
    return LocalMidnight(2024, 3, 1);
}
inline std::int64_t HugeLogLastDay() {
    return LocalMidnight(2024, 3, 2);
}

// The lines of fetch i on March 1, without line ends: two uncounted lines, then a speed line
// and an access line, the two counted ones. The address tells the fetches apart.
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
    std::string chunk = "* 30 seconds interval time.\r\r\n";
    for (int i = 0; i < 2; ++i) chunk += std::string(kHugeBrokenLine) + "\r\r\n";
    std::uintmax_t written = 0;
    long fetches = 0;
    while (written + chunk.size() < kHugeDayBytes) {
        chunk += HugeFetchLines(fetches++, "\r\r\n");
        if (chunk.size() < (1 << 20)) continue;
        first << chunk;
        written += chunk.size();
        chunk.clear();
    }
    first << chunk << "! Failed! can't connectivy. end of  23:00:00 03/01 2024\r\n";

    const std::string filler(kLongLineBytes, 'x');
    std::ofstream second(folder / "03022024", std::ios::binary);
    for (int i = 0; i < 4; ++i) second << kLongBrokenStart << filler << "\r\n";
    second << "..Access successed! " << filler << "\r\n";
    second << ".Download speed: 120 kb/s " << filler << "\r\n";
    return fetches;
}

}  // namespace wexfold::testing
