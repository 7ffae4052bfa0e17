// What an ordinary run never shows: a crash in the middle of a save, logs larger than memory.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <thread>

#include "HugeLogFiles.h"
#include "core/sites/SiteListFile.h"
#include "fixtures/ChildProcess.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {
namespace {

// 1 to 23 sites whose addresses name the generation, so a saved file shows which one it holds.
std::vector<SiteRecord> GenerationSites(int generation) {
    std::vector<SiteRecord> sites(1 + generation * 7 % 23, NewSiteRecord());
    for (std::size_t i = 0; i < sites.size(); ++i) {
        std::snprintf(sites[i].fetchUrl, sizeof sites[i].fetchUrl, "http://g%d.test/%zu",
                      generation, i);
        sites[i].url.port = 10;  // the byte 0x0A, which the text mode stores as CR LF
    }
    return sites;
}

// The child: saves generations for two seconds at most, telling "-G" before G and "+G" after.
[[noreturn]] void SaveGenerations(const std::string& file, int generation, int progress) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < deadline) {
        ::dprintf(progress, " -%d", ++generation);
        if (const Result saved = SaveSiteList(GenerationSites(generation), file); !saved) {
            ::dprintf(2, "%s\n", saved.Message().c_str());
            ::_exit(1);
        }
        ::dprintf(progress, " +%d", generation);
    }
    ::_exit(0);
}

// A child process saves list after list through the product's code and is killed with SIGKILL
// at random moments; after each kill the file holds exactly the last list saved or the one
// being saved, never a mix.
TEST(SiteListCrash, AKilledSaveLeavesTheLastListOrTheNext) {
    const unsigned seed = std::random_device{}();
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    const TempFolder folder;
    const std::string listFile = (folder.Path() / "siteurl").string();
    const auto stored = [&](int generation) {
        const std::string file = (folder.Path() / "reference").string();
        EXPECT_TRUE(SaveSiteList(GenerationSites(generation), file));
        return FileText(file);
    };
    ASSERT_TRUE(SaveSiteList(GenerationSites(0), listFile));
    int generation = 0, midSave = 0;
    for (int kill = 0; kill < 200; ++kill) {
        int pipe[2];
        ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) SaveGenerations(listFile, generation, pipe[1]);
        ::close(pipe[1]);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 120000));
        ASSERT_TRUE(WIFSIGNALED(KillChild(child).status)) << "the child ended by itself";
        int begun = generation, saved = generation;
        std::FILE* progress = ::fdopen(pipe[0], "r");
        for (int g; std::fscanf(progress, "%d", &g) == 1;) (g < 0 ? begun : saved) = std::abs(g);
        std::fclose(progress);
        const std::string onDisk = FileText(listFile);
        const bool isNew = begun > saved && onDisk == stored(begun);
        ASSERT_TRUE(isNew || onDisk == stored(saved))
            << "kill " << kill << ": " << onDisk.size() << " bytes hold neither generation "
            << saved << " nor " << begun;
        midSave += begun > saved ? 1 : 0;
        generation = isNew ? begun : saved;
    }
    std::printf("200 kills over %d generations, %d inside a save\n", generation, midSave);
}

// With every filter, over a log day of 1 GiB and lines of 1 MiB: every line of both days under
// the right figures and page count, in bounded memory.
TEST(ReportCommandHugeLog, ListsEveryLineInBoundedMemory) {
#if !defined(WEXFOLD_PROGRAM)
    GTEST_SKIP() << "the wexfold program is built only with the Qt app";
#elif defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // A sanitizer's shadow memory and quarantine make the resident size its own and the 1 GiB
    // slow; the normal build measures it.
    GTEST_SKIP() << "resident size is measured in the normal build";
#else
    const TempFolder folder;
    const long fetches = WriteHugeLogDays(folder.Path());
    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
    const pid_t child =
        StartChild({WEXFOLD_PROGRAM, "--report", kHugeLogSite, "2024-03-01", "2024-03-02"},
                   folder.Path(), pipe[1]);
    ::close(pipe[1]);
    ASSERT_GT(child, 0);
    // Counted in lines, kept only at its start; a pause of 100 s ends it.
    std::string start;
    long lines = 0;
    std::vector<char> buffer(1 << 16);
    pollfd input{pipe[0], POLLIN, 0};
    for (ssize_t got; ::poll(&input, 1, 100000) > 0 &&
                      (got = ::read(pipe[0], buffer.data(), buffer.size())) > 0;) {
        lines += std::count(buffer.begin(), buffer.begin() + got, '\n');
        if (start.size() < 4096) start.append(buffer.data(), static_cast<std::size_t>(got));
    }
    ::close(pipe[0]);
    const ChildEnd end = WaitChild(child, std::chrono::seconds(100));
    std::printf("--report over 1 GiB, every line listed: peak RSS %ld kB\n", end.peakRssKb);
    EXPECT_TRUE(!end.timedOut && WIFEXITED(end.status) && WEXITSTATUS(end.status) == 0);
    EXPECT_LT(end.peakRssKb, 64 * 1024);

    // Figures, page label, a line per page, every line (four a fetch, six of 1 MiB on March 2).
    const long pages = (kHugeDayBrokenLines + 2 * fetches) / 50 + 2;
    EXPECT_EQ(lines, 4 + pages + (4 + 4 * fetches) + 6);
    const std::string head = " Minutes\nAverage download speed: 120 kb/s\n 0 of " +
                             std::to_string(pages - 1) + " pages\n=== page 0\n* 30 seconds " +
                             "interval time.\n" + kHugeBrokenLine + "\n" + kHugeBrokenLine + "\n" +
                             HugeFetchLines(0);
    EXPECT_EQ(start.rfind("Broken link Rate: 1%, 2.16 Minutes\nConnectivity Rate:99%, ", 0), 0u);
    EXPECT_NE(start.find(head), std::string::npos) << start.substr(0, 400);
#endif
}

}  // namespace
}  // namespace wexfold::testing
