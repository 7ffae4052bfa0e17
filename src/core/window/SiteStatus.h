// A site's state at a glance: the badge on its picture in the list, the tooltip of its row,
// the tray's tooltip, and when a desktop notification is due. All from the site record and
// the health the engine keeps for it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/engine/SiteHealth.h"
#include "core/sites/SiteRecord.h"

namespace wexfold {

enum class SiteBadge { kUnchecked, kUp, kDown, kStopped };

// Stopped for a site that is not active, else the verdict of its last check.
SiteBadge BadgeOf(const SiteRecord& site, const SiteHealth& health);

// The time of a check as the window shows it: "%H:%M:%S %m/%d/20%y" in local time.
std::string CheckTime(std::int64_t seconds);

// Name and address (without password), then the last verdict with its time, the last
// download speed and the stages of the last access.
std::string SiteTooltip(const SiteRecord& site, const SiteHealth& health);

// The tray's tooltip: "Wexfold", and on a second line the names of the sites that are down.
std::string TrayTooltip(const std::vector<std::string>& downNames);

// True for a site the tray counts as down: active, and its last check was a broken link.
bool CountsAsDown(const SiteRecord& site, const SiteHealth& health);

enum class SiteNotice { kNone, kDown, kBack };

// Decides the desktop notifications of each site from the verdicts of its checks: one when a
// watched site whose alert option is on becomes down, and one when such a site comes back.
// Sites are kept by index, parallel to the site list.
class NoticeTracker {
  public:
    SiteNotice CheckEnded(int site, const SiteRecord& record, Verdict verdict);
    // The site at index was removed from the list.
    void Erase(int site);

  private:
    struct State {
        Verdict last = Verdict::kUnchecked;
        bool downTold = false;
    };
    std::vector<State> states_;
};

// The body of a notification: the site's name, its address without password and the time.
std::string NoticeText(SiteNotice notice, const SiteRecord& site, std::int64_t when);

}  // namespace wexfold
