// A small event loop for running the engine without a window (the headless mode and tests):
// it runs the hand-over's tasks and periodic timers on the thread that calls Run.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <vector>

#include "core/engine/SyncHandover.h"

namespace wexfold {

class EventLoop {
public:
    explicit EventLoop(SyncHandover& handover) : handover_(handover) {}

    void AddTimer(std::chrono::milliseconds period, std::function<void()> tick);

    // Runs tasks and timers until Quit is called, done() returns true or the time is up.
    void Run(std::chrono::steady_clock::duration limit, const std::function<bool()>& done = {});

    // Any thread (and signal handlers, through a flag they set): ends Run soon.
    void Quit();

private:
    struct Timer {
        std::chrono::milliseconds period;
        std::chrono::steady_clock::time_point due;
        std::function<void()> tick;
    };

    SyncHandover& handover_;
    std::vector<Timer> timers_;
    std::atomic<bool> quit_{false};
};

}  // namespace wexfold
