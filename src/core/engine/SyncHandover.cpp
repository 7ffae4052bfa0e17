#include "core/engine/SyncHandover.h"

namespace wexfold {

SyncHandover::SyncHandover(std::function<void()> waker)
    : waker_(std::move(waker)), uiThread_(std::this_thread::get_id()) {}

bool SyncHandover::Send(const std::function<void()>& task) {
    if (OnUiThread()) {
        if (Closed()) return false;
        task();
        return true;
    }
    Task entry{&task};
    {
        std::unique_lock lock(mutex_);
        if (closed_) return false;
        queue_.push_back(&entry);
        ui_.notify_one();
    }
    if (waker_) waker_();
    std::unique_lock lock(mutex_);
    senders_.wait(lock, [&] { return entry.done; });
    return entry.run == nullptr;
}

void SyncHandover::Drain() {
    std::unique_lock lock(mutex_);
    while (!queue_.empty() && !closed_) {
        Task* task = queue_.front();
        queue_.pop_front();
        lock.unlock();
        (*task->run)();
        lock.lock();
        task->run = nullptr;
        task->done = true;
        senders_.notify_all();
    }
}

void SyncHandover::WaitForWork(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    ui_.wait_until(lock, deadline, [&] { return !queue_.empty() || woken_ || closed_; });
    woken_ = false;
}

void SyncHandover::Wake() {
    std::lock_guard lock(mutex_);
    woken_ = true;
    ui_.notify_one();
}

void SyncHandover::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    for (Task* task : queue_) task->done = true;
    queue_.clear();
    senders_.notify_all();
    ui_.notify_all();
}

bool SyncHandover::Closed() const {
    std::lock_guard lock(mutex_);
    return closed_;
}

}  // namespace wexfold
