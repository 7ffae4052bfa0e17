// What is known of a site's checks: the verdict of the last one, its time, speed and timings,
// and counters. The engine keeps it on the UI thread; the list's badges and tooltips, the tray,
// the desktop notifications and the metrics endpoint read it.
#pragma once

#include <cstdint>

namespace wexfold {

// Seconds from the start of a fetch to each of its stages, as libcurl measures them; negative
// for a stage the fetch did not reach (no TLS on plain http, no first byte from a silent server).
struct FetchTimings {
    double nameLookup = -1;
    double connect = -1;
    double tls = -1;
    double firstByte = -1;
    double total = -1;
};

enum class Verdict {
    kUnchecked,  // no check of this site has ended since the program started
    kUp,         // the last check was an access
    kDown,       // the last check was a broken link or a failed call
};

struct SiteHealth {
    Verdict verdict = Verdict::kUnchecked;
    std::int64_t lastCheck = 0;     // clock time at which the last check ended
    FetchTimings timings;           // of the last check
    std::uint64_t lastBytes = 0;    // body bytes of the last check
    std::int32_t lastSpeedKb = -1;  // the last ".Download speed" figure; -1 before the first
    std::uint64_t checks = 0;       // checks ended since the start, accesses and broken links
    std::uint64_t brokenLinks = 0;  // of them the broken links
    std::uint64_t bytes = 0;        // body bytes of every check since the start
};

}  // namespace wexfold
