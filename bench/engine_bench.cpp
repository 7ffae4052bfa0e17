// What a check costs the engine against the floor. Every side runs in a process of its own and
// the server (nginx) in another, so each figure is the client's CPU only (user + system, from
// wait4) divided by the checks it finished:
//   engine     wexfold --headless over 256 sites fetching a 20 KB page every second, every
//              detail logged, as a user runs it
//   bare loop  a fresh libcurl easy handle per fetch, one fetch after another (bare_loop)
//   work loop  the per-check work the product must do, done plainly: one multi handle, the
//              body counted, the full-detail log lines written (work_loop)
// for http and https (a CA and certificate made at run time). The server and every side run on
// one processor: a wake across processors costs far more than the work of a check on a virtual
// machine, and where the scheduler put the server beside a side or not decided the ratio (the
// same engine measured 1.37 and 1.71 in the steady state unpinned); on one processor neither
// side pays such wakes, so the figures are the work each does. The sides alternate, each run
// ROUNDS times; the median and spread are printed with the ratios to the bare loop, twice: over
// the whole run, start-up and exit included, and in the steady state, the CPU the process
// spends over a whole number of seconds after a warm-up (from /proc/PID/task/*/schedstat)
// divided by the checks that ended meanwhile. Last, the engine against a server that answers
// each request after 5 s, at a 10 s and a 1 s interval, with its peaks.
//
//   build-bench/bin/engine_bench [seconds a run (20)] [rounds (3)] [http|https|slow: that part
//   only]
#include <sched.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "ProcStatus.h"
#include "core/sites/SiteListFile.h"
#include "core/sites/SiteRecord.h"
#include "fixtures/ChildProcess.h"
#include "fixtures/LocalServers.h"
#include "fixtures/TempFolder.h"

using namespace wexfold;
using namespace wexfold::testing;

namespace {

constexpr int kSites = 256;
constexpr std::size_t kPageBytes = 20 * 1024;
constexpr int kSlowSeconds = 40;
// The steady state is measured from this long after the start.
constexpr int kWarmUpSeconds = 4;

enum class Side { kEngine, kBare, kWork };
const char* const kSideNames[] = {"engine", "bare loop", "work loop"};

struct Run {
    long checks = 0;
    double cpu = 0;
    long steadyChecks = 0;
    double steadyCpu = 0;
    long peakRssKb = 0;
    long peakThreads = 0;
};

struct Setup {
    std::filesystem::path bin;     // where the programs are
    std::filesystem::path folder;  // scratch space
    int runs = 0;
};

// The number behind the first occurrence of prefix in the text, 0 when missing.
long NumberAfter(const std::string& text, const std::string& prefix) {
    const std::size_t at = text.find(prefix);
    return at == std::string::npos ? 0 : std::atol(text.c_str() + at + prefix.size());
}

// The processor time of a running process's threads so far, in seconds.
double ProcessCpu(pid_t pid) {
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    double nanoseconds = 0;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream stat(task.path() / "schedstat");
        double onCpu = 0;
        if (stat >> onCpu) nanoseconds += onCpu;
    }
    return nanoseconds / 1e9;
}

// The checks a side has reported as ended so far: the loops print "checks N" once a second, the
// monitor prints a line per ended check (its output is flushed once a second).
long ChecksSoFar(const std::string& printed, bool monitor) {
    if (!monitor) {
        const std::size_t at = printed.rfind("checks ");
        return at == std::string::npos ? 0 : std::atol(printed.c_str() + at + 7);
    }
    long count = 0;
    for (const char* end : {": ..Access successed! end of ", ": ! Failed! can't connectivy."}) {
        for (std::size_t at = printed.find(end); at != std::string::npos;
             at = printed.find(end, at + 1)) {
            ++count;
        }
    }
    return count;
}

// A folder for the headless monitor: its site list of 256 sites and their log folders.
void MakeSiteFolder(const std::filesystem::path& folder, const std::string& url, int interval) {
    std::vector<SiteRecord> list;
    for (int i = 0; i < kSites; ++i) {
        SiteRecord site = NewSiteRecord();
        std::snprintf(site.name, sizeof site.name, "s%03d", i);
        std::snprintf(site.fetchUrl, sizeof site.fetchUrl, "%s?site=%d", url.c_str(), i);
        site.active = 1;
        site.intervalUnit = kIntervalSeconds;
        site.intervalSeconds = interval;
        site.logEnabled = 1;
        site.logAllDetail = 1;
        list.push_back(site);
        std::filesystem::create_directories(folder / "log" / site.name);
    }
    if (!SaveSiteList(list, (folder / "siteurl").string())) std::abort();
}

