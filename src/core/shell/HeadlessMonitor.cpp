#include "core/shell/HeadlessMonitor.h"

#include <ostream>
#include <string>
#include <vector>

#include "core/engine/EventLoop.h"
#include "core/engine/MonitorEngine.h"
#include "core/logs/EventLog.h"
#include "core/sites/SiteListFile.h"
#include "core/update/UpdateRecord.h"

namespace wexfold {

namespace {

// Prints the engine's events; everything that only a window shows is left out.
class PrintingView final : public WindowlessView {
  public:
    PrintingView(const std::vector<SiteRecord>& sites, std::ostream& out, std::ostream& err)
        : sites_(sites), out_(out), err_(err) {}

    void SiteEvent(int siteIndex, const std::string& text) override {
        if (siteIndex < 0 || siteIndex >= static_cast<int>(sites_.size())) return;
        std::string line = text;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        out_ << sites_[static_cast<std::size_t>(siteIndex)].name << ": " << line << '\n';
    }
    void ShowWarning(const char* text) override { err_ << "Warning: " << text << std::endl; }

  private:
    const std::vector<SiteRecord>& sites_;
    std::ostream& out_;
    std::ostream& err_;
};

}  // namespace

int RunHeadless(const HeadlessOptions& options, std::ostream& out, std::ostream& err) {
    std::vector<SiteRecord> sites;
    EventLog log(*options.clock, sites);
    PrintingView view(sites, out, err);
    auto handover = std::make_shared<SyncHandover>();
    MonitorEngine engine(sites, log, view, options.fetcher, handover);

    LoadHooks hooks;
    hooks.loaded = [&](SiteRecord& site) { log.OpenSiteLog(site, false); };
    LoadSiteList({}, sites, hooks);
    if (sites.empty()) {
        err << "wexfold: no sites to monitor: the current folder has no " << SiteListPath()
            << " with sites in it\n";
        return 1;
    }
    engine.statisticsSiteActive = 1;
    engine.statisticsUrl = sites[0].fetchUrl;
    engine.ControlMonitor(kAllSites, true);
    UpdateRecord update;
    LoadUpdateRecord(update);

    EventLoop loop(*handover);
    loop.AddTimer(std::chrono::milliseconds(500), [&] { engine.AnimationTick(); });
    loop.AddTimer(std::chrono::milliseconds(1000), [&] { engine.SchedulerTick(); });
    // The printed lines go out once a round, not one by one.
    const auto flushedExit = [&] {
        out.flush();
        return options.exitRequested();
    };
    while (!flushedExit()) loop.Run(std::chrono::hours(1), flushedExit);

    // Workers are released and stopped before anything is written, so no event runs between
    // the exit lines and the end.
    if (!engine.Shutdown(options.shutdownLimit)) {
        err << "wexfold: " << engine.FetchesInFlight() << " fetches still running at exit\n";
    }
    out << "wexfold: " << engine.finishedFetches << " checks finished, " << engine.brokenLinks
        << " broken links" << std::endl;
    int code = 0;
    if (!SaveSiteList(sites)) {
        err << "wexfold: the site list could not be saved to " << SiteListPath() << "\n";
        code = 1;
    }
    log.ExitLogging();
    if (!SaveUpdateRecord(update)) err << "wexfold: " << UpdateRecordPath() << " not written\n";
    return code;
}

}  // namespace wexfold
