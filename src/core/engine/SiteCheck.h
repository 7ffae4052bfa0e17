// One check of a site: started by the engine on the UI thread, run by a fetcher on a thread of
// its own, which hands the check its reports. The reports travel to the UI thread through a
// CheckQueue without the fetcher ever waiting for the window.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/engine/Downloader.h"
#include "core/engine/SyncHandover.h"

namespace wexfold {

struct SiteMonitor;
class CheckQueue;

// What the UI thread keeps of one running fetch: the body position it reported last, against
// which its next position is counted (each fetch its own, however many run at once).
struct FetchCourse {
    std::uint64_t position = 0;
};

class SiteCheck final : public ProgressSink, public std::enable_shared_from_this<SiteCheck> {
  public:
    // The address without credentials, and the site's own user name and password apart.
    SiteCheck(std::shared_ptr<SiteMonitor> monitor, std::shared_ptr<CheckQueue> queue,
              std::string url, std::string user, std::string password);

    // Fetcher thread: the report is queued for the UI thread; false once the check is stopped.
    bool OnProgress(const ProgressReport& report) override;
    bool StopRequested() override { return stopped_.load(); }
    // Fetcher thread, the last call: how the fetch ended.
    void Finish(FetchOutcome outcome);

    SiteMonitor& Monitor() const { return *monitor_; }

    const std::string url;
    const std::string user;
    const std::string password;
    FetchCourse course;  // UI thread only

  private:
    friend class CheckQueue;

    std::shared_ptr<SiteMonitor> monitor_;
    std::shared_ptr<CheckQueue> queue_;
    std::atomic<bool> stopped_{false};
};

// The reports of running checks on their way to the UI thread: fetcher threads queue them, and
// the UI thread handles them in order, woken once for each batch.
class CheckQueue : public std::enable_shared_from_this<CheckQueue> {
  public:
    struct Item {
        // A progress report's check lives at least until its end is handled: the fetcher
        // holds it until then, and the end's item holds it while queued.
        SiteCheck* check = nullptr;
        std::shared_ptr<SiteCheck> owner;  // set for the end only
        std::uint32_t progress = 0;
        std::uint32_t progressMax = 0;
        std::uint32_t statusCode = 0;
        std::string text;
        std::unique_ptr<FetchOutcome> outcome;  // the check's end; null for a progress report
    };
    using Handler = std::function<void(std::vector<Item>& batch)>;

    // handler runs on the UI thread with each batch; it is not called after the hand-over
    // closed.
    CheckQueue(std::shared_ptr<SyncHandover> handover, Handler handler);

    // Any thread. A progress report of a stopped check is refused (false).
    bool Push(Item item);

    // UI thread: the check is told to stop. Its reports queued before are still handled; none
    // made after is queued.
    void Stop(SiteCheck& check);

    // UI thread: handles everything queued so far.
    void HandleQueued();

    // UI thread, at the exit: what is queued is dropped and nothing more is taken.
    void Close();

    // A thread that holds its wakes queues its reports at once but wakes the UI thread only
    // when it calls FlushWakes, so a fetcher thread busy with many checks wakes it once a
    // while, not once a report. Both act on the calling thread only.
    static void HoldWakes();
    static void FlushWakes();
    // Whether this thread holds a wake still to be flushed.
    static bool WakesHeld();

  private:
    void Wake();

    std::shared_ptr<SyncHandover> handover_;
    Handler handler_;
    std::mutex mutex_;
    std::vector<Item> queued_;
    std::vector<Item> spare_;  // the last batch's storage, handed back to keep its capacity
    bool wakeDue_ = false;     // a wake was made or held and nothing was handled since
    bool closed_ = false;
};

// What runs the engine's checks.
class SiteFetcher {
  public:
    virtual ~SiteFetcher() = default;
    // UI thread: runs the check; its reports go to the check on the fetcher's thread, the
    // last one being Finish.
    virtual void Start(std::shared_ptr<SiteCheck> check) = 0;
    // UI thread: some running check was told to stop; the fetcher ends it soon.
    virtual void StopSeen() = 0;
    // UI thread, once, after every check was told to stop: waits up to limit for the running
    // checks to end. True when all of them did.
    virtual bool Shutdown(std::chrono::milliseconds limit) = 0;
    // Any thread: checks started and not yet finished.
    virtual int Running() const = 0;
};

}  // namespace wexfold
