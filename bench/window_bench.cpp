// The desktop window's start-up and memory: the time from making the window to its first
// paint, and the resident size after monitoring, with 256 sites (fetching every second from
// a local HTTP server) beside an empty list. Each case runs in a process of its own.
//
//   build/bin/window_bench [seconds]     (monitoring time, default 60; offscreen platform)
#include <httplib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "app/window/Prompter.h"
#include "app/window/T_wexfoldDlg.h"
#include "ProcStatus.h"
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
    SaveSiteList(list);

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
    window.OnInitDialog();
    window.show();
    while (!paint.seen) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double startMs = std::chrono::duration<double, std::milli>(paint.at - start).count();

    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    QApplication::exec();
    const long rssKb = StatusField("VmRSS");
    const long peakKb = StatusField("VmHWM");
    window.ExitSteps();
    server.stop();
    serving.join();
    std::filesystem::current_path("/");
    std::filesystem::remove_all(folder);
    std::printf("%3d sites  first paint %8.1f ms  rss after %3d s %7ld kB  peak %7ld kB\n", sites,
                startMs, seconds, rssKb, peakKb);
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    for (int sites : {0, 256}) {
        const pid_t child = ::fork();
        if (child == 0) _exit(RunCase(sites, seconds));
        int status = 0;
        ::waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return 1;
    }
    return 0;
}
