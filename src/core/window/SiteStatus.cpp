#include "core/window/SiteStatus.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "core/sites/SiteAddress.h"
#include "core/sites/SiteRename.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"

namespace wexfold {
namespace {

// How long a stage took, from the seconds since the start at which it and the one before it
// ended; "-" for a stage the fetch did not reach.
std::string StageText(double end, double before) {
    if (end < 0) return "-";
    const double seconds = end - (before > 0 ? before : 0);
    return FormatText(Text(244), static_cast<int>(std::lround(std::max(seconds, 0.0) * 1000)));
}

std::string Address(const SiteRecord& site) {
    return DisplayAddress(site.fetchUrl, site.url);
}

}  // namespace

SiteBadge BadgeOf(const SiteRecord& site, const SiteHealth& health) {
    if (site.active != 1) return SiteBadge::kStopped;
    switch (health.verdict) {
        case Verdict::kUp:
            return SiteBadge::kUp;
        case Verdict::kDown:
            return SiteBadge::kDown;
        case Verdict::kUnchecked:
            break;
    }
    return SiteBadge::kUnchecked;
}

std::string CheckTime(std::int64_t seconds) {
    const auto time = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&time, &local);
    char text[32] = "";
    std::strftime(text, sizeof text, "%H:%M:%S %m/%d/20%y", &local);
    return text;
}

std::string SiteTooltip(const SiteRecord& site, const SiteHealth& health) {
    std::string text = SiteNameText(site) + "\n" + Address(site);
    if (site.active != 1) text += std::string("\n") + Text(241);
    if (health.verdict == Verdict::kUnchecked) {
        if (site.active == 1) text += std::string("\n") + Text(238);
        return text;
    }
    const int verdictId = health.verdict == Verdict::kUp ? 239 : 240;
    text += "\n" + FormatText(Text(verdictId), CheckTime(health.lastCheck).c_str());
    if (health.lastSpeedKb >= 0) text += "\n" + FormatText(Text(242), health.lastSpeedKb);
    const FetchTimings& t = health.timings;
    if (t.nameLookup >= 0) {
        const double handshake = t.tls >= 0 ? t.tls : t.connect;
        text += "\n" + FormatText(Text(243), StageText(t.nameLookup, 0).c_str(),
                                  StageText(t.connect, t.nameLookup).c_str(),
                                  StageText(t.tls, t.connect).c_str(),
                                  StageText(t.firstByte, handshake).c_str());
    }
    return text;
}

std::string TrayTooltip(const std::vector<std::string>& downNames) {
    std::string text = Text(110);
    if (downNames.empty()) return text;
    std::string names;
    for (const std::string& name : downNames) names += (names.empty() ? "" : ", ") + name;
    return text + "\n" + FormatText(Text(245), names.c_str());
}

bool CountsAsDown(const SiteRecord& site, const SiteHealth& health) {
    return site.active == 1 && health.verdict == Verdict::kDown;
}

SiteNotice NoticeTracker::CheckEnded(int site, const SiteRecord& record, Verdict verdict) {
    if (site < 0) return SiteNotice::kNone;
    if (static_cast<std::size_t>(site) >= states_.size())
        states_.resize(static_cast<std::size_t>(site) + 1);
    State& state = states_[static_cast<std::size_t>(site)];
    const Verdict before = state.last;
    state.last = verdict;
    if (verdict == Verdict::kUp && before == Verdict::kDown && state.downTold) {
        state.downTold = false;
        return SiteNotice::kBack;
    }
    const bool watched = record.active == 1 && record.alertOnLoss == 1;
    if (verdict == Verdict::kDown && before != Verdict::kDown && watched) {
        state.downTold = true;
        return SiteNotice::kDown;
    }
    return SiteNotice::kNone;
}

void NoticeTracker::Erase(int site) {
    if (site >= 0 && static_cast<std::size_t>(site) < states_.size()) {
        states_.erase(states_.begin() + site);
    }
}

std::string NoticeText(SiteNotice notice, const SiteRecord& site, std::int64_t when) {
    return FormatText(Text(notice == SiteNotice::kBack ? 247 : 246), SiteNameText(site).c_str(),
                      Address(site).c_str(), CheckTime(when).c_str());
}

}  // namespace wexfold
