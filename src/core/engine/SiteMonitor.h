// The engine's run-time record of one site, and the status callback of update downloads.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/engine/Downloader.h"
#include "core/engine/SiteHealth.h"
#include "core/engine/SyncHandover.h"

namespace wexfold {

// Run states of a site, and of the update checker's callback.
enum MonitorMode : std::uint16_t {
    MONITOR_IDLE = 0,
    MONITOR_RUNNING = 1,
    MONITOR_STOPPED = 2,
};

// The status callback of the update checker's downloads: reports go to the UI thread through
// the hand-over; a set cancel flag, the stopped mode or a closed hand-over aborts.
class urlCallback final : public ProgressSink {
  public:
    bool OnProgress(const ProgressReport& report) override;
    bool StopRequested() override;

    std::atomic<std::uint16_t> mode{MONITOR_IDLE};
    // The target: deliver runs on the UI thread through handover; either may be unset.
    std::shared_ptr<SyncHandover> handover;
    std::function<void(const ProgressReport* report)> deliver;
    // Set by the update checker to cancel its download.
    std::shared_ptr<std::atomic<bool>> cancelEvent;

  private:
    bool Deliver(const ProgressReport* report);
    bool Closing() const;
};

class SiteCheck;

struct SiteMonitor {
    std::string fetchUrl;      // the site's stored address; the Statistics page compares it
    std::string fetchAddress;  // what a check fetches: fetchUrl without user name and password
    std::string user;          // the site's own credentials, handed to each fetch apart
    std::string password;
    std::string shownAddress;  // the address as shown and written: without the password
    std::uint16_t mode = MONITOR_IDLE;
    std::string statusText;
    int statusLines = 1;  // CountLines(statusText), kept as lines are added
    std::int16_t siteIndex = 0;
    std::uint8_t gotResponse = 1;
    std::uint64_t bytesThisSecond = 0;
    std::uint32_t intervalSeconds = 10;
    std::uint32_t elapsedSeconds = 0;
    // Set when the site is removed: its late reports are dropped.
    bool removed = false;
    // The checks running: started, and their end not handled yet.
    std::vector<std::weak_ptr<SiteCheck>> checks;
    SiteHealth health;

    SiteMonitor() { statusText.reserve(500); }
};

}  // namespace wexfold
