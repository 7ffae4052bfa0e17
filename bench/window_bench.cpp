// The desktop window's start-up and memory: the time from making the window to its first
// paint and to the moment its sites are listed and watched, and the resident size after
// monitoring, with 256 sites (fetching every second from a local HTTP server) beside an empty
// list. Each case runs in a process of its own; the cases alternate over three rounds and the
// medians are compared. The first round monitors for the given time, the others one second.
//
//   build/bin/window_bench [seconds]     (monitoring time, default 60; offscreen platform)
#include <httplib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "ProcStatus.h"
#include "app/window/Prompter.h"
#include "app/window/T_wexfoldDlg.h"
#include "core/engine/CurlDownloader.h"
#include "core/engine/CurlFetchLoop.h"
#include "core/sites/SiteListFile.h"
#include "core/sites/SiteRecord.h"

using namespace wexfold;

namespace {

// Notes the moment of the window's first paint.
class FirstPaint final : public QObject {
  public:
    std::chrono::steady_clock::time_point at{};
    bool seen = false;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen) {
            seen = true;
            at = std::chrono::steady_clock::now();
        }
        return false;
    }
};

// One case in this process: prints one line of figures.
int RunCase(int sites, int seconds) {
    httplib::Server server;
    const std::string body(4096, 'x');
    server.Get("/", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content(body, "text/html");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { server.listen_after_bind(); });

    char pattern[] = "/tmp/wexfold-window-bench-XXXXXX";
    const std::filesystem::path folder = ::mkdtemp(pattern);
    std::filesystem::current_path(folder);
    std::vector<SiteRecord> list;
    for (int i = 0; i < sites; ++i) {
        SiteRecord site = NewSiteRecord();
        const std::string name = "s" + std::to_string(i);
        std::memcpy(site.name, name.c_str(), name.size() + 1);
        std::snprintf(site.fetchUrl, sizeof site.fetchUrl, "http://127.0.0.1:%d/", port);
        site.active = 1;
        site.intervalSeconds = 1;
        site.logEnabled = 1;
        site.logAllDetail = 1;
        std::filesystem::create_directories(folder / "log" / site.name);
        list.push_back(site);
    }
    if (!SaveSiteList(list)) std::abort();
    // The folders and the list just made are written out first, so their write-back does
    // not fall into the measured start.
    ::sync();

    int argc = 1;
    char name[] = "window_bench";
    char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SystemClock clock;
    MessageBoxPrompter prompter;
    WindowServices services;
    services.downloader = std::make_shared<CurlDownloader>();
    services.fetcher = std::make_shared<CurlFetchLoop>();
    services.clock = &clock;
    services.prompter = &prompter;
    services.runMenu = [](QMenu&, const QPoint&) { return 0; };
    services.openDocument = [](const std::filesystem::path&) {};
    services.trayIcon = false;

    FirstPaint paint;
    const auto start = std::chrono::steady_clock::now();
    T_wexfoldDlg window(services);
    window.installEventFilter(&paint);
    // As the program does: the sites come in once the window has painted itself.
    window.OnInitDialog(T_wexfoldDlg::StartUp::kAfterFirstPaint);
    window.show();
    while (!paint.seen) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    while (!window.Started()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const auto listed = std::chrono::steady_clock::now();
    const double startMs = std::chrono::duration<double, std::milli>(paint.at - start).count();
    const double listedMs = std::chrono::duration<double, std::milli>(listed - start).count();

    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    QApplication::exec();
    const long rssKb = StatusField("VmRSS");
    const long peakKb = StatusField("VmHWM");
    window.ExitSteps();
    server.stop();
    serving.join();
    std::filesystem::current_path("/");
    std::filesystem::remove_all(folder);
    std::printf(
        "%3d sites  first paint %8.1f ms  listed and watched %8.1f ms  rss after %3d s "
        "%7ld kB  peak %7ld kB\n",
        sites, startMs, listedMs, seconds, rssKb, peakKb);
    std::fflush(stdout);
    return 0;
}

// Runs one case in a child process, echoes its line and returns its first paint in ms.
double RunChild(int sites, int seconds) {
    int out[2];
    if (::pipe(out) != 0) return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        _exit(RunCase(sites, seconds));
    }
    ::close(out[1]);
    std::string line;
    char buffer[512];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) line.append(buffer, n);
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    // Flushed before the next fork, so no child inherits these lines in its buffer.
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
    const std::size_t at = line.find("first paint");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || at == std::string::npos) return -1;
    return std::atof(line.c_str() + at + std::strlen("first paint"));
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    std::vector<double> empty, full;
    for (int round = 0; round < 3; ++round) {
        const int run = round == 0 ? seconds : 1;
        empty.push_back(RunChild(0, run));
        full.push_back(RunChild(256, run));
        if (empty.back() < 0 || full.back() < 0) return 1;
    }
    std::printf("first paint, median of 3: empty list %.1f ms, 256 sites %.1f ms: ratio %.2f\n",
                Median(empty), Median(full), Median(full) / Median(empty));
    return 0;
}
