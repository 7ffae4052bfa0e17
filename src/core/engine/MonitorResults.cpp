// The handling of every site result on the UI thread, and the two engine ticks.
#include <algorithm>

#include "core/engine/MonitorEngine.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"

namespace wexfold {

namespace {

constexpr std::uint32_t kFirstStatus = 1;
constexpr std::uint32_t kLastStatus = 53;
constexpr int kStatusTextBase = 126;
constexpr std::size_t kDetailLines = 10;

bool LogsDetail(const SiteRecord& site) {
    return site.logEnabled == 1 && site.logAllDetail == 1;
}

}  // namespace

int CountLines(const std::string& text) {
    return 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

void MonitorEngine::Log(const SiteRecord& site, const std::string& text) {
    log_.Append(site, text);
}

// The stamp is made once for each second of the clock: hundreds of events a second share it.
const std::string& MonitorEngine::Stamp() {
    const std::int64_t now = log_.Now();
    if (now != stampSecond_ || stamp_.empty()) {
        stamp_ = log_.DateText(DateKind::kStamp);
        stampSecond_ = now;
    }
    return stamp_;
}

void MonitorEngine::HandleResult(int siteIndex, long code, const ProgressReport* report,
                                 const FetchOutcome* outcome, FetchCourse* course) {
    if (siteIndex == -1) {
        if (code == RESULT_SPEED_TICK) SpeedTick();
        return;
    }
    if (siteIndex < 0 || siteIndex >= MonitorCount() ||
        siteIndex >= static_cast<int>(sites_.size())) {
        return;
    }
    SiteMonitor& monitor = *monitors_[static_cast<std::size_t>(siteIndex)];
    SiteRecord& site = sites_[static_cast<std::size_t>(siteIndex)];
    if (SiteEventText(monitor, site, code, report, outcome, course)) {
        if (static_cast<std::size_t>(monitor.statusLines) > kDetailLines) {
            monitor.statusText.clear();
            monitor.statusLines = 1;
        }
        monitor.statusText += eventText;
        monitor.statusLines += CountLines(eventText) - 1;
        if (LogsDetail(site)) Log(site, eventText);
        if (monitor.fetchUrl == statisticsUrl) {
            view_.ShowDetailText(monitor.statusText);
            statisticsBytes = monitor.bytesThisSecond;
        }
        view_.SiteEvent(siteIndex, eventText);
    }
}

// Builds eventText for the result; false when the result makes no event of the site's own.
bool MonitorEngine::SiteEventText(SiteMonitor& monitor, SiteRecord& site, long code,
                                  const ProgressReport* report, const FetchOutcome* outcome,
                                  FetchCourse* course) {
    switch (code) {
        case RESULT_INTERVAL_CHANGED:
            eventText = FormatText(Text(195), site.intervalSeconds);
            Log(site, eventText);
            view_.SiteEvent(monitor.siteIndex, eventText);
            return false;
        case RESULT_STOPPED:
            eventText.assign(Text(190)).append(Stamp()).append("\r\n");
            return true;
        case RESULT_STARTED:
            eventText.assign(Text(191)).append(Stamp()).append("\r\n");
            monitor.gotResponse = 0;
            return true;
        case RESULT_FINISHED:
            ++finishedFetches;
            if (monitor.gotResponse == 0) {
                BrokenLink(monitor, site);
                ++monitor.health.brokenLinks;
                CheckEnded(monitor.siteIndex, Verdict::kDown, outcome);
            } else {
                eventText.assign(Text(193)).append(Stamp()).append("\r\n");
                monitor.gotResponse = 0;
                CheckEnded(monitor.siteIndex, Verdict::kUp, outcome);
            }
            return true;
        case RESULT_CALL_FAILED:
            eventText = Text(194);
            CheckEnded(monitor.siteIndex, Verdict::kDown, outcome);
            return true;
        default:
            if (!report || report->statusCode < kFirstStatus || report->statusCode > kLastStatus) {
                return false;
            }
            ProgressEvent(monitor, *report, course);
            return true;
    }
}

void MonitorEngine::BrokenLink(SiteMonitor& monitor, SiteRecord& site) {
    ++brokenLinks;
    const std::string& stamp = Stamp();
    eventText = std::string(Text(192)) + stamp + "\r\n";
    if (site.logEnabled == 1 && site.logAllDetail == 0) Log(site, eventText);
    if (const auto paint =
            alert.BrokenLink(stamp, monitor.shownAddress, site.alertOnLoss, site.alertMinutes)) {
        view_.PaintAlert(*paint);
    }
}

void MonitorEngine::CheckEnded(int siteIndex, Verdict verdict, const FetchOutcome* outcome) {
    SiteHealth& health = monitors_[static_cast<std::size_t>(siteIndex)]->health;
    health.verdict = verdict;
    health.lastCheck = log_.Now();
    ++health.checks;
    health.timings = outcome != nullptr ? outcome->timings : FetchTimings{};
    health.lastBytes = outcome != nullptr ? outcome->bodyBytes : 0;
    health.bytes += health.lastBytes;
    view_.HealthChanged(siteIndex);
}

void MonitorEngine::ProgressEvent(SiteMonitor& monitor, const ProgressReport& report,
                                  FetchCourse* course) {
    eventText = Text(kStatusTextBase + static_cast<int>(report.statusCode));
    eventText += report.serviceText ? report.serviceText : "";
    if (report.progressMax != 0) {
        eventText += FormatText(Text(180), static_cast<unsigned long>(report.progress),
                                static_cast<unsigned long>(report.progressMax));
    }
    eventText += "\r\n";
    if (report.statusCode >= kStatusRedirecting) monitor.gotResponse = 1;
    // Each fetch's body position is counted against its own last one, so the site's bytes are
    // its own whatever other fetches report meanwhile.
    const bool body =
        report.statusCode == kStatusBeginDownload || report.statusCode == kStatusDownloading;
    if (body && course != nullptr) {
        if (report.progress > course->position) {
            monitor.bytesThisSecond += report.progress - course->position;
        }
        course->position = report.progress;
    }
}

void MonitorEngine::SpeedTick() {
    statisticsBytes = 0;
    for (int i = 0; i < MonitorCount() && i < static_cast<int>(sites_.size()); ++i) {
        SiteMonitor& monitor = *monitors_[static_cast<std::size_t>(i)];
        if (monitor.bytesThisSecond == 0) continue;
        const auto kb = static_cast<int>(static_cast<std::int64_t>(monitor.bytesThisSecond) / 1024);
        const std::string text = FormatText(Text(196), kb) + Stamp() + "\r\n";
        const SiteRecord& site = sites_[static_cast<std::size_t>(i)];
        if (LogsDetail(site)) Log(site, text);
        view_.SiteEvent(i, text);
        monitor.bytesThisSecond = 0;
        monitor.health.lastSpeedKb = kb;
    }
}

void MonitorEngine::AnimationTick() {
    for (std::size_t i = 0; i < sites_.size(); ++i) {
        SiteRecord& site = sites_[i];
        if (site.active != 1) continue;
        site.listImage = site.listImage < 4 ? site.listImage + 1 : site.listImage - 4;
        view_.SetListImage(static_cast<int>(i), site.listImage);
    }
    view_.RedrawSiteList();
    alert.HalfSecond();
    const AlertPaint paint = alert.Paint();
    if (paint.kind != AlertPaint::kNothing) view_.PaintAlert(paint);
}

void MonitorEngine::SchedulerTick() {
    // The lines of the last second go out, each touched file written once, before the day's
    // files may change; this second's are held until the next tick.
    heldLines_.reset();
    log_.CheckDay();
    heldLines_.emplace(log_);
    for (int i = 0; i < MonitorCount() && i < static_cast<int>(sites_.size()); ++i) {
        if (sites_[static_cast<std::size_t>(i)].active != 1) continue;
        SiteMonitor& monitor = *monitors_[static_cast<std::size_t>(i)];
        ++monitor.elapsedSeconds;
        if (monitor.elapsedSeconds >= monitor.intervalSeconds) {
            ControlMonitor(i, true);
            monitor.elapsedSeconds = 0;
        }
    }
    if (view_.SpeedGraphVisible() && statisticsSiteActive == 1) {
        view_.DrawSpeedGraph(static_cast<std::uint32_t>(statisticsBytes & 0xFFFFFFFFu));
    }
    HandleResult(-1, RESULT_SPEED_TICK);
}

}  // namespace wexfold
