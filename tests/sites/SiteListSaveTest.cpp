// Saving never damages the previous file, and the saved file is private to its owner.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <vector>

#include "SiteTestSupport.h"
#include "core/sites/SiteListFile.h"

namespace wexfold::testing {
namespace {

namespace fs = std::filesystem;

class SiteListSave : public ::testing::Test {
  protected:
    // The names in the folder, so a test can see that no temporary file was left behind.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder.Path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::vector<SiteRecord> Sites(int count) const {
        std::vector<SiteRecord> list;
        for (int i = 0; i < count; ++i) list.push_back(FromImage(DefaultImage(std::to_string(i))));
        return list;
    }

    TempFolder folder{true};
};

TEST_F(SiteListSave, FileIsReadableByItsOwnerOnly) {
    WriteFile("siteurl", "old");
    ::chmod("siteurl", 0644);
    ASSERT_TRUE(SaveSiteList(Sites(1)));
    struct stat info {};
    ASSERT_EQ(::stat("siteurl", &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(Entries(), std::vector<std::string>{"siteurl"});
}

TEST_F(SiteListSave, WriteFailingPartWayKeepsTheOldFile) {
    ASSERT_TRUE(SaveSiteList(Sites(1)));
    const std::string before = FileText("siteurl");

    // A file size limit makes the write of three records stop after 8000 bytes, as a full
    // disk would; the limit holds for root too.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 8000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const Result saved = SaveSiteList(Sites(3));
    ::setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_EQ(saved.Message(), "cannot write " + SiteListPath() + ": File too large");
    EXPECT_EQ(FileText("siteurl"), before);
    EXPECT_EQ(Entries(), std::vector<std::string>{"siteurl"});
}

TEST_F(SiteListSave, TargetThatCannotBeReplacedReportsFailure) {
    fs::create_directory("siteurl");
    WriteFile("siteurl/inside", "kept");
    EXPECT_EQ(SaveSiteList(Sites(2)).Message(),
              "cannot replace " + SiteListPath() + ": Is a directory");
    EXPECT_EQ(FileText("siteurl/inside"), "kept");
    EXPECT_EQ(Entries(), std::vector<std::string>{"siteurl"});

    const std::string missing = (folder.Path() / "missing" / "x.wxf").string();
    EXPECT_EQ(SaveSiteList(Sites(1), missing).Message(),
              "cannot write " + missing + ": No such file or directory");
    EXPECT_FALSE(fs::exists("missing"));
}

}  // namespace
}  // namespace wexfold::testing
