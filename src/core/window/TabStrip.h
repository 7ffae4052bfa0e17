// The main window's tab strip as data: which pages stand in it and which tab a rebuild
// selects. The window applies the result.
#pragma once

#include <vector>

namespace wexfold {

enum class Page { kUrl, kStatistics, kReport, kUpdate };

// The page numbers ShowTabPage takes; any other number leaves only the URL tab.
inline constexpr int kShowAllPages = 0;
inline constexpr int kShowReportPage = 2;
inline constexpr int kShowStatisticsPage = 3;

// The strip after a rebuild and the tab that is selected in it.
struct StripChange {
    std::vector<Page> tabs;
    int selected;
};

// The strip at start-up: URL, Statistics, Report, UPDATE.
std::vector<Page> FullStrip();

// The tab label's string id (102 to 105).
int TabTextId(Page page);

// Page 0 gives the full strip with the URL tab selected. Pages 2 (Report) and 3 (Statistics):
// a page shown and absent goes directly after URL, one shown and present keeps its place, a
// hidden one is left out; the shown page's tab is selected, after hiding tab 0. The other
// optional page keeps its order. Any other page number leaves only URL.
StripChange ShowTabPage(const std::vector<Page>& before, int page, bool show);

// Takes the Statistics page out, keeping Report where it is; tab 0 is selected.
StripChange HideStatisticsPage(const std::vector<Page>& before);

}  // namespace wexfold
