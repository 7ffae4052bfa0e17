// The hand-over from other threads to the user-interface thread. Send runs a task on the UI
// thread and returns once it has run, so the task may use what lives on the sender's stack;
// Post queues a task and returns at once. Tasks run in the order they were handed over. After
// Close, both return at once without running anything.
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
    // waker is called (from the sending thread) when a task is queued while no Drain is due;
    // the Qt program uses it to schedule Drain on its event loop. The constructing thread is
    // the UI thread.
    explicit SyncHandover(std::function<void()> waker = {});
    ~SyncHandover();
    SyncHandover(const SyncHandover&) = delete;
    SyncHandover& operator=(const SyncHandover&) = delete;

    // Runs task on the UI thread and waits for it; on the UI thread itself it runs at once.
    // Returns false, without running it, once the hand-over is closed.
    bool Send(const std::function<void()>& task);

    // Any thread: queues task for the UI thread without waiting for it. Returns false, dropping
    // it, once the hand-over is closed.
    bool Post(std::function<void()> task);

    // UI thread: runs every queued task.
    void Drain();

    // UI thread: waits until a task is queued, the hand-over closes or the deadline passes.
    void WaitForWork(std::chrono::steady_clock::time_point deadline);

    // UI thread: refuses further tasks, releases every waiting sender unrun and drops the
    // posted tasks.
    void Close();
    bool Closed() const;

    bool OnUiThread() const { return std::this_thread::get_id() == uiThread_; }

  private:
    struct Task {
        const std::function<void()>* run;
        bool done = false;
        std::function<void()> posted;  // a posted task, owned here; run is null then
    };
    // Queues a task (the mutex held) and tells whether the waker is to be called.
    bool Queue(Task* task);

    std::function<void()> waker_;
    std::thread::id uiThread_;
    mutable std::mutex mutex_;
    std::condition_variable senders_;
    std::condition_variable ui_;
    std::deque<Task*> queue_;
    bool closed_ = false;
    bool drainDue_ = false;  // the waker was called and no Drain has started since
};

}  // namespace wexfold
