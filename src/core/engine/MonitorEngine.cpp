#include "core/engine/MonitorEngine.h"

#include <filesystem>
#include <system_error>
#include <thread>

namespace wexfold {

MonitorEngine::MonitorEngine(std::vector<SiteRecord>& sites, EventLog& log, EngineView& view,
                             std::shared_ptr<Downloader> downloader,
                             std::shared_ptr<SyncHandover> handover)
    : sites_(sites),
      log_(log),
      view_(view),
      downloader_(std::move(downloader)),
      handover_(std::move(handover)),
      workers_(std::make_shared<Workers>()) {}

MonitorEngine::~MonitorEngine() {
    Shutdown(std::chrono::milliseconds(0));
}

std::shared_ptr<SiteMonitor> MonitorEngine::MakeMonitor(int index) {
    const SiteRecord& site = sites_.at(static_cast<std::size_t>(index));
    auto monitor = std::make_shared<SiteMonitor>();
    monitor->fetchUrl = site.fetchUrl;
    monitor->intervalSeconds = static_cast<std::uint32_t>(site.intervalSeconds);
    monitor->siteIndex = static_cast<std::int16_t>(index);
    monitor->callback.handover = handover_;
    monitor->callback.deliver = [this, raw = monitor.get()](const ProgressReport* report) {
        if (report) Deliver(raw, RESULT_PROGRESS, report);
    };
    monitors_.push_back(monitor);
    return monitor;
}

void MonitorEngine::ControlMonitor(int siteIndex, bool start) {
    if (siteIndex == kAllSites) {
        const int count = static_cast<int>(sites_.size());
        for (int i = 0; i < count; ++i) {
            auto monitor = MakeMonitor(i);
            if (sites_[static_cast<std::size_t>(i)].active == 1) {
                monitor->callback.mode = MONITOR_RUNNING;
                view_.ShowDetailText(monitor->statusText);
                HandleResult(i, RESULT_STARTED);
            } else {
                monitor->callback.mode = MONITOR_STOPPED;
                HandleResult(i, RESULT_STOPPED);
            }
        }
        for (int i = 0; i < count && i < MonitorCount(); ++i) {
            if (sites_[static_cast<std::size_t>(i)].active == 1) {
                StartWorker(monitors_[static_cast<std::size_t>(i)], "CWinThread == NULL!");
            }
        }
        return;
    }
    if (siteIndex == kAppendedSite) {
        if (!start || sites_.size() <= monitors_.size()) return;
        const int index = MonitorCount();
        auto monitor = MakeMonitor(index);
        monitor->callback.mode = MONITOR_RUNNING;
        HandleResult(index, RESULT_STARTED);
        StartWorker(monitor, "SiteMoniter == NULL!");
        return;
    }
    const bool valid = siteIndex >= 0 && siteIndex < MonitorCount();
    if (start) {
        if (!valid) return;
        auto& monitor = monitors_[static_cast<std::size_t>(siteIndex)];
        monitor->callback.mode = MONITOR_RUNNING;
        HandleResult(siteIndex, RESULT_STARTED);
        StartWorker(monitor, "SiteMoniter == NULL!");
        return;
    }
    HandleResult(siteIndex, RESULT_STOPPED);
    if (valid) monitors_[static_cast<std::size_t>(siteIndex)]->callback.mode = MONITOR_STOPPED;
}

void MonitorEngine::StartWorker(const std::shared_ptr<SiteMonitor>& monitor,
                                const char* failureText) {
    // The worker keeps everything it touches alive by itself; the engine is reached only
    // through the hand-over, which runs nothing once it is closed.
    auto workers = workers_;
    auto downloader = downloader_;
    auto handover = handover_;
    std::string url = monitor->fetchUrl;
    {
        std::lock_guard lock(workers->mutex);
        ++workers->running;
    }
    try {
        std::thread([this, workers, downloader, handover, monitor, url = std::move(url)] {
            const FetchOutcome outcome = downloader->Fetch(url, monitor->callback);
            if (!outcome.file.empty()) {
                std::error_code ignored;
                std::filesystem::remove(outcome.file, ignored);
            }
            const long code =
                outcome.result == FetchResult::kCallFailed ? RESULT_CALL_FAILED : RESULT_FINISHED;
            handover->Send([&] { Deliver(monitor.get(), code, nullptr, &outcome); });
            std::lock_guard lock(workers->mutex);
            --workers->running;
            workers->ended.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        {
            std::lock_guard lock(workers->mutex);
            --workers->running;
        }
        view_.ShowWarning(failureText);
    }
}

void MonitorEngine::EraseMonitor(int index) {
    if (index < 0 || index >= MonitorCount()) return;
    auto& monitor = monitors_[static_cast<std::size_t>(index)];
    monitor->removed = true;
    monitor->callback.mode = MONITOR_STOPPED;
    monitors_.erase(monitors_.begin() + index);
    for (int i = index; i < MonitorCount(); ++i) {
        monitors_[static_cast<std::size_t>(i)]->siteIndex = static_cast<std::int16_t>(i);
    }
}

void MonitorEngine::SiteChanged(int index) {
    if (index < 0 || index >= MonitorCount() || index >= static_cast<int>(sites_.size())) return;
    const SiteRecord& site = sites_[static_cast<std::size_t>(index)];
    SiteMonitor& monitor = *monitors_[static_cast<std::size_t>(index)];
    monitor.fetchUrl = site.fetchUrl;
    monitor.intervalSeconds = static_cast<std::uint32_t>(site.intervalSeconds);
    monitor.elapsedSeconds = 0;
}

int MonitorEngine::IndexOf(const SiteMonitor* monitor) const {
    for (std::size_t i = 0; i < monitors_.size(); ++i) {
        if (monitors_[i].get() == monitor) return static_cast<int>(i);
    }
    return -1;
}

void MonitorEngine::Deliver(const SiteMonitor* monitor, long code, const ProgressReport* report,
                            const FetchOutcome* outcome) {
    if (monitor->removed) return;
    const int index = IndexOf(monitor);
    if (index >= 0) HandleResult(index, code, report, outcome);
}

bool MonitorEngine::Shutdown(std::chrono::milliseconds limit) {
    handover_->Close();
    for (auto& monitor : monitors_) monitor->callback.mode = MONITOR_STOPPED;
    std::unique_lock lock(workers_->mutex);
    return workers_->ended.wait_for(lock, limit, [&] { return workers_->running == 0; });
}

int MonitorEngine::RunningWorkers() const {
    std::lock_guard lock(workers_->mutex);
    return workers_->running;
}

}  // namespace wexfold