// Runs the program for seconds (the loops end by themselves, the monitor is sent SIGTERM),
// sampling its threads, and its CPU and checks at the start and end of the steady state: a
// whole number of seconds apart, so that both fall at the same point of a second's checks.
Run RunProgram(const std::vector<std::string>& argv, const std::filesystem::path& folder,
               int seconds, bool terminate) {
    const std::filesystem::path out = folder / "out.txt";
    std::FILE* file = std::fopen(out.c_str(), "w");
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = StartChild(argv, folder, fileno(file));
    std::fclose(file);
    Run run;
    const std::string status = "/proc/" + std::to_string(pid) + "/status";
    const auto end = start + std::chrono::seconds(seconds);
    const int steadySeconds = seconds - kWarmUpSeconds - 1;
    const auto steadyFrom =
        start + std::chrono::seconds(kWarmUpSeconds) + std::chrono::milliseconds(500);
    const auto steadyTo = steadyFrom + std::chrono::seconds(std::max(steadySeconds, 0));
    bool sampledFrom = false;
    bool sampledTo = steadySeconds <= 0;
    while (std::chrono::steady_clock::now() < end) {
        const auto now = std::chrono::steady_clock::now();
        if (!sampledFrom && now >= steadyFrom) {
            sampledFrom = true;
            run.steadyCpu = -ProcessCpu(pid);
            run.steadyChecks = -ChecksSoFar(FileText(out), terminate);
        } else if (sampledFrom && !sampledTo && now >= steadyTo) {
            sampledTo = true;
            run.steadyCpu += ProcessCpu(pid);
            run.steadyChecks += ChecksSoFar(FileText(out), terminate);
        }
        const auto next = std::min(
            {now + std::chrono::milliseconds(100), sampledFrom ? steadyTo : steadyFrom, end});
        std::this_thread::sleep_until(std::max(next, now + std::chrono::milliseconds(1)));
        run.peakThreads = std::max(run.peakThreads, StatusField("Threads", status));
    }
    if (!sampledTo) run.steadyChecks = 0;
    if (terminate) ::kill(pid, SIGTERM);
    const ChildEnd ended = WaitChild(pid, std::chrono::seconds(60));
    run.cpu = ended.cpuSeconds;
    run.peakRssKb = ended.peakRssKb;
    const std::string printed = FileText(out);
    run.checks = terminate ? NumberAfter(printed, "wexfold: ") : ChecksSoFar(printed, false);
    return run;
}

