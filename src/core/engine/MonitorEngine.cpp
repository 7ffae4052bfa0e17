#include "core/engine/MonitorEngine.h"

#include <algorithm>

#include "core/sites/SiteAddress.h"

namespace wexfold {

namespace {

// The monitor takes the site's address: the stored form for comparisons, the address a check
// fetches (without credentials) with the credentials apart, and the form shown to the user.
void TakeAddress(SiteMonitor& monitor, const SiteRecord& site) {
    monitor.fetchUrl = site.fetchUrl;
    monitor.fetchAddress = AddressWithoutCredentials(monitor.fetchUrl, site.url);
    monitor.user = site.url.userName;
    monitor.password = site.url.password;
    monitor.shownAddress = DisplayAddress(monitor.fetchUrl, site.url);
}

}  // namespace

MonitorEngine::MonitorEngine(std::vector<SiteRecord>& sites, EventLog& log, EngineView& view,
                             std::shared_ptr<SiteFetcher> fetcher,
                             std::shared_ptr<SyncHandover> handover)
    : sites_(sites),
      log_(log),
      view_(view),
      fetcher_(std::move(fetcher)),
      handover_(std::move(handover)),
      queue_(std::make_shared<CheckQueue>(
          handover_, [this](std::vector<CheckQueue::Item>& batch) { HandleChecks(batch); })) {}

MonitorEngine::~MonitorEngine() {
    Shutdown(std::chrono::milliseconds(0));
}

std::shared_ptr<SiteMonitor> MonitorEngine::MakeMonitor(int index) {
    const SiteRecord& site = sites_.at(static_cast<std::size_t>(index));
    auto monitor = std::make_shared<SiteMonitor>();
    TakeAddress(*monitor, site);
    monitor->intervalSeconds = static_cast<std::uint32_t>(site.intervalSeconds);
    monitor->siteIndex = static_cast<std::int16_t>(index);
    monitors_.push_back(monitor);
    return monitor;
}

void MonitorEngine::ControlMonitor(int siteIndex, bool start) {
    if (siteIndex == kAllSites) {
        const int count = static_cast<int>(sites_.size());
        const EventLog::Batch lines(log_);
        for (int i = 0; i < count; ++i) {
            auto monitor = MakeMonitor(i);
            if (sites_[static_cast<std::size_t>(i)].active == 1) {
                monitor->mode = MONITOR_RUNNING;
                view_.ShowDetailText(monitor->statusText);
                HandleResult(i, RESULT_STARTED);
            } else {
                monitor->mode = MONITOR_STOPPED;
                HandleResult(i, RESULT_STOPPED);
            }
        }
        for (int i = 0; i < count && i < MonitorCount(); ++i) {
            if (sites_[static_cast<std::size_t>(i)].active == 1) {
                StartCheck(monitors_[static_cast<std::size_t>(i)]);
            }
        }
        return;
    }
    if (siteIndex == kAppendedSite) {
        if (!start || sites_.size() <= monitors_.size()) return;
        const int index = MonitorCount();
        auto monitor = MakeMonitor(index);
        monitor->mode = MONITOR_RUNNING;
        HandleResult(index, RESULT_STARTED);
        StartCheck(monitor);
        return;
    }
    const bool valid = siteIndex >= 0 && siteIndex < MonitorCount();
    if (start) {
        if (!valid) return;
        auto& monitor = monitors_[static_cast<std::size_t>(siteIndex)];
        if (monitor->checks.size() >= kMaxChecksPerSite) return;
        monitor->mode = MONITOR_RUNNING;
        HandleResult(siteIndex, RESULT_STARTED);
        StartCheck(monitor);
        return;
    }
    // What the site's checks reported before the stop is handled before the stop's own line;
    // nothing they report after it is.
    if (valid) {
        SiteMonitor& monitor = *monitors_[static_cast<std::size_t>(siteIndex)];
        StopChecks(monitor);
        queue_->HandleQueued();
    }
    HandleResult(siteIndex, RESULT_STOPPED);
    if (valid) monitors_[static_cast<std::size_t>(siteIndex)]->mode = MONITOR_STOPPED;
}

void MonitorEngine::StartCheck(const std::shared_ptr<SiteMonitor>& monitor) {
    if (shutDown_) return;
    auto check = std::make_shared<SiteCheck>(monitor, queue_, monitor->fetchAddress, monitor->user,
                                             monitor->password);
    monitor->checks.push_back(check);
    fetcher_->Start(std::move(check));
}

void MonitorEngine::StopChecks(SiteMonitor& monitor) {
    bool any = false;
    for (const auto& weak : monitor.checks) {
        if (const auto check = weak.lock()) {
            queue_->Stop(*check);
            any = true;
        }
    }
    if (any) fetcher_->StopSeen();
}

void MonitorEngine::EraseMonitor(int index) {
    if (index < 0 || index >= MonitorCount()) return;
    auto& monitor = monitors_[static_cast<std::size_t>(index)];
    monitor->removed = true;
    monitor->mode = MONITOR_STOPPED;
    StopChecks(*monitor);
    monitors_.erase(monitors_.begin() + index);
    for (int i = index; i < MonitorCount(); ++i) {
        monitors_[static_cast<std::size_t>(i)]->siteIndex = static_cast<std::int16_t>(i);
    }
}

void MonitorEngine::SiteChanged(int index) {
    if (index < 0 || index >= MonitorCount() || index >= static_cast<int>(sites_.size())) return;
    const SiteRecord& site = sites_[static_cast<std::size_t>(index)];
    SiteMonitor& monitor = *monitors_[static_cast<std::size_t>(index)];
    TakeAddress(monitor, site);
    monitor.intervalSeconds = static_cast<std::uint32_t>(site.intervalSeconds);
    monitor.elapsedSeconds = 0;
}

void MonitorEngine::HandleChecks(std::vector<CheckQueue::Item>& batch) {
    const EventLog::Batch lines(log_);
    for (CheckQueue::Item& item : batch) Deliver(item);
}

void MonitorEngine::Deliver(CheckQueue::Item& item) {
    SiteCheck& check = *item.check;
    SiteMonitor& monitor = check.Monitor();
    if (item.outcome) {
        std::erase_if(monitor.checks, [&](const std::weak_ptr<SiteCheck>& weak) {
            const auto running = weak.lock();
            return !running || running.get() == &check;
        });
    }
    const int index = monitor.siteIndex;
    if (monitor.removed || index < 0 || index >= MonitorCount() ||
        monitors_[static_cast<std::size_t>(index)].get() != &monitor) {
        return;
    }
    if (item.outcome) {
        const long code =
            item.outcome->result == FetchResult::kCallFailed ? RESULT_CALL_FAILED : RESULT_FINISHED;
        HandleResult(index, code, nullptr, item.outcome.get(), &check.course);
        return;
    }
    const ProgressReport report{item.progress, item.progressMax, item.statusCode,
                                item.text.c_str()};
    HandleResult(index, RESULT_PROGRESS, &report, nullptr, &check.course);
}

bool MonitorEngine::Shutdown(std::chrono::milliseconds limit) {
    if (shutDown_) return fetcher_->Running() == 0;
    shutDown_ = true;
    handover_->Close();
    queue_->Close();
    heldLines_.reset();
    for (auto& monitor : monitors_) {
        monitor->mode = MONITOR_STOPPED;
        StopChecks(*monitor);
    }
    return fetcher_->Shutdown(limit);
}

}  // namespace wexfold
