#include "core/server/HeadlessMonitor.h"

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine/EventLoop.h"
#include "core/engine/MonitorEngine.h"
#include "core/logs/EventLog.h"
#include "core/server/Metrics.h"
#include "core/server/Systemd.h"
#include "core/sites/FolderLock.h"
#include "core/sites/SiteListFile.h"
#include "core/text/StringTable.h"
#include "core/update/UpdateRecord.h"

namespace wexfold {

namespace {

// How long the start waits for a site command that holds the folder's lock for a moment.
constexpr std::chrono::seconds kLockWait{2};

// Writes whole lines, with their priority in front when they go to the journal. Standard
// output is flushed by the caller (once a second), standard error at once.
class Lines {
  public:
    Lines(std::ostream& out, std::ostream& err, bool journal)
        : out_(out), err_(err), journal_(journal) {}

    void Out(int priority, std::string_view line) { Write(out_, priority, line); }
    void Err(int priority, std::string_view line) {
        Write(err_, priority, line);
        err_.flush();
    }
    void Flush() { out_.flush(); }

  private:
    void Write(std::ostream& stream, int priority, std::string_view line) {
        if (journal_) stream << '<' << priority << '>';
        stream << line << '\n';
    }

    std::ostream& out_;
    std::ostream& err_;
    const bool journal_;
};

// Broken links are warnings; starts, stops, accesses and interval lines tell the course of
// the checks; the progress of a fetch and the speed lines are detail.
int EventPriority(const std::string& text) {
    if (text.starts_with('!')) return kPriorityWarning;
    if (text.starts_with("..") || text.starts_with('*') || text.starts_with(Text(190)) ||
        text.starts_with(Text(191))) {
        return kPriorityInfo;
    }
    return kPriorityDebug;
}

// Prints the engine's events; everything that only a window shows is left out.
class PrintingView final : public WindowlessView {
  public:
    PrintingView(const std::vector<SiteRecord>& sites, Lines& lines)
        : sites_(sites), lines_(lines) {}

    void SiteEvent(int siteIndex, const std::string& text) override {
        if (siteIndex < 0 || siteIndex >= static_cast<int>(sites_.size())) return;
        std::size_t length = text.size();
        while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) --length;
        line_.assign(sites_[static_cast<std::size_t>(siteIndex)].name).append(": ");
        line_.append(text, 0, length);
        lines_.Out(EventPriority(text), line_);
    }
    void ShowWarning(const char* text) override {
        lines_.Err(kPriorityWarning, std::string("Warning: ") + text);
    }

  private:
    const std::vector<SiteRecord>& sites_;
    Lines& lines_;
    std::string line_;  // kept, so printing a line allocates nothing
};

// The STATUS line systemctl shows: how many sites are up, down, waiting and stopped.
std::string StatusText(const std::vector<SiteRecord>& sites, const MonitorEngine& engine) {
    int up = 0;
    int down = 0;
    int waiting = 0;
    int stopped = 0;
    for (int i = 0; i < static_cast<int>(sites.size()); ++i) {
        const Verdict verdict =
            i < engine.MonitorCount() ? engine.Health(i).verdict : Verdict::kUnchecked;
        if (sites[static_cast<std::size_t>(i)].active != 1) {
            ++stopped;
        } else if (verdict == Verdict::kUnchecked) {
            ++waiting;
        } else {
            ++(verdict == Verdict::kUp ? up : down);
        }
    }
    return std::to_string(sites.size()) + " sites: " + std::to_string(up) + " up, " +
           std::to_string(down) + " down, " + std::to_string(waiting) + " not checked yet, " +
           std::to_string(stopped) + " stopped";
}

}  // namespace

int RunHeadless(const HeadlessOptions& options, std::ostream& out, std::ostream& err) {
    Lines lines(out, err, options.journal);
    const FolderLock lock("headless", kLockWait);
    if (lock.state() != FolderLock::State::kHeld) {
        lines.Err(kPriorityError, "wexfold: " + lock.Reason());
        return 1;
    }
    std::vector<SiteRecord> sites;
    EventLog log(*options.clock, sites);
    PrintingView view(sites, lines);
    auto handover = std::make_shared<SyncHandover>();
    MonitorEngine engine(sites, log, view, options.fetcher, handover);

    LoadHooks hooks;
    hooks.loaded = [&](SiteRecord& site) { log.OpenSiteLog(site); };
    LoadSiteList({}, sites, hooks);
    if (sites.empty()) {
        lines.Err(kPriorityError, "wexfold: no sites to monitor: the current folder has no " +
                                      SiteListPath() + " with sites in it");
        return 1;
    }
    MetricsBoard board;
    MetricsServer metrics(board);
    if (options.metrics) {
        if (auto reason = metrics.Start(*options.metrics)) {
            lines.Err(kPriorityError, "wexfold: " + *reason);
            return 1;
        }
        MetricsAddress served = *options.metrics;
        served.port = metrics.Port();
        lines.Out(kPriorityInfo, "wexfold: metrics on http://" + served.Text() + "/metrics");
        lines.Flush();
    }
    engine.statisticsSiteActive = 1;
    engine.statisticsUrl = sites[0].fetchUrl;
    engine.ControlMonitor(kAllSites, true);
    UpdateRecord update;
    LoadUpdateRecord(update);

    // Published once a second rather than at each ended check: a snapshot of every site per
    // check would cost the square of the sites.
    std::string status;
    const auto publish = [&] {
        if (options.metrics) board.Publish(sites, engine);
        const std::string now = StatusText(sites, engine);
        if (now == status) return;
        status = now;
        NotifyServiceManager("STATUS=" + status);
    };
    publish();
    NotifyServiceManager("READY=1");

    EventLoop loop(*handover);
    loop.AddTimer(std::chrono::milliseconds(500), [&] { engine.AnimationTick(); });
    loop.AddTimer(std::chrono::milliseconds(1000), [&] {
        engine.SchedulerTick();
        publish();
        lines.Flush();
    });
    while (!options.exitRequested()) {
        loop.Run(std::chrono::hours(1), options.exitRequested);
    }

    NotifyServiceManager("STOPPING=1");
    metrics.Stop();
    // Workers are released and stopped before anything is written, so no event runs between
    // the exit lines and the end.
    if (!engine.Shutdown(options.shutdownLimit)) {
        lines.Err(kPriorityWarning, "wexfold: " + std::to_string(engine.FetchesInFlight()) +
                                        " fetches still running at exit");
    }
    lines.Out(kPriorityInfo, "wexfold: " + std::to_string(engine.finishedFetches) +
                                 " checks finished, " + std::to_string(engine.brokenLinks) +
                                 " broken links");
    int code = 0;
    if (const Result saved = SaveSiteList(sites); !saved) {
        lines.Err(kPriorityError, "wexfold: the site list was not saved: " + saved.Message());
        code = 1;
    }
    log.ExitLogging();
    if (const Result saved = SaveUpdateRecord(update); !saved) {
        lines.Err(kPriorityError, "wexfold: " + saved.Message());
    }
    lines.Flush();
    return code;
}

}  // namespace wexfold
