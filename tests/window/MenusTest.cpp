// The main window's menus for the states of the site list and tab strip, and the decoding of
// the two site command ranges.
#include <gtest/gtest.h>

#include <cstring>

#include "core/window/Menus.h"

namespace wexfold {
namespace {

using Lines = std::vector<std::string>;

// Items as "text/command", "!" marking a checked and "~" a grayed one, "-" a separator.
Lines Describe(const Menu& menu, std::size_t from = 0) {
    Lines lines;
    for (std::size_t i = from; i < menu.size(); ++i) {
        const MenuItem& item = menu[i];
        lines.push_back(item.separator ? "-"
                                       : item.text + "/" + std::to_string(item.command) +
                                             (item.checked ? "!" : "") + (item.grayed ? "~" : ""));
    }
    return lines;
}

TEST(Menus, FollowTheStripTheSelectionAndTheSitesAndDecodeTheirCommands) {
    const Page u = Page::kUrl, s = Page::kStatistics, r = Page::kReport, x = Page::kUpdate;
    EXPECT_EQ(Describe(ViewMenu({u, r, s, x})), (Lines{"Statistics/29!", "Report/30!"}));
    EXPECT_EQ(Describe(ViewMenu({u, s, x})), (Lines{"Statistics/29!", "Report/21"}));
    EXPECT_EQ(Describe(ViewMenu({u, r, x})), (Lines{"Statistics/22", "Report/30!"}));
    EXPECT_EQ(Describe(ViewMenu({u, x})), (Lines{"Statistics/22", "Report/21"}));
    EXPECT_EQ(Describe(ToolsMenu({}, -1), 2), (Lines{"Start /19", "Stop /23"}));

    // The tools menu names the marked site, else site 0, and only an active flag of 1 counts
    // as running there; in the tray any other than 0 does. A name fills its whole field.
    std::vector<SiteRecord> sites(3, NewSiteRecord());
    std::memset(sites[0].name, 'n', sizeof sites[0].name);
    sites[0].pad0[0] = 'X';
    std::strcpy(sites[1].name, "beta");
    std::strcpy(sites[2].name, "gamma");
    sites[1].active = 1;
    sites[2].active = 2;
    const std::string n(sizeof sites[0].name, 'n');
    EXPECT_EQ(Describe(ToolsMenu(sites, -1), 2),
              (Lines{"Start " + n + "/19", "Stop " + n + "/23~"}));
    EXPECT_EQ(Describe(ToolsMenu(sites, 1), 2), (Lines{"Start beta/19~", "Stop beta/23"}));
    EXPECT_EQ(Describe(ToolsMenu(sites, 2), 2), (Lines{"Start gamma/19", "Stop gamma/23~"}));
    EXPECT_EQ(Describe(TrayMenu(sites)),
              (Lines{"Lanch Control/17", "-", "Start " + n + "/48", "Stop beta/49", "Stop gamma/50",
                     "-", "&About Wexfold.../16", "-", "Exit/25"}));
    EXPECT_EQ(Describe(SiteChooser(sites)), (Lines{n + "/304", "beta/305", "gamma/306"}));
    EXPECT_EQ(Describe(TrayMenu({}), 2), (Lines{"&About Wexfold.../16", "-", "Exit/25"}));

    // Site menus stop at the last command of their range.
    sites.assign(kMaxSites + 1, NewSiteRecord());
    EXPECT_EQ(SiteChooser(sites).back().command, command::kSiteRangeEnd - 1);
    EXPECT_EQ(TrayMenu(sites).size(), kMaxSites + 6);
    EXPECT_EQ(TrayMenu(sites)[kMaxSites + 1].command, command::kChooserFirst - 1);

    // Site commands decode only within the site count.
    const std::pair<int, std::size_t> numbers[] = {{47, 10},  {48, 10},   {57, 10},   {58, 10},
                                                   {48, 0},   {303, 256}, {303, 255}, {304, 1},
                                                   {313, 10}, {314, 10},  {559, 256}, {560, 257}};
    std::string decoded;
    for (const auto& [number, count] : numbers) {
        const SiteCommand command = DecodeSiteCommand(number, count);
        decoded += std::to_string(command.kind) + ":" + std::to_string(command.site) + " ";
    }
    EXPECT_EQ(decoded, "0:-1 1:0 1:9 0:-1 0:-1 1:255 0:-1 2:0 2:9 0:-1 2:255 0:-1 ");
}

}  // namespace
}  // namespace wexfold
