#include "core/engine/SiteCheck.h"

#include <utility>

namespace wexfold {

SiteCheck::SiteCheck(std::shared_ptr<SiteMonitor> monitor, std::shared_ptr<CheckQueue> queue,
                     std::string url, std::string user, std::string password)
    : url(std::move(url)),
      user(std::move(user)),
      password(std::move(password)),
      monitor_(std::move(monitor)),
      queue_(std::move(queue)) {}

bool SiteCheck::OnProgress(const ProgressReport& report) {
    CheckQueue::Item item;
    item.check = shared_from_this();
    item.progress = report.progress;
    item.progressMax = report.progressMax;
    item.statusCode = report.statusCode;
    item.text = report.serviceText;
    return queue_->Push(std::move(item));
}

void SiteCheck::Finish(FetchOutcome outcome) {
    CheckQueue::Item item;
    item.check = shared_from_this();
    item.finished = true;
    item.outcome = std::move(outcome);
    queue_->Push(std::move(item));
}

CheckQueue::CheckQueue(std::shared_ptr<SyncHandover> handover, Handler handler)
    : handover_(std::move(handover)), handler_(std::move(handler)) {}

bool CheckQueue::Push(Item item) {
    bool first = false;
    {
        std::lock_guard lock(mutex_);
        if (closed_ || (!item.finished && item.check->stopped_.load())) return false;
        first = queued_.empty();
        queued_.push_back(std::move(item));
    }
    // One hand-over task for each batch: whatever is queued before it runs goes with it.
    if (first) {
        handover_->Post([weak = weak_from_this()] {
            if (const auto queue = weak.lock()) queue->HandleQueued();
        });
    }
    return true;
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
    }
    if (!batch.empty()) handler_(batch);
}

void CheckQueue::Close() {
    std::vector<Item> dropped;
    std::lock_guard lock(mutex_);
    closed_ = true;
    dropped.swap(queued_);
}

}  // namespace wexfold
