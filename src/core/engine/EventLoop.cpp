#include "core/engine/EventLoop.h"

#include <algorithm>

namespace wexfold {

namespace {
// The longest wait between two looks at the quit flag and the done condition.
constexpr std::chrono::milliseconds kPollPeriod{100};
}  // namespace

void EventLoop::AddTimer(std::chrono::milliseconds period, std::function<void()> tick) {
    timers_.push_back({period, std::chrono::steady_clock::now() + period, std::move(tick)});
}

void EventLoop::Run(std::chrono::steady_clock::duration limit, const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!(done && done())) {
        auto now = std::chrono::steady_clock::now();
        if (now >= end) break;
        auto wake = std::min(end, now + kPollPeriod);
        for (const Timer& timer : timers_) wake = std::min(wake, timer.due);
        handover_.WaitForWork(wake);
        handover_.Drain();
        now = std::chrono::steady_clock::now();
        for (Timer& timer : timers_) {
            if (now < timer.due) continue;
            // A late tick is not repeated: the next one is a period after this one.
            timer.due += timer.period;
            if (timer.due <= now) timer.due = now + timer.period;
            timer.tick();
        }
    }
}

}  // namespace wexfold
