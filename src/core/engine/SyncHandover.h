// The synchronous hand-over from worker threads to the user-interface thread. A worker's Send
// runs a task on the UI thread and returns once it has run, so the task may use what lives on
// the worker's stack. After Close, Send returns at once without running anything.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace wexfold {

class SyncHandover {
public:
    // waker is called (from the sending thread) whenever a task is queued; the Qt program
    // uses it to schedule Drain on its event loop. The constructing thread is the UI thread.
    explicit SyncHandover(std::function<void()> waker = {});
    SyncHandover(const SyncHandover&) = delete;
    SyncHandover& operator=(const SyncHandover&) = delete;

    // Runs task on the UI thread and waits for it; on the UI thread itself it runs at once.
    // Returns false, without running it, once the hand-over is closed.
    bool Send(const std::function<void()>& task);

    // UI thread: runs every queued task.
    void Drain();

    // UI thread: waits until a task is queued, Wake is called or the deadline passes.
    void WaitForWork(std::chrono::steady_clock::time_point deadline);

    // Any thread: ends a WaitForWork early.
    void Wake();

    // UI thread: refuses further tasks and releases every waiting sender unrun.
    void Close();
    bool Closed() const;

    bool OnUiThread() const { return std::this_thread::get_id() == uiThread_; }

private:
    struct Task {
        const std::function<void()>* run;
        bool done = false;
    };

    std::function<void()> waker_;
    std::thread::id uiThread_;
    mutable std::mutex mutex_;
    std::condition_variable senders_;
    std::condition_variable ui_;
    std::deque<Task*> queue_;
    bool closed_ = false;
    bool woken_ = false;
};

}  // namespace wexfold
