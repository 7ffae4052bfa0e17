// The engine under load: 256 sites fetching every second from a local HTTP server, through
// the real engine (hand-over, workers, libcurl, log writing), beside the same number of
// fetches made by a bare loop of fresh libcurl handles in the same run.
//
//   build/bin/engine_bench [seconds]     (default 30)
#include <curl/curl.h>
#include <httplib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "ProcStatus.h"
#include "core/engine/CurlFetchLoop.h"
#include "core/engine/EventLoop.h"
#include "core/engine/MonitorEngine.h"
#include "core/logs/EventLog.h"
#include "core/sites/SiteRecord.h"

using namespace wexfold;

namespace {

constexpr int kSites = 256;
const std::string kBody(4096, 'x');

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Starts the peak resident size afresh (the kernel's high-water mark).
void ResetPeakRss() { std::ofstream("/proc/self/clear_refs") << "5"; }

class CountingView final : public WindowlessView {
public:
    void SiteEvent(int, const std::string& text) override {
        if (text.rfind("..Access", 0) == 0) ++accesses;
        if (text.rfind("! Failed!", 0) == 0) ++broken;
    }
    void ShowWarning(const char*) override { ++warnings; }

    long accesses = 0;
    long broken = 0;
    long warnings = 0;
};

struct Figures {
    long checks = 0;
    double cpu = 0;
    double wall = 0;
    long peakRssKb = 0;
    long peakThreads = 0;
};

Figures RunEngine(const std::string& url, const std::filesystem::path& folder, int seconds) {
    std::vector<SiteRecord> sites;
    for (int i = 0; i < kSites; ++i) {
        SiteRecord site = NewSiteRecord();
        std::snprintf(site.name, sizeof site.name, "s%03d", i);
        std::snprintf(site.fetchUrl, sizeof site.fetchUrl, "%s?site=%d", url.c_str(), i);
        site.active = 1;
        site.intervalSeconds = 1;
        site.logEnabled = 1;
        site.logAllDetail = 1;
        sites.push_back(site);
    }
    SystemClock clock;
    EventLog log(clock, sites, folder);
    for (SiteRecord& site : sites) log.OpenSiteLog(site, true);
    CountingView view;
    auto handover = std::make_shared<SyncHandover>();
    auto downloader = std::make_shared<CurlFetchLoop>();
    MonitorEngine engine(sites, log, view, downloader, handover);

    Figures figures;
    ResetPeakRss();
    const double cpuStart = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    EventLoop loop(*handover);
    loop.AddTimer(std::chrono::milliseconds(500), [&] { engine.AnimationTick(); });
    loop.AddTimer(std::chrono::milliseconds(1000), [&] {
        engine.SchedulerTick();
        figures.peakThreads = std::max(figures.peakThreads, StatusField("Threads"));
    });
    engine.ControlMonitor(kAllSites, true);
    loop.Run(std::chrono::seconds(seconds));
    engine.Shutdown(std::chrono::seconds(10));
    figures.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    figures.cpu = CpuSeconds() - cpuStart;
    figures.peakRssKb = StatusField("VmHWM");
    figures.checks = view.accesses + view.broken;
    if (view.broken + view.warnings > 0) {
        std::printf("engine: %ld broken links, %ld thread warnings\n", view.broken, view.warnings);
    }
    return figures;
}

std::size_t Discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }

Figures RunBareLoop(const std::string& url, long fetches) {
    Figures figures;
    ResetPeakRss();
    const double cpuStart = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < fetches; ++i) {
        CURL* curl = curl_easy_init();
        const std::string address = url + "?site=" + std::to_string(i % kSites);
        curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Discard);
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        if (curl_easy_perform(curl) == CURLE_OK) ++figures.checks;
        curl_easy_cleanup(curl);
    }
    figures.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    figures.cpu = CpuSeconds() - cpuStart;
    figures.peakRssKb = StatusField("VmHWM");
    figures.peakThreads = StatusField("Threads");
    return figures;
}

void Print(const char* name, const Figures& figures) {
    std::printf("%-10s checks %7ld  wall %6.1f s  cpu %6.2f s  cpu/1000 checks %6.3f s  "
                "peak rss %6ld kB  peak threads %4ld\n",
                name, figures.checks, figures.wall, figures.cpu,
                figures.checks ? 1000.0 * figures.cpu / static_cast<double>(figures.checks) : 0.0,
                figures.peakRssKb, figures.peakThreads);
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    curl_global_init(CURL_GLOBAL_ALL);
    httplib::Server server;
    server.Get("/", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(kBody, "text/plain");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { server.listen_after_bind(); });
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/";

    const auto folder = std::filesystem::temp_directory_path() /
                        ("wexfold-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::printf("%d sites, interval 1 s, %d s, body %zu bytes, server on 127.0.0.1:%d\n", kSites,
                seconds, kBody.size(), port);
    const Figures engine = RunEngine(url, folder, seconds);
    Print("engine", engine);
    const Figures bare = RunBareLoop(url, engine.checks);
    Print("bare loop", bare);
    if (engine.checks > 0 && bare.checks > 0) {
        const double ratio = (engine.cpu / static_cast<double>(engine.checks)) /
                             (bare.cpu / static_cast<double>(bare.checks));
        std::printf("ratio engine/bare cpu per check: %.2f\n", ratio);
    }
    server.stop();
    serving.join();
    std::filesystem::remove_all(folder);
    curl_global_cleanup();
    return 0;
}
