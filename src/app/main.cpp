// The wexfold command: the desktop program, or one of its modes without a window.
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/shell/T_wexfoldApp.h"
#include "core/engine/CurlFetchLoop.h"
#include "core/engine/OpenFileLimit.h"
#include "core/logs/Clock.h"
#include "core/logs/ReportCommand.h"
#include "core/shell/HeadlessMonitor.h"

namespace {

const char kUsage[] =
    "Usage:\n"
    "  wexfold                       the desktop program\n"
    "  wexfold --headless            monitor the site list of the current folder without a window\n"
    "  wexfold --report NAME FROM TO [--filter broken,connectivity,speed] [--csv FILE]\n"
    "                                print a site's report (dates as YYYY-MM-DD), and\n"
    "                                write its per-day figures to FILE as CSV\n"
    "  wexfold --help | --version\n";

volatile std::sig_atomic_t exitSignal = 0;

extern "C" void OnExitSignal(int) { exitSignal = 1; }

int Headless() {
    struct sigaction action {};
    action.sa_handler = OnExitSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    const wexfold::SystemClock clock;
    wexfold::HeadlessOptions options;
    wexfold::CurlLimits limits;
    // https sites are verified against these authorities instead of the system's.
    if (const char* authorities = std::getenv("WEXFOLD_CA_FILE")) limits.caFile = authorities;
    options.fetcher = std::make_shared<wexfold::CurlFetchLoop>(limits);
    options.clock = &clock;
    options.exitRequested = [] { return exitSignal != 0; };
    return wexfold::RunHeadless(options, std::cout, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
    wexfold::RaiseOpenFileLimit();
    const std::vector<std::string> args(argv + 1, argv + argc);
    // Qt's own options (-platform, -style ...) go to the desktop program.
    if (args.empty() || (args[0].size() > 1 && args[0][0] == '-' && args[0][1] != '-')) {
        return wexfold::T_wexfoldApp::Run(argc, argv);
    }
    if (args[0] == "--help") {
        std::cout << kUsage;
        return 0;
    }
    if (args[0] == "--version") {
        std::cout << "wexfold " << WEXFOLD_VERSION << "\n";
        return 0;
    }
    if (args[0] == "--headless") {
        if (args.size() == 1) return Headless();
        std::cerr << "wexfold: --headless takes no arguments\n" << kUsage;
        return 2;
    }
    if (args[0] == "--report") {
        const wexfold::SystemClock clock;
        return wexfold::RunReportCommand({args.begin() + 1, args.end()}, std::cout, std::cerr,
                                         clock);
    }
    std::cerr << "wexfold: unknown option '" << args[0] << "'\n" << kUsage;
    return 2;
}
