// The real program on an X display of its own (xvfb-run) with an X11 tray (trayer), in a
// private data folder, watching a local HTTP server: two copies started together, Escape,
// the tray icon's menu, and the exit through it.
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
#include "fixtures/LocalHttpServer.h"
#include "fixtures/TempFolder.h"

extern char** environ;

namespace wexfold::testing {
namespace {

constexpr const char* kProgram = WEXFOLD_PROGRAM;
constexpr auto kRunLimit = std::chrono::seconds(60);

// Two copies start together and one stays; Escape asks the exit question and Escape again
// answers No; a right click on the tray icon opens its menu, whose last item (Exit) asks
// again, and Return answers Yes. Each step leaves its count in a file.
constexpr const char* kScript = R"sh(
trayer --edge bottom --align right --widthtype request --height 32 --SetDockType false \
    >/dev/null 2>&1 &
sleep 1
"$1" & one=$!
"$1" & two=$!
sleep 5
for p in $one $two; do
    if kill -0 $p 2>/dev/null; then running=$p; else wait $p; echo "$?" > second.status; fi
done
xwininfo -root -tree | grep -c '"Wexfold"' > windows.count
xdotool windowfocus --sync "$(xdotool search --onlyvisible --name '^Wexfold$' | head -1)"
xdotool key Escape; sleep 1
xdotool search --name '^Exit Warning$' | wc -l > escape.asked
xdotool key Escape; sleep 1
for w in $(xdotool search --class wexfold); do
    [ "$(xdotool getwindowname $w)" = wexfold ] && icon=$w
done
shown=$(xdotool search --onlyvisible --class wexfold | wc -l)
xdotool mousemove --window "$icon" 8 8 click 3; sleep 1
echo $(( $(xdotool search --onlyvisible --class wexfold | wc -l) - shown )) > menu.opened
xdotool key Up Return; sleep 1
xdotool search --name '^Exit Warning$' | wc -l > tray.asked
xdotool key Return
for i in $(seq 50); do kill -0 $running 2>/dev/null || break; sleep 0.2; done
if kill -0 $running 2>/dev/null; then echo still > exit.way; kill -TERM $running; fi
wait $running; echo "$?" > first.status
)sh";

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
    const int spawned =
        posix_spawnp(&child, "xvfb-run", &actions, nullptr, argv.data(), envp.data());
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

TEST(EndToEndTest, OneCopyEscapeAndTheTrayMenuToTheExit) {
    TempFolder folder;
    LocalHttpServer http;
    SiteRecord site = NewSiteRecord();
    std::strcpy(site.name, "local");
    std::snprintf(site.fetchUrl, sizeof site.fetchUrl, "%s", http.Url(routes::kChunked).c_str());
    site.active = 1;
    site.logEnabled = 1;
    site.logAllDetail = 1;
    site.intervalSeconds = 2;
    ASSERT_TRUE(SaveSiteList({site}, (folder.Path() / "siteurl").string()));
    std::filesystem::create_directories(folder.Path() / "log" / "local");
    const auto saved = std::filesystem::last_write_time(folder.Path() / "siteurl");

    ASSERT_TRUE(RunScript(folder.Path()));

    for (const char* count : {"windows.count", "escape.asked", "menu.opened", "tray.asked"}) {
        EXPECT_EQ(FileText(folder.Path() / count), "1\n") << count;
    }
    EXPECT_EQ(FileText(folder.Path() / "second.status"), "0\n");
    EXPECT_EQ(FileText(folder.Path() / "first.status"), "0\n");
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "exit.way"));
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
