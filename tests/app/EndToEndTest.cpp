// The real program on an X display of its own (xvfb-run), in a private data folder, watching
// a local HTTP server: its log, a second start, and the exit on a termination request.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "core/sites/SiteListFile.h"
#include "core/sites/SiteRecord.h"
#include "fixtures/LocalServers.h"
#include "fixtures/TempFolder.h"

extern char** environ;

namespace wexfold::testing {
namespace {

constexpr const char* kProgram = WEXFOLD_PROGRAM;
constexpr auto kRunLimit = std::chrono::seconds(60);

// The first copy runs a few seconds, a second copy is started beside it, the windows of
// the display are counted, and the first copy is asked to end.
constexpr const char* kScript = R"(
"$1" & first=$!
sleep 5
"$1"; echo "$?" > second.status
xwininfo -root -tree | grep -c '"Wexfold"' > windows.count
kill -TERM "$first"; wait "$first"; echo "$?" > first.status
)";

// Runs the script under xvfb-run in folder; false when it did not end within the limit.
bool RunScript(const std::filesystem::path& folder) {
    const std::string runtime = (folder / "run").string();
    ::mkdir(runtime.c_str(), 0700);
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (text.rfind("QT_QPA_PLATFORM=", 0) == 0 || text.rfind("XDG_", 0) == 0 ||
            text.rfind("HOME=", 0) == 0) {
            continue;
        }
        environment.push_back(text);
    }
    environment.push_back("HOME=" + folder.string());
    environment.push_back("XDG_RUNTIME_DIR=" + runtime);
    environment.push_back("LANG=C.UTF-8");
    std::vector<char*> envp;
    for (auto& text : environment) envp.push_back(text.data());
    envp.push_back(nullptr);

    std::vector<std::string> words = {"xvfb-run", "-a", "sh", "-c", kScript, "sh", kProgram};
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t child = -1;
    const int spawned = posix_spawnp(&child, "xvfb-run", &actions, nullptr, argv.data(),
                                     envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return false;

    const auto deadline = std::chrono::steady_clock::now() + kRunLimit;
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(EndToEndTest, WatchesLogsRefusesASecondCopyAndSavesAtExit) {
    TempFolder folder;
    NginxServer http(folder.Path());
    SiteRecord site = NewSiteRecord();
    std::strcpy(site.name, "local");
    std::snprintf(site.fetchUrl, sizeof site.fetchUrl, "%s", http.Url("/chunked").c_str());
    site.active = 1;
    site.logEnabled = 1;
    site.logAllDetail = 1;
    site.intervalSeconds = 2;
    ASSERT_TRUE(SaveSiteList({site}, (folder.Path() / "siteurl").string()));
    std::filesystem::create_directories(folder.Path() / "log" / "local");
    const auto saved = std::filesystem::last_write_time(folder.Path() / "siteurl");

    ASSERT_TRUE(RunScript(folder.Path()));

    EXPECT_EQ(FileText(folder.Path() / "second.status"), "0\n");
    EXPECT_EQ(FileText(folder.Path() / "windows.count"), "1\n");
    EXPECT_EQ(FileText(folder.Path() / "first.status"), "0\n");
    std::string log;
    for (const auto& day : std::filesystem::directory_iterator(folder.Path() / "log" / "local")) {
        log += FileText(day.path());
    }
    for (const char* line : {"Start monitor. ", "Finding Resouce.127.0.0.1", "..Access successed!",
                             ".Download speed: ", "Exit program. "}) {
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    }
    EXPECT_GT(std::filesystem::last_write_time(folder.Path() / "siteurl"), saved);
    EXPECT_TRUE(std::filesystem::exists(folder.Path() / "update.date"));
}

}  // namespace
}  // namespace wexfold::testing
