// The items of the main window's menus for the states of the site list and tab strip, and the
// decoding of the two site command ranges.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/shell/Menus.h"

namespace wexfold {
namespace {

SiteRecord Site(const char* name, std::uint8_t active) {
    SiteRecord site = NewSiteRecord();
    std::memcpy(site.name, name, std::strlen(name));  // test names fit the field
    site.active = active;
    return site;
}

// Items as "text/command" with "!" for checked and "~" for grayed, "-" for a separator.
std::vector<std::string> Describe(const Menu& menu) {
    std::vector<std::string> lines;
    for (const MenuItem& item : menu) {
        if (item.separator) {
            lines.push_back("-");
            continue;
        }
        lines.push_back(item.text + "/" + std::to_string(item.command) + (item.checked ? "!" : "") +
                        (item.grayed ? "~" : ""));
    }
    return lines;
}

using Lines = std::vector<std::string>;

TEST(Menus, ViewMenuMarksThePagesInTheStrip) {
    const Page u = Page::kUrl, s = Page::kStatistics, r = Page::kReport, x = Page::kUpdate;
    EXPECT_EQ(Describe(ViewMenu({u, s, r, x})), (Lines{"Statistics/29!", "Report/30!"}));
    EXPECT_EQ(Describe(ViewMenu({u, r, s, x})), (Lines{"Statistics/29!", "Report/30!"}));
    EXPECT_EQ(Describe(ViewMenu({u, s, x})), (Lines{"Statistics/29!", "Report/21"}));
    EXPECT_EQ(Describe(ViewMenu({u, r, x})), (Lines{"Statistics/22", "Report/30!"}));
    EXPECT_EQ(Describe(ViewMenu({u, x})), (Lines{"Statistics/22", "Report/21"}));
    EXPECT_EQ(Describe(ViewMenu({u})), (Lines{"Statistics/22", "Report/21"}));
}

TEST(Menus, ToolsMenuNamesTheSiteItActsOn) {
    EXPECT_EQ(Describe(ToolsMenu({}, -1)),
              (Lines{"Advanced Settings/24", "-", "Start /19", "Stop /23"}));

    // Only an active flag of 1 counts as running.
    const std::vector<SiteRecord> sites{Site("alpha", 0), Site("beta", 1), Site("gamma", 2)};
    EXPECT_EQ(Describe(ToolsMenu(sites, -1)),
              (Lines{"Advanced Settings/24", "-", "Start alpha/19", "Stop alpha/23~"}));
    EXPECT_EQ(Describe(ToolsMenu(sites, 1)),
              (Lines{"Advanced Settings/24", "-", "Start beta/19~", "Stop beta/23"}));
    EXPECT_EQ(Describe(ToolsMenu(sites, 2)),
              (Lines{"Advanced Settings/24", "-", "Start gamma/19", "Stop gamma/23~"}));
}

TEST(Menus, NameOfFullLengthIsReadWithinItsField) {
    SiteRecord site = Site("", 0);
    std::memset(site.name, 'n', sizeof site.name);  // no terminating NUL inside the field
    site.pad0[0] = 'X';
    const std::vector<SiteRecord> sites{site};
    EXPECT_EQ(SiteChooser(sites)[0].text, std::string(sizeof site.name, 'n'));
    EXPECT_EQ(TrayMenu(sites)[2].text, "Start " + std::string(sizeof site.name, 'n'));
}

TEST(Menus, TrayMenuListsEverySite) {
    EXPECT_EQ(Describe(TrayMenu({})),
              (Lines{"Lanch Control/17", "-", "&About Wexfold.../16", "-", "Exit/25"}));
    // Any non-zero active flag counts as running here.
    const std::vector<SiteRecord> sites{Site("first", 0), Site("second", 1), Site("third", 2)};
    EXPECT_EQ(Describe(TrayMenu(sites)),
              (Lines{"Lanch Control/17", "-", "Start first/48", "Stop second/49", "Stop third/50",
                     "-", "&About Wexfold.../16", "-", "Exit/25"}));
}

TEST(Menus, SiteMenusStopAtTheLastCommandOfTheirRange) {
    const std::vector<SiteRecord> sites(kMaxSites + 1, Site("s", 0));
    const Menu chooser = SiteChooser(sites);
    ASSERT_EQ(chooser.size(), kMaxSites);
    EXPECT_EQ(chooser.back().command, command::kSiteRangeEnd - 1);
    const Menu tray = TrayMenu(sites);
    ASSERT_EQ(tray.size(), kMaxSites + 6);
    EXPECT_EQ(tray[kMaxSites + 1].command, command::kChooserFirst - 1);
}

TEST(Menus, SiteCommandsDecodeOnlyWithinTheSiteCount) {
    struct Case {
        int command;
        std::size_t sites;
        SiteCommand::Kind kind;
        int site;
    };
    const Case cases[] = {
        {47, 10, SiteCommand::kNone, -1},      {48, 10, SiteCommand::kTrayToggle, 0},
        {57, 10, SiteCommand::kTrayToggle, 9}, {58, 10, SiteCommand::kNone, -1},
        {48, 0, SiteCommand::kNone, -1},       {303, 256, SiteCommand::kTrayToggle, 255},
        {303, 255, SiteCommand::kNone, -1},    {304, 1, SiteCommand::kChooser, 0},
        {304, 0, SiteCommand::kNone, -1},      {313, 10, SiteCommand::kChooser, 9},
        {314, 10, SiteCommand::kNone, -1},     {559, 256, SiteCommand::kChooser, 255},
        {560, 257, SiteCommand::kNone, -1},    {25, 10, SiteCommand::kNone, -1},
        {-1, 10, SiteCommand::kNone, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.command) + " with " + std::to_string(c.sites));
        const SiteCommand decoded = DecodeSiteCommand(c.command, c.sites);
        EXPECT_EQ(decoded.kind, c.kind);
        if (c.kind != SiteCommand::kNone) {
            EXPECT_EQ(decoded.site, c.site);
        }
    }
}

}  // namespace
}  // namespace wexfold
