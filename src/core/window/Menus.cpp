#include "core/window/Menus.h"

#include <algorithm>

#include "core/sites/SiteRename.h"
#include "core/text/StringTable.h"

namespace wexfold {
namespace {

MenuItem Item(int textId, int command) {
    return {.text = Text(textId), .command = command};
}

MenuItem Separator() {
    MenuItem item;
    item.separator = true;
    return item;
}

std::size_t MenuSiteCount(const std::vector<SiteRecord>& sites) {
    return std::min(sites.size(), kMaxSites);
}

}  // namespace

int SelectedSite(int selectionMark, std::size_t siteCount) {
    if (selectionMark >= 0 && static_cast<std::size_t>(selectionMark) < siteCount) {
        return selectionMark;
    }
    return siteCount > 0 ? 0 : -1;
}

Menu FileMenu() {
    return {Item(106, command::kAdd),    Item(107, command::kImport),
            Item(108, command::kExport), Separator(),
            Item(109, command::kRemove), Separator(),
            Item(126, command::kExit)};
}

Menu ViewMenu(const std::vector<Page>& tabs) {
    bool statistics = false;
    bool report = false;
    if (tabs.size() == 4) {
        statistics = report = true;
    } else if (tabs.size() == 3) {
        statistics = tabs[1] == Page::kStatistics;
        report = !statistics;
    }
    MenuItem statisticsItem =
        Item(103, statistics ? command::kHideStatistics : command::kShowStatistics);
    statisticsItem.checked = statistics;
    MenuItem reportItem = Item(104, report ? command::kHideReport : command::kShowReport);
    reportItem.checked = report;
    return {statisticsItem, reportItem};
}

Menu ToolsMenu(const std::vector<SiteRecord>& sites, int selectionMark) {
    Menu menu{Item(181, command::kAdvanced), Separator()};
    MenuItem start = Item(182, command::kStart);
    MenuItem stop = Item(183, command::kStop);
    const int site = SelectedSite(selectionMark, sites.size());
    if (site >= 0) {
        const SiteRecord& record = sites[static_cast<std::size_t>(site)];
        start.text += SiteNameText(record);
        stop.text += SiteNameText(record);
        start.grayed = record.active == 1;
        stop.grayed = !start.grayed;
    }
    menu.push_back(start);
    menu.push_back(stop);
    return menu;
}

Menu HelpMenu() {
    return {Item(184, command::kHelp), Separator(), Item(186, command::kAbout)};
}

Menu SiteContextMenu(const SiteRecord& site) {
    const MenuItem toggle =
        site.active == 1 ? Item(210, command::kStop) : Item(211, command::kStart);
    return {toggle,
            Item(212, command::kShowStatistics),
            Item(213, command::kShowReport),
            Separator(),
            Item(214, command::kAdvanced),
            Separator(),
            Item(215, command::kRename)};
}

Menu TrayMenu(const std::vector<SiteRecord>& sites) {
    Menu menu{Item(111, command::kShowWindow), Separator()};
    const std::size_t count = MenuSiteCount(sites);
    for (std::size_t i = 0; i < count; ++i) {
        MenuItem item =
            Item(sites[i].active != 0 ? 183 : 182, command::kTrayFirst + static_cast<int>(i));
        item.text += SiteNameText(sites[i]);
        menu.push_back(item);
    }
    if (count > 0) menu.push_back(Separator());
    menu.push_back(Item(101, command::kAbout));
    menu.push_back(Separator());
    menu.push_back(Item(126, command::kExit));
    return menu;
}

Menu SiteChooser(const std::vector<SiteRecord>& sites) {
    Menu menu;
    const std::size_t count = MenuSiteCount(sites);
    for (std::size_t j = 0; j < count; ++j) {
        menu.push_back({.text = SiteNameText(sites[j]),
                        .command = command::kChooserFirst + static_cast<int>(j)});
    }
    return menu;
}

SiteCommand DecodeSiteCommand(int number, std::size_t siteCount) {
    const auto names = [siteCount](int site) { return static_cast<std::size_t>(site) < siteCount; };
    if (number >= command::kTrayFirst && number < command::kChooserFirst) {
        const int site = number - command::kTrayFirst;
        if (names(site)) return {SiteCommand::kTrayToggle, site};
    } else if (number >= command::kChooserFirst && number < command::kSiteRangeEnd) {
        const int site = number - command::kChooserFirst;
        if (names(site)) return {SiteCommand::kChooser, site};
    }
    return {SiteCommand::kNone, -1};
}

}  // namespace wexfold
