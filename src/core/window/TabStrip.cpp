#include "core/window/TabStrip.h"

#include <algorithm>

namespace wexfold {
namespace {

// The optional pages between URL and UPDATE, in their order, each at most once.
std::vector<Page> OptionalPages(const std::vector<Page>& tabs) {
    std::vector<Page> pages;
    for (Page page : tabs) {
        const bool optional = page == Page::kStatistics || page == Page::kReport;
        if (optional && std::find(pages.begin(), pages.end(), page) == pages.end()) {
            pages.push_back(page);
        }
    }
    return pages;
}

std::vector<Page> StripOf(const std::vector<Page>& optional) {
    std::vector<Page> tabs{Page::kUrl};
    tabs.insert(tabs.end(), optional.begin(), optional.end());
    tabs.push_back(Page::kUpdate);
    return tabs;
}

StripChange Without(const std::vector<Page>& before, Page page) {
    std::vector<Page> optional = OptionalPages(before);
    std::erase(optional, page);
    return {StripOf(optional), 0};
}

}  // namespace

std::vector<Page> FullStrip() {
    return {Page::kUrl, Page::kStatistics, Page::kReport, Page::kUpdate};
}

int TabTextId(Page page) {
    switch (page) {
        case Page::kUrl:
            return 102;
        case Page::kStatistics:
            return 103;
        case Page::kReport:
            return 104;
        case Page::kUpdate:
            return 105;
    }
    return 102;
}

StripChange ShowTabPage(const std::vector<Page>& before, int page, bool show) {
    if (page == kShowAllPages) return {FullStrip(), 0};
    if (page != kShowReportPage && page != kShowStatisticsPage) return {{Page::kUrl}, 0};

    const Page target = page == kShowReportPage ? Page::kReport : Page::kStatistics;
    if (!show) return Without(before, target);

    std::vector<Page> optional = OptionalPages(before);
    auto found = std::find(optional.begin(), optional.end(), target);
    if (found == optional.end()) found = optional.insert(optional.begin(), target);
    // Tab 0 is URL, so the page's tab is one past its place among the optional pages.
    const int selected = static_cast<int>(found - optional.begin()) + 1;
    return {StripOf(optional), selected};
}

StripChange HideStatisticsPage(const std::vector<Page>& before) {
    return Without(before, Page::kStatistics);
}

}  // namespace wexfold
