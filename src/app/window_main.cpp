// The desktop program, started by the wexfold command for its window modes:
//   wexfold-window [--metrics ADDRESS:PORT] [Qt options]
// It is a program of its own so that the modes without a window never load Qt.
#include <iostream>
#include <optional>
#include <string_view>
#include <vector>

#include "app/shell/T_wexfoldApp.h"
#include "core/engine/OpenFileLimit.h"
#include "core/server/Metrics.h"
#include "core/server/MetricsServer.h"
#include "core/sites/FolderLock.h"

// The desktop program holds the folder's lock for its whole run. A window that finds another
// window holding it goes on, so that the single-instance check brings the running copy to the
// front; any other holder (a headless copy) makes it refuse.
int main(int argc, char** argv) {
    wexfold::RaiseOpenFileLimit();
    std::optional<wexfold::MetricsAddress> metrics;
    std::vector<char*> rest{argv[0]};
    int first = 1;
    if (argc > 1 && std::string_view(argv[1]) == "--metrics") {
        if (argc < 3) {
            std::cerr << "wexfold: --metrics needs ADDRESS:PORT\n";
            return 2;
        }
        metrics.emplace();
        if (auto complaint = wexfold::ParseMetricsAddress(argv[2], *metrics)) {
            std::cerr << "wexfold: " << *complaint << "\n";
            return 2;
        }
        first = 3;
    }
    // The rest goes to Qt.
    rest.insert(rest.end(), argv + first, argv + argc);
    int restCount = static_cast<int>(rest.size());
    rest.push_back(nullptr);

    const wexfold::FolderLock lock("window");
    if (lock.state() == wexfold::FolderLock::State::kTaken && lock.Holder() != "window") {
        std::cerr << "wexfold: " << lock.Reason() << "\n";
        return 1;
    }
    wexfold::MetricsBoard board;
    wexfold::MetricsServer server(board);
    wexfold::MetricsBoard* published = nullptr;
    if (metrics && lock.state() == wexfold::FolderLock::State::kHeld) {
        if (auto reason = server.Start(*metrics)) {
            std::cerr << "wexfold: " << *reason << "\n";
        } else {
            published = &board;
            wexfold::MetricsAddress served = *metrics;
            served.port = server.Port();
            std::cout << "wexfold: metrics on http://" << served.Text() << "/metrics" << std::endl;
        }
    }
    return wexfold::T_wexfoldApp::Run(restCount, rest.data(), published);
}
