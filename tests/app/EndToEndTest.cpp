// The real program on an X display of its own (xvfb-run) with an X11 tray (trayer), in a
// private data folder, watching a local HTTP server: two copies started together, Escape,
// the tray icon's menu, and the exit through it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "core/sites/SiteListFile.h"
#include "core/sites/SiteRecord.h"
#include "fixtures/ChildProcess.h"
#include "fixtures/LocalHttpServer.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {
namespace {

constexpr const char* kProgram = WEXFOLD_PROGRAM;

// Two copies start together and one stays; Escape asks the exit question and Escape again
// answers No; a right click on the tray icon opens its menu, whose last item (Exit) asks
// again, and Return answers Yes. Each step leaves its count in a file.
constexpr const char* kScript = R"sh(
unset QT_QPA_PLATFORM $(env | sed -n 's/^\(XDG_[A-Z_]*\)=.*/\1/p')
mkdir -m 700 run
export HOME=$PWD XDG_RUNTIME_DIR=$PWD/run LANG=C.UTF-8
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

// Runs the script under xvfb-run in folder; false when it did not end well within the limit.
bool RunScript(const std::filesystem::path& folder) {
    const int quiet = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    const pid_t child =
        StartChild({"/usr/bin/xvfb-run", "-a", "sh", "-c", kScript, "sh", kProgram}, folder, quiet);
    ::close(quiet);
    if (child < 0) return false;
    const ChildEnd end = WaitChild(child, std::chrono::seconds(60));
    return !end.timedOut && WIFEXITED(end.status) && WEXITSTATUS(end.status) == 0;
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
