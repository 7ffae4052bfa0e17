// The monitor without a window: the site list of the current folder is watched as the desktop
// program watches it, each event printed as a line "NAME: TEXT". It holds the folder's lock
// (FolderLock) for its whole run, may serve its figures on a Prometheus metrics endpoint,
// and tells systemd when it is ready and when it stops.
#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>

#include "core/engine/SiteCheck.h"
#include "core/logs/Clock.h"
#include "core/server/MetricsServer.h"

namespace wexfold {

struct HeadlessOptions {
    std::shared_ptr<SiteFetcher> fetcher;
    const Clock* clock = nullptr;
    // Polled a few times a second; true runs the exit.
    std::function<bool()> exitRequested;
    // How long the exit waits for running checks to end.
    std::chrono::milliseconds shutdownLimit{3000};
    // Where the metrics endpoint listens; none: no endpoint.
    std::optional<MetricsAddress> metrics;
    // Every line begins with its priority for the journal ("<4>" for a broken link, "<7>" for
    // the progress of a fetch).
    bool journal = false;
};

// Runs until exitRequested, then prints how many checks finished and how many of them were
// broken links ("wexfold: N checks finished, M broken links"), saves the site list, writes
// every site's exit line, deletes month-old logs and writes the update record. Returns the process
// exit code: 1 at once when another copy runs on the folder, when the folder has no sites or
// when the metrics endpoint cannot listen; 1 when the list could not be saved; else 0.
int RunHeadless(const HeadlessOptions& options, std::ostream& out, std::ostream& err);

}  // namespace wexfold