Run RunSide(Side side, Setup& setup, const std::string& url, const std::string& caFile,
            int seconds) {
    const std::filesystem::path folder = setup.folder / ("run" + std::to_string(++setup.runs));
    std::filesystem::create_directories(folder);
    const std::string sites = std::to_string(kSites);
    const std::string length = std::to_string(seconds);
    Run run;
    if (side == Side::kEngine) {
        MakeSiteFolder(folder, url, 1);
        if (!caFile.empty()) setenv("WEXFOLD_CA_FILE", caFile.c_str(), 1);
        run = RunProgram({(setup.bin / "wexfold").string(), "--headless"}, folder, seconds, true);
        unsetenv("WEXFOLD_CA_FILE");
    } else if (side == Side::kBare) {
        std::vector<std::string> argv{(setup.bin / "bare_loop").string(), url, sites, length};
        if (!caFile.empty()) argv.push_back(caFile);
        run = RunProgram(argv, folder, seconds, false);
    } else {
        std::vector<std::string> argv{(setup.bin / "work_loop").string(), url, sites, length,
                                      folder.string()};
        if (!caFile.empty()) argv.push_back(caFile);
        run = RunProgram(argv, folder, seconds, false);
    }
    std::filesystem::remove_all(folder);
    return run;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Compare(const char* protocol, Setup& setup, const std::string& url, const std::string& caFile,
             int seconds, int rounds) {
    std::printf("%s: %d sites every second, %zu KB page, %d s a run, %d runs a side\n", protocol,
                kSites, kPageBytes / 1024, seconds, rounds);
    // Per check over the whole run, and in the steady state.
    std::vector<double> whole[3];
    std::vector<double> steady[3];
    std::vector<Run> runs[3];
    for (int round = 0; round < rounds; ++round) {
        for (int i = 0; i < 3; ++i) {
            // The order turns each round, so no side always runs first or last.
            const int side = (i + round) % 3;
            const Run run = RunSide(static_cast<Side>(side), setup, url, caFile, seconds);
            runs[side].push_back(run);
            whole[side].push_back(run.checks > 0 ? 1e6 * run.cpu / run.checks : 0);
            steady[side].push_back(run.steadyChecks > 0 ? 1e6 * run.steadyCpu / run.steadyChecks
                                                        : 0);
        }
    }
    for (int side = 0; side < 3; ++side) {
        long checks = 0, rss = 0, threads = 0;
        for (const Run& run : runs[side]) {
            checks = std::max(checks, run.checks);
            rss = std::max(rss, run.peakRssKb);
            threads = std::max(threads, run.peakThreads);
        }
        const auto [low, high] = std::minmax_element(whole[side].begin(), whole[side].end());
        const auto [steadyLow, steadyHigh] =
            std::minmax_element(steady[side].begin(), steady[side].end());
        std::printf(
            "  %-9s us CPU per check, median (spread): whole run %.1f (%.1f to %.1f), steady "
            "%.1f (%.1f to %.1f); up to %ld checks a run, peak %.1f MB RSS, %ld threads\n",
            kSideNames[side], Median(whole[side]), *low, *high, Median(steady[side]), *steadyLow,
            *steadyHigh, checks, rss / 1024.0, threads);
    }
    const double bare = Median(whole[1]);
    const double steadyBare = Median(steady[1]);
    std::printf(
        "  ratio to the bare loop: engine %.2f whole run, %.2f steady; work loop %.2f whole run, "
        "%.2f steady\n",
        Median(whole[0]) / bare, Median(steady[0]) / steadyBare, Median(whole[2]) / bare,
        Median(steady[2]) / steadyBare);
}

void SlowServer(Setup& setup, const std::string& url) {
    std::printf("slow server (each answer after %d s), %d sites, %d s a run:\n", kLateSeconds,
                kSites, kSlowSeconds);
    for (const int interval : {10, 1}) {
        const std::filesystem::path folder = setup.folder / ("slow" + std::to_string(interval));
        std::filesystem::create_directories(folder);
        MakeSiteFolder(folder, url, interval);
        const Run run = RunProgram({(setup.bin / "wexfold").string(), "--headless"}, folder,
                                   kSlowSeconds, true);
        std::printf("  interval %2d s: peak %ld threads, peak %.1f MB RSS, %ld checks ended\n",
                    interval, run.peakThreads, run.peakRssKb / 1024.0, run.checks);
        std::filesystem::remove_all(folder);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const std::string only = argc > 3 ? argv[3] : "";
    const auto runs = [&only](const char* part) { return only.empty() || only == part; };
    // The server and the sides inherit this processor.
    cpu_set_t cpus;
    CPU_ZERO(&cpus);
    int cpu = 0;
    if (sched_getaffinity(0, sizeof cpus, &cpus) == 0) {
        while (cpu < CPU_SETSIZE && !CPU_ISSET(cpu, &cpus)) ++cpu;
    }
    CPU_ZERO(&cpus);
    CPU_SET(cpu, &cpus);
    if (sched_setaffinity(0, sizeof cpus, &cpus) == 0) {
        std::printf("the server and every side run on processor %d\n", cpu);
    }
    TempFolder temp;
    Setup setup{std::filesystem::canonical("/proc/self/exe").parent_path(), temp.Path()};
    for (const char* program : {"wexfold", "bare_loop", "work_loop"}) {
        if (!std::filesystem::exists(setup.bin / program)) {
            std::fprintf(stderr, "engine_bench: %s is missing beside it\n", program);
            return 1;
        }
    }
    const TestCertificates certificates(temp.Path());
    const NginxServer http(temp.Path(), &certificates,
                           std::chrono::seconds(6 * seconds * rounds + 4 * kSlowSeconds + 120));
    std::ofstream(temp.Path() / "nginx/www/page20k", std::ios::binary)
        << std::string(kPageBytes, 'x');
    if (runs("http")) Compare("http", setup, http.Url("/page20k"), "", seconds, rounds);
    if (runs("https")) {
        Compare("https", setup, http.Url("/page20k", NginxServer::Tls::kTrusted),
                certificates.CaFile().string(), seconds, rounds);
    }
    if (runs("slow")) SlowServer(setup, http.Url("/late"));
    return 0;
}
