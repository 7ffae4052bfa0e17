// The real program under xvfb-run with an X11 tray: two copies started together, Escape, the
// tray icon's menu, and the exit through it.
#include <gtest/gtest.h>

#include "fixtures/ChildProcess.h"
#include "fixtures/TempFolder.h"

namespace wexfold::testing {
namespace {

constexpr const char* kProgram = WEXFOLD_PROGRAM;

// Two copies start together and one stays; Escape asks the exit question and Escape again
// answers No; a right click on the tray icon opens its menu, whose last item (Exit) asks
// again, and Return answers Yes. Each step leaves its count in the file "steps".
constexpr const char* kScript = R"sh(
unset QT_QPA_PLATFORM $(env | sed -n 's/^\(XDG_[A-Z_]*\)=.*/\1/p')
mkdir -m 700 run
export HOME=$PWD XDG_RUNTIME_DIR=$PWD/run LANG=C.UTF-8
# Waits up to 20 s for the shell condition to hold.
until_true() { for i in $(seq 100); do eval "$1" && return 0; sleep 0.2; done; return 1; }
count() { xdotool search "$@" 2>/dev/null | wc -l; }
trayer --edge bottom --align right --widthtype request --height 32 --SetDockType false \
    >/dev/null 2>&1 &
sleep 1
"$1" & one=$!
"$1" & two=$!
until_true '! kill -0 $one 2>/dev/null || ! kill -0 $two 2>/dev/null'
until_true '[ $(count --onlyvisible --name "^Wexfold$") -ge 1 ]'
for p in $one $two; do
    if kill -0 $p 2>/dev/null; then running=$p; else wait $p; echo "second $?" >> steps; fi
done
echo "windows $(xwininfo -root -tree | grep -c '"Wexfold"')" >> steps
xdotool windowfocus --sync "$(xdotool search --onlyvisible --name '^Wexfold$' | head -1)"
xdotool key Escape
until_true '[ $(count --name "^Exit Warning$") -ge 1 ]'
echo "escape $(count --name '^Exit Warning$')" >> steps
xdotool key Escape
until_true '[ $(count --onlyvisible --name "^Exit Warning$") -eq 0 ]'
for w in $(xdotool search --class wexfold); do
    [ "$(xdotool getwindowname $w)" = wexfold ] && icon=$w
done
shown=$(count --onlyvisible --class wexfold)
xdotool mousemove --window "$icon" 8 8 click 3
until_true '[ $(count --onlyvisible --class wexfold) -gt $shown ]'
echo "menu $(( $(count --onlyvisible --class wexfold) - shown ))" >> steps
xdotool key Up Return
until_true '[ $(count --onlyvisible --name "^Exit Warning$") -ge 1 ]'
echo "tray $(count --onlyvisible --name '^Exit Warning$')" >> steps
xdotool key Return
for i in $(seq 50); do kill -0 $running 2>/dev/null || break; sleep 0.2; done
if kill -0 $running 2>/dev/null; then echo "still running" >> steps; kill -TERM $running; fi
wait $running; echo "first $?" >> steps
)sh";

TEST(EndToEndTest, OneCopyEscapeAndTheTrayMenuToTheExit) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the program starts too slowly under ThreadSanitizer for the script's waits";
#endif
    TempFolder folder{true};
    ASSERT_TRUE(RunChild({"/usr/bin/xvfb-run", "-a", "sh", "-c", kScript, "sh", kProgram},
                         std::chrono::seconds(60)));
    EXPECT_EQ(FileText("steps"), "second 0\nwindows 1\nescape 1\nmenu 1\ntray 1\nfirst 0\n");
    // The confirmed exit wrote the program's files.
    EXPECT_TRUE(std::filesystem::exists("siteurl") && std::filesystem::exists("update.date"));
}

}  // namespace
}  // namespace wexfold::testing
