// The site list file survives a crash at any moment: a child program saves and imports lists
// through the product's code and is killed with SIGKILL at random moments; after each kill the
// file must hold exactly the last list saved or the one being saved, never a mix. A save onto
// a full disk fails cleanly and keeps the old file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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

// A tmpfs of a given size mounted on a folder for as long as the object lives.
class SmallDisk {
  public:
    SmallDisk(const std::filesystem::path& where, const char* size) : where_(where) {
        const std::string options = std::string("size=") + size;
        mounted_ = ::mount("tmpfs", where.c_str(), "tmpfs", 0, options.c_str()) == 0;
        error_ = mounted_ ? 0 : errno;
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(where_.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Mounted() const { return mounted_; }
    const char* Error() const { return std::strerror(error_); }

  private:
    std::filesystem::path where_;
    bool mounted_ = false;
    int error_ = 0;
};

TEST(SiteListCrash, SaveOntoAFullDiskFailsAndKeepsTheOldFile) {
    TempFolder folder;
    const SmallDisk disk(folder.Path(), "128k");
    if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a tmpfs here: " << disk.Error();
    const std::string listFile = (folder.Path() / "siteurl").string();
    ASSERT_TRUE(SaveSiteList(GenerationSites(2), listFile));  // 15 sites, about 75 kB
    const std::string before = FileText(listFile);

    // 22 sites would fit on the empty disk, but not beside the list they replace.
    const std::vector<SiteRecord> bigger = GenerationSites(3);
    ASSERT_EQ(bigger.size(), 22u);
    EXPECT_FALSE(SaveSiteList(bigger, listFile));
    EXPECT_EQ(FileText(listFile), before);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"siteurl"});

    // The space of the failed attempt is free again: a smaller list is saved whole.
    const std::vector<SiteRecord> smaller = GenerationSites(1);
    ASSERT_EQ(smaller.size(), 8u);
    ASSERT_TRUE(SaveSiteList(smaller, listFile));
    std::vector<SiteRecord> loaded;
    LoadSiteList(listFile, loaded, {});
    ASSERT_EQ(loaded.size(), smaller.size());
    EXPECT_EQ(std::memcmp(loaded.data(), smaller.data(), sizeof(SiteRecord) * smaller.size()), 0);
}

}  // namespace
}  // namespace wexfold::testing
