// The main window's menus as data: each builder returns the items in order with their texts
// from the string table, so the window only has to show them and dispatch the command.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/sites/SiteRecord.h"
#include "core/window/TabStrip.h"

namespace wexfold {

// Command numbers of the menus, buttons and the site chooser.
namespace command {
inline constexpr int kAbout = 16;
inline constexpr int kShowWindow = 17;
inline constexpr int kStart = 19;
inline constexpr int kRename = 20;
inline constexpr int kShowReport = 21;
inline constexpr int kShowStatistics = 22;
inline constexpr int kStop = 23;
inline constexpr int kAdvanced = 24;
inline constexpr int kExit = 25;
inline constexpr int kAdd = 27;
inline constexpr int kRemove = 28;
inline constexpr int kHideStatistics = 29;
inline constexpr int kHideReport = 30;
inline constexpr int kImport = 31;
inline constexpr int kExport = 32;
inline constexpr int kHelp = 34;
// Tray item of site i: kTrayFirst + i; chooser item of site j: kChooserFirst + j.
inline constexpr int kTrayFirst = 48;
inline constexpr int kChooserFirst = 304;
inline constexpr int kSiteRangeEnd = 560;
}  // namespace command

// The most sites the list holds; each site range of commands has room for exactly these.
inline constexpr std::size_t kMaxSites = 256;

struct MenuItem {
    std::string text;
    int command = 0;
    bool separator = false;
    bool checked = false;
    bool grayed = false;
};
using Menu = std::vector<MenuItem>;

// The site commands act on: the selection mark when it names a site, else site 0 when sites
// exist; -1 for none.
int SelectedSite(int selectionMark, std::size_t siteCount);

Menu FileMenu();
// Marks the optional pages present in the strip; a marked item takes its page away.
Menu ViewMenu(const std::vector<Page>& tabs);
// "Advanced Settings", then start and stop items naming the selected site; the one that does
// not fit the site's state is grayed. Without a site both read "Start " / "Stop " alone.
Menu ToolsMenu(const std::vector<SiteRecord>& sites, int selectionMark);
Menu HelpMenu();
// The list view's menu for one site.
Menu SiteContextMenu(const SiteRecord& site);
// Show window, one start or stop item per site (at most kMaxSites), About and Exit.
Menu TrayMenu(const std::vector<SiteRecord>& sites);
// One item per site (at most kMaxSites) with its name, for the Statistics and Report pages.
Menu SiteChooser(const std::vector<SiteRecord>& sites);

// A command of one of the two site ranges, with the site it names; kNone for any other
// number and for a number past the last site.
struct SiteCommand {
    enum Kind { kNone, kTrayToggle, kChooser } kind;
    int site;
};

SiteCommand DecodeSiteCommand(int number, std::size_t siteCount);

}  // namespace wexfold
