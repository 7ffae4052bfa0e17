#include "core/logs/Clock.h"

namespace wexfold {

std::int64_t LocalMidnight(int year, int month, int day) {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_isdst = -1;  // let the zone rules decide daylight saving time
    const std::time_t made = std::mktime(&parts);
    if (made == static_cast<std::time_t>(-1)) return -1;
    return static_cast<std::int64_t>(made);
}

}  // namespace wexfold
