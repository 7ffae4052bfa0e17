// Two days of a site's log that no reader may hold in memory: March 1, 2024 is a file of 1 GiB
// that is a hole of NUL bytes between a few real lines at either end, and March 2 holds lines
// of 1 MiB each. The report over both days has known figures, so a reader that skips or stops
// early is caught as well as one that reads too much at once.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/logs/Clock.h"

namespace wexfold::testing {

inline constexpr char kHugeLogSite[] = "huge";
inline constexpr std::uintmax_t kHoleBytes = std::uintmax_t{1} << 30;
inline constexpr std::size_t kLongLineBytes = std::size_t{1} << 20;

// Broken 3 x 30 s + 4 x 10 s, connected 3 x 30 s + 1 x 10 s, one speed line of 120 kb/s.
inline constexpr char kHugeBrokenLabel[] = "Broken link Rate: 56%, 2.16 Minutes";
inline constexpr char kHugeConnectivityLabel[] = "Connectivity Rate:43%, 1.66 Minutes";
inline constexpr char kHugeSpeedLabel[] = "Average download speed: 120 kb/s";
inline constexpr char kHugeBrokenLine[] = "! Failed! can't connectivy. end of  09:00:00 03/01 2024";
// How each long broken line of March 2 begins; 'x' fills the rest of its 1 MiB.
inline constexpr char kLongBrokenStart[] = "! Failed! can't connectivy. ";

inline std::int64_t HugeLogFirstDay() {
    return LocalMidnight(2024, 3, 1);
}
inline std::int64_t HugeLogLastDay() {
    return LocalMidnight(2024, 3, 2);
}

// Writes both days below base/log/huge/; the first is sparse, so it costs no disk space.
inline void WriteHugeLogDays(const std::filesystem::path& base) {
    const std::filesystem::path folder = base / "log" / kHugeLogSite;
    std::filesystem::create_directories(folder);

    const std::filesystem::path first = folder / "03012024";
    std::string head = "* 30 seconds interval time.\r\n";
    for (int i = 0; i < 2; ++i) head += std::string(kHugeBrokenLine) + "\r\n";
    std::ofstream(first, std::ios::binary) << head;
    std::filesystem::resize_file(first, head.size() + kHoleBytes);
    std::ofstream tail(first, std::ios::binary | std::ios::app);
    tail << "\r\n";
    for (int i = 0; i < 3; ++i) tail << "..Access successed! end of  10:00:00 03/01 2024\r\n";
    tail << "! Failed! can't connectivy. end of  23:00:00 03/01 2024\r\n";
    tail.close();

    const std::string filler(kLongLineBytes, 'x');
    std::ofstream second(folder / "03022024", std::ios::binary);
    for (int i = 0; i < 4; ++i) second << kLongBrokenStart << filler << "\r\n";
    second << "..Access successed! " << filler << "\r\n";
    second << ".Download speed: 120 kb/s " << filler << "\r\n";
}

}  // namespace wexfold::testing
