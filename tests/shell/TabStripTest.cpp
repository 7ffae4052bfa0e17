// Rebuilding the tab strip when the optional pages are shown or taken away.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/shell/TabStrip.h"

namespace wexfold {
namespace {

// A strip written as letters: U = URL, S = Statistics, R = Report, X = UPDATE.
std::vector<Page> Strip(const std::string& letters) {
    std::vector<Page> tabs;
    for (char c : letters) {
        tabs.push_back(c == 'U'   ? Page::kUrl
                       : c == 'S' ? Page::kStatistics
                       : c == 'R' ? Page::kReport
                                  : Page::kUpdate);
    }
    return tabs;
}

struct RebuildRow {
    const char* before;
    int page;
    bool show;
    const char* after;
    int selected;
};

// Every row of the rebuild table; the selected tab is the starred one, or 0 after hiding.
constexpr RebuildRow kRebuildRows[] = {
    {"UX", kShowReportPage, true, "URX", 1},
    {"URX", kShowReportPage, true, "URX", 1},
    {"USX", kShowReportPage, true, "URSX", 1},
    {"USRX", kShowReportPage, true, "USRX", 2},
    {"URSX", kShowReportPage, true, "URSX", 1},
    {"UX", kShowReportPage, false, "UX", 0},
    {"URX", kShowReportPage, false, "UX", 0},
    {"USX", kShowReportPage, false, "USX", 0},
    {"USRX", kShowReportPage, false, "USX", 0},
    {"URSX", kShowReportPage, false, "USX", 0},
    {"UX", kShowStatisticsPage, true, "USX", 1},
    {"URX", kShowStatisticsPage, true, "USRX", 1},
    {"USX", kShowStatisticsPage, true, "USX", 1},
    {"USRX", kShowStatisticsPage, true, "USRX", 1},
    {"URSX", kShowStatisticsPage, true, "URSX", 2},
    // After a page number that left only URL, the UPDATE tab comes back too.
    {"U", kShowReportPage, true, "URX", 1},
};

TEST(TabStrip, RebuildFollowsTheTable) {
    for (const RebuildRow& row : kRebuildRows) {
        SCOPED_TRACE(std::string(row.before) + " page " + std::to_string(row.page) +
                     (row.show ? " show" : " hide"));
        const StripChange change = ShowTabPage(Strip(row.before), row.page, row.show);
        EXPECT_EQ(change.tabs, Strip(row.after));
        EXPECT_EQ(change.selected, row.selected);
    }
}

TEST(TabStrip, PageZeroRestoresAllTabsAndOtherNumbersLeaveOnlyUrl) {
    for (const char* before : {"UX", "URX", "URSX", "U"}) {
        SCOPED_TRACE(before);
        const StripChange all = ShowTabPage(Strip(before), kShowAllPages, false);
        EXPECT_EQ(all.tabs, Strip("USRX"));
        EXPECT_EQ(all.selected, 0);
        for (int page : {1, 4, -1}) {
            const StripChange only = ShowTabPage(Strip(before), page, true);
            EXPECT_EQ(only.tabs, Strip("U"));
            EXPECT_EQ(only.selected, 0);
        }
    }
    EXPECT_EQ(FullStrip(), Strip("USRX"));
}

TEST(TabStrip, HidingStatisticsKeepsReportInPlace) {
    const std::pair<const char*, const char*> cases[] = {
        {"UX", "UX"}, {"USX", "UX"}, {"URX", "URX"}, {"USRX", "URX"}, {"URSX", "URX"}};
    for (const auto& [before, after] : cases) {
        SCOPED_TRACE(before);
        const StripChange change = HideStatisticsPage(Strip(before));
        EXPECT_EQ(change.tabs, Strip(after));
        EXPECT_EQ(change.selected, 0);
    }
}

}  // namespace
}  // namespace wexfold
