// The wexfold command: the desktop program, or one of its modes without a window.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "core/engine/CurlFetchLoop.h"
#include "core/engine/OpenFileLimit.h"
#include "core/logs/Clock.h"
#include "core/logs/ReportCommand.h"
#include "core/server/HeadlessMonitor.h"
#include "core/server/SiteArguments.h"
#include "core/server/SiteCommands.h"
#include "core/server/Systemd.h"
#include "core/text/StringTable.h"

namespace {

const char kUsage[] =
    "Usage:\n"
    "  wexfold [--metrics ADDRESS:PORT]\n"
    "                                the desktop program; with --metrics it also serves its\n"
    "                                figures for Prometheus at http://ADDRESS:PORT/metrics\n"
    "  wexfold --headless [--metrics ADDRESS:PORT]\n"
    "                                monitor the site list of the current folder without a window\n"
    "  wexfold --report NAME FROM TO [--filter broken,connectivity,speed] [--csv FILE]\n"
    "                                print a site's report (dates as YYYY-MM-DD), and\n"
    "                                write its per-day figures to FILE as CSV\n"
    "  wexfold --help | --version\n"
    "\n"
    "Sites of the current folder (refused while a copy of Wexfold runs on it):\n"
    "  wexfold --add NAME URL [--interval N[s|m|h]] [--user U --password-file F|-]\n"
    "                 [--alert MINUTES|--no-alert] [--log all|broken|off]\n"
    "  wexfold --set NAME [--url URL] [--interval N[s|m|h]|default] [--user U]\n"
    "                 [--password-file F|-] [--no-user] [--alert MINUTES|--no-alert]\n"
    "                 [--log all|broken|off]\n"
    "  wexfold --remove NAME\n"
    "  wexfold --list [--json]\n"
    "  wexfold --start NAME|--all      wexfold --stop NAME|--all\n"
    "  wexfold --import FILE.wxf [--replace|--keep]      wexfold --export FILE.wxf\n"
    "URL is [http://|https://|ftp://]HOST[:PORT][/PATH][?QUERY]. A password is read from the\n"
    "first line of the file F, or of standard input for '-'. The interval is 10 seconds by\n"
    "default, else 10-60 s, 1-60 m or 1-12 h.\n";

volatile std::sig_atomic_t exitSignal = 0;

extern "C" void OnExitSignal(int) {
    exitSignal = 1;
}

// The address after --metrics; false after saying what is wrong with it.
bool ReadMetrics(const std::string& text, std::optional<wexfold::MetricsAddress>& metrics) {
    metrics.emplace();
    if (auto complaint = wexfold::ParseMetricsAddress(text, *metrics)) {
        std::cerr << "wexfold: " << *complaint << "\n";
        return false;
    }
    return true;
}

int Headless(const std::optional<wexfold::MetricsAddress>& metrics) {
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
    options.metrics = metrics;
    options.journal = wexfold::WritesToJournal(STDOUT_FILENO);
    // The event lines are flushed once a second; a large buffer writes them in few calls.
    std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
    return wexfold::RunHeadless(options, std::cout, std::cerr);
}

// The desktop program is a program of its own beside this one (or in the installed
// libexec/wexfold), so that the modes without a window never load Qt. It takes the same
// arguments.
int Window(char** argv) {
    std::error_code error;
    const std::filesystem::path folder =
        std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    std::filesystem::path window = folder / "wexfold-window";
    if (::access(window.c_str(), X_OK) != 0) {
        window = folder.parent_path() / "libexec" / "wexfold" / "wexfold-window";
    }
    ::execv(window.c_str(), argv);
    std::cerr << "wexfold: cannot start the desktop program " << window.string() << ": "
              << std::strerror(errno) << "\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    wexfold::RaiseOpenFileLimit();
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::optional<wexfold::MetricsAddress> metrics;
    // Qt's own options (-platform, -style ...) go to the desktop program.
    if (args.empty() || (args[0].size() > 1 && args[0][0] == '-' && args[0][1] != '-') ||
        args[0] == "--metrics") {
        return Window(argv);
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
        if (args.size() == 1) return Headless(metrics);
        if (args.size() == 3 && args[1] == "--metrics") {
            return ReadMetrics(args[2], metrics) ? Headless(metrics) : 2;
        }
        std::cerr << "wexfold: --headless takes only --metrics ADDRESS:PORT\n" << kUsage;
        return 2;
    }
    if (args[0] == "--report") {
        const wexfold::SystemClock clock;
        return wexfold::RunReportCommand({args.begin() + 1, args.end()}, std::cout, std::cerr,
                                         clock);
    }
    if (wexfold::IsSiteCommand(args[0])) {
        wexfold::SetLanguage(wexfold::LanguageFromEnvironment());
        const wexfold::SystemClock clock;
        return wexfold::RunSiteCommand(args, std::cin, std::cout, std::cerr, clock);
    }
    std::cerr << "wexfold: unknown option '" << args[0] << "'\n" << kUsage;
    return 2;
}
