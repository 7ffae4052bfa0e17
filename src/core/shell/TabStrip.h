// The main window's tab strip as data: which pages stand in it, which tab a rebuild selects,
// and which controls each page hides and shows. The window applies the result.
#pragma once

#include <array>
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

// Control ids of each page's set.
inline constexpr std::array<int, 5> kUrlControls{1003, 1006, 1004, 1005, 1002};
inline constexpr std::array<int, 7> kStatisticsControls{1034, 1035, 1036, 1037, 1039, 1040, 1041};
inline constexpr std::array<int, 17> kReportControls{1100, 1101, 1102, 1106, 1105, 1104,
                                                     1107, 1103, 1110, 1109, 1108, 1111,
                                                     1112, 1113, 1114, 1115, 1116};
inline constexpr std::array<int, 3> kUpdateControls{1011, 1008, 1017};
// The progress bar and status line of the UPDATE page, visible only while a check runs.
inline constexpr std::array<int, 2> kUpdateRunningControls{1007, 1030};

// The controls to hide, then to show, when a page becomes the selected tab.
struct PageControls {
    std::vector<int> hide;
    std::vector<int> show;
};

PageControls ControlsForPage(Page page, bool updateCheckRunning);

}  // namespace wexfold
