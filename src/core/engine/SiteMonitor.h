// The engine's run-time record of one site, and the status callback its fetches report to.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/engine/Downloader.h"
#include "core/engine/SiteHealth.h"
#include "core/engine/SyncHandover.h"

namespace wexfold {

// Run states of a site's callback.
enum MonitorMode : std::uint16_t {
    MONITOR_IDLE = 0,
    MONITOR_RUNNING = 1,
    MONITOR_STOPPED = 2,
};

// The status callback of the download facility. In site mode (mode 1) it hands every report
// to the UI thread; once the site is stopped (mode 2) the next report aborts the fetch. Any
// other mode is update mode: reports go to the update checker, and a set cancel flag aborts.
class urlCallback final : public ProgressSink {
  public:
    bool OnProgress(const ProgressReport& report) override;
    bool StopRequested() override;

    std::atomic<std::uint16_t> mode{MONITOR_IDLE};
    // The target: deliver runs on the UI thread through handover; either may be unset.
    std::shared_ptr<SyncHandover> handover;
    std::function<void(const ProgressReport* report)> deliver;
    // Update mode only: set by the update checker to cancel its download.
    std::shared_ptr<std::atomic<bool>> cancelEvent;

  private:
    bool Deliver(const ProgressReport* report);
    bool Closing() const;
};

struct SiteMonitor {
    std::string fetchUrl;
    urlCallback callback;
    std::string statusText;
    std::int16_t siteIndex = 0;
    std::uint8_t gotResponse = 1;
    std::uint64_t bytesThisSecond = 0;
    std::uint32_t intervalSeconds = 10;
    std::uint32_t elapsedSeconds = 0;
    // Set when the site is removed: its late reports are dropped.
    bool removed = false;
    SiteHealth health;

    SiteMonitor() { statusText.reserve(500); }
};

}  // namespace wexfold
