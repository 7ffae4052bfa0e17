// A small event loop for running the engine without a window (the headless mode and tests):
// it runs the hand-over's tasks and periodic timers on the thread that calls Run.
#pragma once

#include <chrono>
#include <functional>
#include <vector>

#include "core/engine/SyncHandover.h"

namespace wexfold {

class EventLoop {
  public:
    explicit EventLoop(SyncHandover& handover) : handover_(handover) {}

    void AddTimer(std::chrono::milliseconds period, std::function<void()> tick);

    // Runs tasks and timers until done() returns true or the time is up.
    void Run(std::chrono::steady_clock::duration limit, const std::function<bool()>& done = {});

  private:
    struct Timer {
        std::chrono::milliseconds period;
        std::chrono::steady_clock::time_point due;
        std::function<void()> tick;
    };

    SyncHandover& handover_;
    std::vector<Timer> timers_;
};

}  // namespace wexfold
