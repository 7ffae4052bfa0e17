// The monitoring engine: one SiteMonitor per site, its checks run by a fetcher, the handling of
// every result on the UI thread, the scheduler and speed ticks, and the alert state.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/engine/AlertState.h"
#include "core/engine/Downloader.h"
#include "core/engine/EngineView.h"
#include "core/engine/SiteCheck.h"
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

// The most checks of one site that run at once: one may still be finishing while the next
// starts on time. A start due while this many run waits for the next interval.
constexpr std::size_t kMaxChecksPerSite = 2;

class MonitorEngine {
  public:
    // sites, log and view belong to the owner and outlive the engine. The constructing thread
    // is the UI thread, where every member is called. The checks' reports reach it through
    // handover.
    MonitorEngine(std::vector<SiteRecord>& sites, EventLog& log, EngineView& view,
                  std::shared_ptr<SiteFetcher> fetcher, std::shared_ptr<SyncHandover> handover);
    ~MonitorEngine();
    MonitorEngine(const MonitorEngine&) = delete;
    MonitorEngine& operator=(const MonitorEngine&) = delete;

    // The one entry point: kAllSites at start-up, kAppendedSite for a site just appended, or
    // an index with start or stop. A start while kMaxChecksPerSite checks of the site run does
    // nothing; a stop ends the site's running checks.
    void ControlMonitor(int siteIndex, bool start);

    // A site was removed from the list at index: its record goes too, and its running fetches
    // are stopped and their late reports dropped.
    void EraseMonitor(int index);

    // The record of a site changed in place (an import's replace): its monitor takes the new
    // address, credentials and interval, which its next check uses.
    void SiteChanged(int index);

    // The handler of every site result. A finished or failed fetch brings its outcome, which
    // the site's health takes its timings and bytes from; a progress report counts its body
    // bytes against the course of its own fetch (none are counted without one).
    void HandleResult(int siteIndex, long code, const ProgressReport* report = nullptr,
                      const FetchOutcome* outcome = nullptr, FetchCourse* course = nullptr);

    // The 500 ms tick (animation and alert) and the 1000 ms tick (scheduler and speed).
    void AnimationTick();
    void SchedulerTick();

    // The exit: closes the hand-over, stops every check, and waits up to limit for the
    // fetcher. Returns true when every check ended in time.
    bool Shutdown(std::chrono::milliseconds limit);

    int MonitorCount() const { return static_cast<int>(monitors_.size()); }
    SiteMonitor& Monitor(int index) { return *monitors_.at(static_cast<std::size_t>(index)); }
    const SiteHealth& Health(int index) const {
        return monitors_.at(static_cast<std::size_t>(index))->health;
    }
    // Any thread: the checks started and not ended yet.
    int FetchesInFlight() const { return fetcher_->Running(); }

    // Page state the handler consults: the Statistics page's site.
    std::string statisticsUrl;
    std::uint8_t statisticsSiteActive = 0;

    std::uint64_t statisticsBytes = 0;
    std::string eventText;
    AlertState alert;
    // Fetches whose end was handled since the start (accesses and broken links), and of them
    // the broken links.
    std::uint64_t finishedFetches = 0;
    std::uint64_t brokenLinks = 0;

  private:
    std::shared_ptr<SiteMonitor> MakeMonitor(int index);
    void StartCheck(const std::shared_ptr<SiteMonitor>& monitor);
    void StopChecks(SiteMonitor& monitor);
    void HandleChecks(std::vector<CheckQueue::Item>& batch);
    void Deliver(CheckQueue::Item& item);
    bool SiteEventText(SiteMonitor& monitor, SiteRecord& site, long code,
                       const ProgressReport* report, const FetchOutcome* outcome,
                       FetchCourse* course);
    void ProgressEvent(SiteMonitor& monitor, const ProgressReport& report, FetchCourse* course);
    void BrokenLink(SiteMonitor& monitor, SiteRecord& site);
    void CheckEnded(int siteIndex, Verdict verdict, const FetchOutcome* outcome);
    void SpeedTick();
    void Log(const SiteRecord& site, const std::string& text);
    const std::string& Stamp();

    std::vector<SiteRecord>& sites_;
    EventLog& log_;
    EngineView& view_;
    std::shared_ptr<SiteFetcher> fetcher_;
    std::shared_ptr<SyncHandover> handover_;
    std::shared_ptr<CheckQueue> queue_;
    std::vector<std::shared_ptr<SiteMonitor>> monitors_;
    // Once the scheduler ticks, log lines are held and flushed once a second.
    std::optional<EventLog::Batch> heldLines_;
    std::string stamp_;
    std::int64_t stampSecond_ = 0;
    bool shutDown_ = false;
};

// 1 plus the number of line feeds in text.
int CountLines(const std::string& text);

}  // namespace wexfold
