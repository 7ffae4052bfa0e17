// The site list file survives a crash at any moment: a child program saves and imports lists
// through the product's code and is killed with SIGKILL at random moments; after each kill the
// file must hold exactly the last list saved or the one being saved, never a mix.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>
#include <thread>

#include "fixtures/ChildProcess.h"
#include "SiteListGenerations.h"
#include "core/sites/SiteListFile.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {
namespace {

constexpr int kKills = 200;
constexpr int kMaxChildMilliseconds = 120;

// What a killed child printed: the last generation it began and the last one it finished.
struct Progress {
    int begun;
    int saved;
};

Progress ReadProgress(int fd, int start) {
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, n);
    Progress progress{start, start};
    std::istringstream lines(text);
    std::string word;
    int generation = 0;
    while (lines >> word >> generation) {
        (word == "saved" ? progress.saved : progress.begun) = generation;
    }
    return progress;
}

// The bytes SaveSiteList writes for list, saved into a folder of their own.
std::string StoredBytes(const std::vector<SiteRecord>& list, const std::filesystem::path& folder) {
    const std::filesystem::path file = folder / "reference";
    EXPECT_TRUE(SaveSiteList(list, file.string()));
    return FileText(file);
}

TEST(SiteListCrash, KilledSavesAndImportsLeaveAWholeList) {
    const unsigned seed = std::random_device{}();
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delay(0, kMaxChildMilliseconds * 1000);
    TempFolder folder;
    TempFolder scratch;
    const std::string listFile = (folder.Path() / "siteurl").string();
    std::vector<SiteRecord> onDisk = GenerationSites(0);
    ASSERT_TRUE(SaveSiteList(onDisk, listFile));

    int generation = 0;
    int midSave = 0;
    int newFound = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        int pipe[2];
        ASSERT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
        const pid_t child = StartChild(
            {WEXFOLD_LIST_SAVER, folder.Path().string(), std::to_string(generation)}, {}, pipe[1]);
        ::close(pipe[1]);
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        const ChildEnd end = KillChild(child);
        const Progress progress = ReadProgress(pipe[0], generation);
        ::close(pipe[0]);
        ASSERT_TRUE(WIFSIGNALED(end.status)) << "the child ended by itself: " << end.status;

        // The two lists that may be on disk: the last saved, and the one begun after it.
        std::vector<SiteRecord> saved = onDisk;
        for (int g = generation + 1; g <= progress.saved; ++g) ApplyGeneration(saved, g);
        std::vector<SiteRecord> begun = saved;
        if (progress.begun > progress.saved) ApplyGeneration(begun, progress.begun);
        const std::string stored = FileText(listFile);
        const bool isSaved = stored == StoredBytes(saved, scratch.Path());
        const bool isBegun =
            progress.begun > progress.saved && stored == StoredBytes(begun, scratch.Path());
        ASSERT_TRUE(isSaved || isBegun)
            << "kill " << kill << ": " << stored.size() << " bytes hold neither generation "
            << progress.saved << " nor " << progress.begun;
        std::vector<SiteRecord> loaded;
        LoadSiteList(listFile, loaded, {});
        ASSERT_EQ(loaded.size(), (isBegun ? begun : saved).size());

        midSave += progress.begun > progress.saved ? 1 : 0;
        newFound += isBegun ? 1 : 0;
        onDisk = isBegun ? begun : saved;
        generation = isBegun ? progress.begun : progress.saved;
    }
    std::size_t leftovers = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        leftovers += entry.path().filename().string().rfind("siteurl.", 0) == 0 ? 1 : 0;
    }
    std::printf(
        "%d kills over %d generations; %d inside a save, %d of those found the new list; "
        "%zu temporary files left by the kills\n",
        kKills, generation, midSave, newFound, leftovers);
}

}  // namespace
}  // namespace wexfold::testing
