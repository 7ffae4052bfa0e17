// The figures of the metrics endpoint. The engine lives on the UI thread, so the UI thread
// takes a snapshot of the site list and the engine and publishes it on a board; the HTTP
// server's threads only ever read the board.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/engine/SiteHealth.h"
#include "core/sites/SiteRecord.h"

namespace wexfold {

class MonitorEngine;

struct SiteFigures {
    std::string name;
    std::string url;  // as the program shows it: without the password
    bool active = false;
    std::int32_t intervalSeconds = 0;
    SiteHealth health;
};

struct MetricsSnapshot {
    std::vector<SiteFigures> sites;
    int fetchesInFlight = 0;
};

// UI thread only.
MetricsSnapshot TakeSnapshot(const std::vector<SiteRecord>& sites, const MonitorEngine& engine);

// The process's own figures, read from /proc/self/status when the metrics are asked for; -1
// for a figure that cannot be read.
struct ProcessFigures {
    long residentBytes = -1;
    long threads = -1;
};
ProcessFigures ReadProcessFigures();

// The Prometheus text exposition format (version 0.0.4) of the figures. A site whose name
// and address repeat an earlier site's is left out, since its series would be the same.
std::string RenderMetrics(const MetricsSnapshot& snapshot, const ProcessFigures& process);

class MetricsBoard {
  public:
    // UI thread: takes a snapshot and makes it the one served.
    void Publish(const std::vector<SiteRecord>& sites, const MonitorEngine& engine);
    // Any thread: the snapshot published last; an empty one before the first.
    std::shared_ptr<const MetricsSnapshot> Latest() const;

  private:
    mutable std::mutex mutex_;
    std::shared_ptr<const MetricsSnapshot> latest_ = std::make_shared<MetricsSnapshot>();
};

}  // namespace wexfold
