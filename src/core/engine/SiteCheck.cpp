#include "core/engine/SiteCheck.h"

#include <utility>

namespace wexfold {

namespace {

// The queues this thread pushed to while holding its wakes, to be woken at its flush.
thread_local bool holdingWakes = false;
thread_local std::vector<std::shared_ptr<CheckQueue>> heldWakes;

}  // namespace

SiteCheck::SiteCheck(std::shared_ptr<SiteMonitor> monitor, std::shared_ptr<CheckQueue> queue,
                     std::string url, std::string user, std::string password)
    : url(std::move(url)),
      user(std::move(user)),
      password(std::move(password)),
      monitor_(std::move(monitor)),
      queue_(std::move(queue)) {}

bool SiteCheck::OnProgress(const ProgressReport& report) {
    CheckQueue::Item item;
    item.check = this;
    item.progress = report.progress;
    item.progressMax = report.progressMax;
    item.statusCode = report.statusCode;
    item.text = report.serviceText;
    return queue_->Push(std::move(item));
}

void SiteCheck::Finish(FetchOutcome outcome) {
    CheckQueue::Item item;
    item.check = this;
    item.owner = shared_from_this();
    item.outcome = std::make_unique<FetchOutcome>(std::move(outcome));
    queue_->Push(std::move(item));
}

CheckQueue::CheckQueue(std::shared_ptr<SyncHandover> handover, Handler handler)
    : handover_(std::move(handover)), handler_(std::move(handler)) {}

bool CheckQueue::Push(Item item) {
    bool first = false;
    {
        std::lock_guard lock(mutex_);
        if (closed_ || (!item.outcome && item.check->stopped_.load())) return false;
        first = !wakeDue_;
        wakeDue_ = true;
        queued_.push_back(std::move(item));
    }
    // One wake for each batch: whatever is queued before it is handled goes with it.
    if (first && holdingWakes) {
        heldWakes.push_back(shared_from_this());
    } else if (first) {
        Wake();
    }
    return true;
}

void CheckQueue::Wake() {
    handover_->Post([weak = weak_from_this()] {
        if (const auto queue = weak.lock()) queue->HandleQueued();
    });
}

void CheckQueue::HoldWakes() {
    holdingWakes = true;
}

void CheckQueue::FlushWakes() {
    for (const auto& queue : heldWakes) queue->Wake();
    heldWakes.clear();
}

bool CheckQueue::WakesHeld() {
    return !heldWakes.empty();
}

void CheckQueue::Stop(SiteCheck& check) {
    std::lock_guard lock(mutex_);
    check.stopped_ = true;
}

void CheckQueue::HandleQueued() {
    std::vector<Item> batch;
    {
        std::lock_guard lock(mutex_);
        if (closed_) return;
        batch.swap(queued_);
        queued_.swap(spare_);
        wakeDue_ = false;
    }
    if (!batch.empty()) handler_(batch);
    batch.clear();
    std::lock_guard lock(mutex_);
    if (spare_.capacity() < batch.capacity()) spare_.swap(batch);
}

void CheckQueue::Close() {
    std::vector<Item> dropped;
    std::lock_guard lock(mutex_);
    closed_ = true;
    dropped.swap(queued_);
}

}  // namespace wexfold
