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
        std::size_t length = text.size();
        while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) --length;
        line_.assign(sites_[static_cast<std::size_t>(siteIndex)].name).append(": ");
        line_.append(text, 0, length).push_back('\n');
        out_.write(line_.data(), static_cast<std::streamsize>(line_.size()));
    }
    void ShowWarning(const char* text) override { err_ << "Warning: " << text << std::endl; }

  private:
    const std::vector<SiteRecord>& sites_;
    std::ostream& out_;
    std::ostream& err_;
    std::string line_;  // kept, so printing a line allocates nothing
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
    // The printed lines go out once a second, not one by one.
    loop.AddTimer(std::chrono::milliseconds(1000), [&] {
        engine.SchedulerTick();
        out.flush();
    });
    while (!options.exitRequested()) {
        loop.Run(std::chrono::hours(1), options.exitRequested);
    }

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
