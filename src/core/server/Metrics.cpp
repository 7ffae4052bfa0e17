#include "core/server/Metrics.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <unordered_set>

#include "core/engine/MonitorEngine.h"
#include "core/server/TextEscapes.h"
#include "core/sites/SiteAddress.h"
#include "core/sites/SiteRename.h"

namespace wexfold {

namespace {

// Builds the exposition family by family: every sample of a metric follows its HELP and TYPE.
class Exposition {
  public:
    void Family(const char* name, const char* type, const char* help) {
        text_ +=
            std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
    }
    // Whole numbers (counters, timestamps) in full, fractions in their shortest exact form.
    void Sample(const char* name, const std::string& labels, double value) {
        char number[32];
        if (value == std::floor(value) && std::fabs(value) < 1e15) {
            std::snprintf(number, sizeof number, "%.0f", value);
        } else {
            *std::to_chars(number, number + sizeof number - 1, value).ptr = '\0';
        }
        text_ += std::string(name) + labels + " " + number + "\n";
    }
    std::string Take() { return std::move(text_); }

  private:
    std::string text_;
};

// One site's labels, and where its own labels end so that another can be added.
struct SiteLabels {
    const SiteFigures* site;
    std::string labels;  // {site="...",url="..."}

    std::string With(const char* name, const char* value) const {
        return labels.substr(0, labels.size() - 1) + "," + name + "=\"" + value + "\"}";
    }
};

struct Stage {
    const char* name;
    double FetchTimings::*seconds;
};
constexpr Stage kStages[] = {
    {"name_lookup", &FetchTimings::nameLookup},
    {"connect", &FetchTimings::connect},
    {"tls", &FetchTimings::tls},
    {"first_byte", &FetchTimings::firstByte},
    {"total", &FetchTimings::total},
};

void RenderSites(const std::vector<SiteLabels>& sites, Exposition& out) {
    const auto each = [&](const char* name, const char* type, const char* help, auto sample) {
        out.Family(name, type, help);
        for (const SiteLabels& site : sites) sample(name, site, site.site->health);
    };
    each("wexfold_site_active", "gauge", "1 while the site is watched, 0 when the user stopped it.",
         [&](const char* name, const SiteLabels& s, const SiteHealth&) {
             out.Sample(name, s.labels, s.site->active ? 1 : 0);
         });
    each("wexfold_site_interval_seconds", "gauge", "Time between two checks of the site.",
         [&](const char* name, const SiteLabels& s, const SiteHealth&) {
             out.Sample(name, s.labels, s.site->intervalSeconds);
         });
    each("wexfold_site_up", "gauge",
         "1 when the last check of the site was an access, 0 when it was a broken link; "
         "absent before the first check ends.",
         [&](const char* name, const SiteLabels& s, const SiteHealth& h) {
             if (h.verdict != Verdict::kUnchecked) {
                 out.Sample(name, s.labels, h.verdict == Verdict::kUp ? 1 : 0);
             }
         });
    each("wexfold_site_last_check_timestamp_seconds", "gauge",
         "When the last check of the site ended, in seconds since 1970.",
         [&](const char* name, const SiteLabels& s, const SiteHealth& h) {
             if (h.verdict != Verdict::kUnchecked) {
                 out.Sample(name, s.labels, static_cast<double>(h.lastCheck));
             }
         });
    each("wexfold_site_checks_total", "counter",
         "Checks of the site that ended since the program started.",
         [&](const char* name, const SiteLabels& s, const SiteHealth& h) {
             out.Sample(name, s.labels, static_cast<double>(h.checks));
         });
    each("wexfold_site_broken_links_total", "counter",
         "Checks of the site since the program started that were broken links.",
         [&](const char* name, const SiteLabels& s, const SiteHealth& h) {
             out.Sample(name, s.labels, static_cast<double>(h.brokenLinks));
         });
    each("wexfold_site_last_check_seconds", "gauge",
         "Seconds from the start of the last check to the end of each stage it reached "
         "(name_lookup, connect, tls, first_byte, total), as libcurl measured them.",
         [&](const char* name, const SiteLabels& s, const SiteHealth& h) {
             for (const Stage& stage : kStages) {
                 const double seconds = h.timings.*stage.seconds;
                 if (seconds >= 0) out.Sample(name, s.With("stage", stage.name), seconds);
             }
         });
    each("wexfold_site_last_check_bytes", "gauge", "Body bytes the last check received.",
         [&](const char* name, const SiteLabels& s, const SiteHealth& h) {
             if (h.verdict != Verdict::kUnchecked) {
                 out.Sample(name, s.labels, static_cast<double>(h.lastBytes));
             }
         });
    each("wexfold_site_received_bytes_total", "counter",
         "Body bytes received from the site since the program started.",
         [&](const char* name, const SiteLabels& s, const SiteHealth& h) {
             out.Sample(name, s.labels, static_cast<double>(h.bytes));
         });
    each("wexfold_site_download_speed_bytes_per_second", "gauge",
         "The last download speed the site's log shows, in whole KiB per second.",
         [&](const char* name, const SiteLabels& s, const SiteHealth& h) {
             if (h.lastSpeedKb >= 0) out.Sample(name, s.labels, h.lastSpeedKb * 1024.0);
         });
}

// A field of /proc/self/status: "NAME:   VALUE ...".
long StatusField(const std::string& status, const char* name) {
    const std::string key = std::string("\n") + name + ":";
    const std::size_t at = ("\n" + status).find(key);
    if (at == std::string::npos) return -1;
    return std::strtol(status.c_str() + at + key.size() - 1, nullptr, 10);
}

}  // namespace

MetricsSnapshot TakeSnapshot(const std::vector<SiteRecord>& sites, const MonitorEngine& engine) {
    MetricsSnapshot snapshot;
    snapshot.fetchesInFlight = engine.FetchesInFlight();
    snapshot.sites.reserve(sites.size());
    for (std::size_t i = 0; i < sites.size(); ++i) {
        const SiteRecord& site = sites[i];
        SiteFigures figures;
        figures.name = SiteNameText(site);
        figures.url =
            DisplayAddress({site.fetchUrl, strnlen(site.fetchUrl, sizeof site.fetchUrl)}, site.url);
        figures.active = site.active == 1;
        figures.intervalSeconds = site.intervalSeconds;
        if (static_cast<int>(i) < engine.MonitorCount()) {
            figures.health = engine.Health(static_cast<int>(i));
        }
        snapshot.sites.push_back(std::move(figures));
    }
    return snapshot;
}

ProcessFigures ReadProcessFigures() {
    std::ifstream file("/proc/self/status");
    const std::string status{std::istreambuf_iterator<char>(file), {}};
    ProcessFigures figures;
    const long residentKb = StatusField(status, "VmRSS");
    if (residentKb >= 0) figures.residentBytes = residentKb * 1024;
    figures.threads = StatusField(status, "Threads");
    return figures;
}

std::string RenderMetrics(const MetricsSnapshot& snapshot, const ProcessFigures& process) {
    Exposition out;
    out.Family("wexfold_build_info", "gauge", "The program's version as a label; always 1.");
    out.Sample("wexfold_build_info", "{version=" + LabelValue(WEXFOLD_VERSION) + "}", 1);
    out.Family("wexfold_sites", "gauge", "Sites in the site list.");
    out.Sample("wexfold_sites", "", static_cast<double>(snapshot.sites.size()));
    out.Family("wexfold_fetches_in_flight", "gauge", "Checks running now.");
    out.Sample("wexfold_fetches_in_flight", "", snapshot.fetchesInFlight);
    if (process.threads >= 0) {
        out.Family("wexfold_threads", "gauge", "Threads of the process.");
        out.Sample("wexfold_threads", "", static_cast<double>(process.threads));
    }
    if (process.residentBytes >= 0) {
        out.Family("process_resident_memory_bytes", "gauge", "Resident memory size in bytes.");
        out.Sample("process_resident_memory_bytes", "", static_cast<double>(process.residentBytes));
    }

    std::vector<SiteLabels> sites;
    std::unordered_set<std::string> seen;
    for (const SiteFigures& site : snapshot.sites) {
        std::string labels =
            "{site=" + LabelValue(site.name) + ",url=" + LabelValue(site.url) + "}";
        if (seen.insert(labels).second) sites.push_back({&site, std::move(labels)});
    }
    RenderSites(sites, out);
    return out.Take();
}

void MetricsBoard::Publish(const std::vector<SiteRecord>& sites, const MonitorEngine& engine) {
    auto snapshot = std::make_shared<const MetricsSnapshot>(TakeSnapshot(sites, engine));
    std::lock_guard lock(mutex_);
    latest_ = std::move(snapshot);
}

std::shared_ptr<const MetricsSnapshot> MetricsBoard::Latest() const {
    std::lock_guard lock(mutex_);
    return latest_;
}

}  // namespace wexfold
