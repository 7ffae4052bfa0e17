#include "core/engine/SyncHandover.h"

namespace wexfold {

SyncHandover::SyncHandover(std::function<void()> waker)
    : waker_(std::move(waker)), uiThread_(std::this_thread::get_id()) {}

SyncHandover::~SyncHandover() {
    for (Task* task : queue_) {
        if (task->run == nullptr) delete task;
    }
}

bool SyncHandover::Queue(Task* task) {
    queue_.push_back(task);
    ui_.notify_one();
    const bool wake = !drainDue_;
    drainDue_ = true;
    return wake;
}

bool SyncHandover::Send(const std::function<void()>& task) {
    if (OnUiThread()) {
        if (Closed()) return false;
        task();
        return true;
    }
    Task entry{&task, false, {}};
    bool wake = false;
    {
        std::unique_lock lock(mutex_);
        if (closed_) return false;
        wake = Queue(&entry);
    }
    if (wake && waker_) waker_();
    std::unique_lock lock(mutex_);
    senders_.wait(lock, [&] { return entry.done; });
    return entry.run == nullptr;
}

bool SyncHandover::Post(std::function<void()> task) {
    auto* entry = new Task{nullptr, false, std::move(task)};
    bool wake = false;
    {
        std::unique_lock lock(mutex_);
        if (closed_) {
            delete entry;
            return false;
        }
        wake = Queue(entry);
    }
    if (wake && waker_) waker_();
    return true;
}

void SyncHandover::Drain() {
    std::unique_lock lock(mutex_);
    drainDue_ = false;
    while (!queue_.empty() && !closed_) {
        Task* task = queue_.front();
        queue_.pop_front();
        lock.unlock();
        if (task->run == nullptr) {
            task->posted();
            delete task;
            lock.lock();
            continue;
        }
        (*task->run)();
        lock.lock();
        task->run = nullptr;
        task->done = true;
        senders_.notify_all();
    }
}

void SyncHandover::WaitForWork(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    ui_.wait_until(lock, deadline, [&] { return !queue_.empty() || closed_; });
}

void SyncHandover::Close() {
    std::deque<Task*> dropped;
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        for (Task* task : queue_) {
            if (task->run == nullptr) {
                dropped.push_back(task);
            } else {
                task->done = true;
            }
        }
        queue_.clear();
        senders_.notify_all();
        ui_.notify_all();
    }
    // Posted tasks are destroyed outside the lock: what they hold may post again.
    for (Task* task : dropped) delete task;
}

bool SyncHandover::Closed() const {
    std::lock_guard lock(mutex_);
    return closed_;
}

}  // namespace wexfold
