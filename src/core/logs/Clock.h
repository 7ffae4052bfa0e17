// The source of the current time. Core code takes the time from a Clock so that midnight,
// month ends and January can be tested without waiting.
#pragma once

#include <cstdint>
#include <ctime>

namespace wexfold {

class Clock {
  public:
    virtual ~Clock() = default;
    // Seconds since 1970-01-01 UTC.
    virtual std::int64_t Now() const = 0;
};

class SystemClock final : public Clock {
  public:
    std::int64_t Now() const override { return static_cast<std::int64_t>(std::time(nullptr)); }
};

// A clock that stands still until it is set or advanced.
class ManualClock final : public Clock {
  public:
    explicit ManualClock(std::int64_t now = 0) : now_(now) {}
    std::int64_t Now() const override { return now_; }
    void Set(std::int64_t now) { now_ = now; }
    void Advance(std::int64_t seconds) { now_ += seconds; }

  private:
    std::int64_t now_;
};

// Local midnight of the given calendar day (month 1-12), or -1 when it cannot be made. A day
// beyond the month's length carries over into the next month, as mktime does.
std::int64_t LocalMidnight(int year, int month, int day);

}  // namespace wexfold
