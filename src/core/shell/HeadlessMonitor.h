// The monitor without a window: the site list of the current folder is watched as the desktop
// program watches it, each event printed as a line "NAME: TEXT".
#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <memory>

#include "core/engine/SiteCheck.h"
#include "core/logs/Clock.h"

namespace wexfold {

struct HeadlessOptions {
    std::shared_ptr<SiteFetcher> fetcher;
    const Clock* clock = nullptr;
    // Polled a few times a second; true runs the exit.
    std::function<bool()> exitRequested;
    // How long the exit waits for running checks to end.
    std::chrono::milliseconds shutdownLimit{3000};
};

// Runs until exitRequested, then prints how many checks finished and how many of them were
// broken links ("wexfold: N checks finished, M broken links"), saves the site list, writes
// every site's exit line, deletes month-old logs and writes the update record. Returns the process
// exit code: 1 at once when the folder has no sites, 1 when the list could not be saved, else 0.
int RunHeadless(const HeadlessOptions& options, std::ostream& out, std::ostream& err);

}  // namespace wexfold
