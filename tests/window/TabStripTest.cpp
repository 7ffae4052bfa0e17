// Rebuilding the tab strip when the optional pages are shown or taken away.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "core/window/TabStrip.h"

namespace wexfold {
namespace {

// The pages as letters: URL, Statistics, Report, UPDATE.
std::vector<Page> Strip(const std::string& letters) {
    std::vector<Page> tabs;
    for (char c : letters) tabs.push_back(static_cast<Page>(std::string("USRX").find(c)));
    return tabs;
}

// Each row: the strip before, the change, the strip after and its selected tab. +R and -R
// show and hide Report, +S shows Statistics, -S takes it out; 0 is page 0, 1 any other page.
constexpr const char* kRows[] = {
    "UX +R URX 1",   "URX +R URX 1",  "USX +R URSX 1", "USRX +R USRX 2", "URSX +R URSX 1",
    "UX -R UX 0",    "URX -R UX 0",   "USX -R USX 0",  "USRX -R USX 0",  "URSX -R USX 0",
    "UX +S USX 1",   "URX +S USRX 1", "USX +S USX 1",  "USRX +S USRX 1", "URSX +S URSX 2",
    "U +R URX 1",    "UX -S UX 0",    "USX -S UX 0",   "URX -S URX 0",   "USRX -S URX 0",
    "URSX -S URX 0", "URX 0 USRX 0",  "U 0 USRX 0",    "URSX 1 U 0",     "UX 1 U 0"};

TEST(TabStrip, RebuildsFollowTheTable) {
    for (const char* row : kRows) {
        std::istringstream in(row);
        std::string before, change, after;
        int selected = -1;
        in >> before >> change >> after >> selected;
        const std::vector<Page> tabs = Strip(before);
        const int page = change[0] == '0'   ? kShowAllPages
                         : change[0] == '1' ? 1
                         : change[1] == 'R' ? kShowReportPage
                                            : kShowStatisticsPage;
        const StripChange made =
            change == "-S" ? HideStatisticsPage(tabs) : ShowTabPage(tabs, page, change[0] != '-');
        EXPECT_TRUE(made.tabs == Strip(after) && made.selected == selected) << row;
    }
}

}  // namespace
}  // namespace wexfold
