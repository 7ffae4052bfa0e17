// The monitoring engine: one SiteMonitor per site, one worker thread per fetch, the handling of
// every result on the UI thread, the scheduler and speed ticks, and the alert state.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/engine/AlertState.h"
#include "core/engine/Downloader.h"
#include "core/engine/EngineView.h"
#include "core/engine/SiteMonitor.h"
#include "core/engine/SyncHandover.h"
#include "core/logs/EventLog.h"
#include "core/sites/SiteRecord.h"

namespace wexfold {

// Site result codes; any other value stands for a progress report.
enum SiteResult : long {
    RESULT_CALL_FAILED = 0,
    RESULT_STOPPED = -1,
    RESULT_STARTED = -2,
    RESULT_FINISHED = -3,
    RESULT_INTERVAL_CHANGED = -4,
    RESULT_SPEED_TICK = -5,
    RESULT_PROGRESS = 1,
};

// ControlMonitor's selectors besides a site index.
constexpr int kAllSites = -1;
constexpr int kAppendedSite = -2;

class MonitorEngine {
  public:
    // sites, log and view belong to the owner and outlive the engine. The constructing thread
    // is the UI thread, where every member is called.
    MonitorEngine(std::vector<SiteRecord>& sites, EventLog& log, EngineView& view,
                  std::shared_ptr<Downloader> downloader, std::shared_ptr<SyncHandover> handover);
    ~MonitorEngine();
    MonitorEngine(const MonitorEngine&) = delete;
    MonitorEngine& operator=(const MonitorEngine&) = delete;

    // The one entry point: kAllSites at start-up, kAppendedSite for a site just appended, or
    // an index with start or stop.
    void ControlMonitor(int siteIndex, bool start);

    // A site was removed from the list at index: its record goes too, and its running fetches
    // are stopped and their late reports dropped.
    void EraseMonitor(int index);

    // The record of a site changed in place (an import's replace): its monitor takes the new
    // address and interval, which its next fetch uses.
    void SiteChanged(int index);

    // The handler of every site result. A finished or failed fetch brings its outcome, which
    // the site's health takes its timings and bytes from.
    void HandleResult(int siteIndex, long code, const ProgressReport* report = nullptr,
                      const FetchOutcome* outcome = nullptr);

    // The 500 ms tick (animation and alert) and the 1000 ms tick (scheduler and speed).
    void AnimationTick();
    void SchedulerTick();

    // The exit: closes the hand-over, stops every fetch, and waits up to limit for the
    // workers. Returns true when all of them ended in time.
    bool Shutdown(std::chrono::milliseconds limit);

    int MonitorCount() const { return static_cast<int>(monitors_.size()); }
    SiteMonitor& Monitor(int index) { return *monitors_.at(static_cast<std::size_t>(index)); }
    const SiteHealth& Health(int index) const {
        return monitors_.at(static_cast<std::size_t>(index))->health;
    }
    int RunningWorkers() const;

    // Page state the handler consults: the Statistics page's site.
    std::string statisticsUrl;
    std::uint8_t statisticsSiteActive = 0;

    std::uint64_t progressNow = 0;
    std::uint64_t progressBefore = 0;
    std::uint64_t statisticsBytes = 0;
    std::string eventText;
    AlertState alert;
    // Fetches whose end was handled since the start (accesses and broken links), and of them
    // the broken links.
    std::uint64_t finishedFetches = 0;
    std::uint64_t brokenLinks = 0;

  private:
    struct Workers {
        std::mutex mutex;
        std::condition_variable ended;
        int running = 0;
    };

    std::shared_ptr<SiteMonitor> MakeMonitor(int index);
    void StartWorker(const std::shared_ptr<SiteMonitor>& monitor, const char* failureText);
    void Deliver(const SiteMonitor* monitor, long code, const ProgressReport* report,
                 const FetchOutcome* outcome = nullptr);
    int IndexOf(const SiteMonitor* monitor) const;
    bool SiteEventText(SiteMonitor& monitor, SiteRecord& site, long code,
                       const ProgressReport* report, const FetchOutcome* outcome);
    void ProgressEvent(SiteMonitor& monitor, const ProgressReport& report);
    void BrokenLink(SiteMonitor& monitor, SiteRecord& site);
    void CheckEnded(int siteIndex, Verdict verdict, const FetchOutcome* outcome);
    void SpeedTick();
    void Log(const SiteRecord& site, const std::string& text);

    std::vector<SiteRecord>& sites_;
    EventLog& log_;
    EngineView& view_;
    std::shared_ptr<Downloader> downloader_;
    std::shared_ptr<SyncHandover> handover_;
    std::shared_ptr<Workers> workers_;
    std::vector<std::shared_ptr<SiteMonitor>> monitors_;
};

// 1 plus the number of line feeds in text.
int CountLines(const std::string& text);

}  // namespace wexfold
