// The monitor without a window, run in a folder of its own with scripted fetches.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/shell/HeadlessMonitor.h"
#include "core/sites/SiteListFile.h"
#include "engine/EngineHarness.h"

namespace wexfold::testing {
namespace {

class HeadlessTest : public ::testing::Test {
protected:
  HeadlessTest() : downloader(std::make_shared<ScriptedDownloader>()) {
      std::filesystem::current_path(folder.Path());
      downloader->SetDefault(AnsweredFetch());
      options.fetcher = std::make_shared<ThreadedFetcher>(downloader);
      options.clock = &clock;
  }

    ~HeadlessTest() override { std::filesystem::current_path(folder.Path().parent_path()); }

    // Runs until the output holds the text.
    int RunUntil(const std::string& text) {
        options.exitRequested = [&] { return out.str().find(text) != std::string::npos; };
        return RunHeadless(options, out, err);
    }

    TempFolder folder;
    ManualClock clock{kNoon};
    std::shared_ptr<ScriptedDownloader> downloader;
    HeadlessOptions options;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(HeadlessTest, MonitorsTheListAndRunsTheExit) {
    std::vector<SiteRecord> list{TestSite("alpha", "a.test"), TestSite("beta", "b.test")};
    list[1].active = 0;
    list[0].autoDeleteLogs = 1;
    ASSERT_TRUE(SaveSiteList(list));
    const std::string before = FileText("siteurl");
    std::filesystem::create_directories("log/alpha");
    std::ofstream("log/alpha/02102026") << "a month ago";

    ASSERT_EQ(RunUntil("alpha: ..Access successed!"), 0) << err.str();

    const std::string stamp = " 12:00:00 03/10 2026 ";
    const std::string printed = out.str();
    EXPECT_NE(printed.find("alpha: Start monitor. " + stamp + "\n"), std::string::npos);
    EXPECT_NE(printed.find("beta: Canceled by User order. " + stamp + "\n"), std::string::npos);
    EXPECT_NE(printed.find("alpha: Finding Resouce.127.0.0.1\n"), std::string::npos);
    EXPECT_EQ(printed.find('\r'), std::string::npos);

    EXPECT_EQ(FileText("siteurl"), before);
    const std::string alphaLog = FileText("log/alpha/03102026");
    const std::string exitLine = "Exit program. " + stamp + "\r\n";
    ASSERT_GE(alphaLog.size(), exitLine.size());
    EXPECT_EQ(alphaLog.substr(alphaLog.size() - exitLine.size()), exitLine);
    EXPECT_FALSE(std::filesystem::exists("log/alpha/02102026"));
    // No folder of its own at start-up: the site gets no log, and none is made for it.
    EXPECT_FALSE(std::filesystem::exists("log/beta"));
    EXPECT_EQ(FileText("update.date"), std::string("\x01\0\0\0\0\0\0\0\0\0\0\0", 12));
}

TEST_F(HeadlessTest, KeepsTheUpdateRecordItFound) {
    ASSERT_TRUE(SaveSiteList({TestSite("alpha", "a.test")}));
    // autoCheck off, last update 0x0B0A1A: its 0x0A is stored as CR LF, and its 0x1A is the
    // byte that old readers took for the end of the file.
    std::ofstream("update.date", std::ios::binary)
        << std::string("\x00\0\0\0\x1A\x0D\x0A\x0B\0\0\0\0\0", 13);
    ASSERT_EQ(RunUntil("alpha: Start monitor."), 0);
    EXPECT_EQ(FileText("update.date"), std::string("\x00\0\0\0\x1A\x0D\x0A\x0B\0\0\0\0\0", 13));
}

TEST_F(HeadlessTest, EmptyFolderEndsAtOnceWritingNothing) {
    options.exitRequested = [] { return false; };
    EXPECT_EQ(RunHeadless(options, out, err), 1);
    EXPECT_NE(err.str().find("no sites"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

}  // namespace
}  // namespace wexfold::testing
