#include "window/Application.h"
#include "app/support/IsolatedHome.h"
#include "app/support/RunKelvora.h"
#include "app/support/VirtualDisplay.h"
#include "platform/FileSystem.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>

#include <QDir>

#include <cstdlib>
#include <string>

namespace kelvora::testing {
namespace {

bool onPath(const std::string& tool) {
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// A running copy that is handed the paths works in another folder, so a relative path
// must be resolved where it was typed.
TEST(ApplicationTest, OpenedPathsAreAbsoluteAndSkipOptions) {
    IsolatedHome env;
    QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(env.home())));
    QString here = QDir::currentPath();
    QStringList paths = openedPaths(
        {"kelvora", "Sketchpad.app", "--flag", "../tmp/./Ink.app", "/Applications/Paint.app"});
    QDir::setCurrent(before);
    EXPECT_EQ(paths,
              (QStringList{here + "/Sketchpad.app", QDir::cleanPath(here + "/../tmp/Ink.app"),
                           "/Applications/Paint.app"}));
}

// Starts the executable with no mode on a virtual display, waits for the message of
// startup notification it sends once its main window is mapped, and sees that window; a
// second start then hands what it was given to the running copy and ends at once; asked to
// quit, the first copy ends cleanly. The script's status says what happened. No wait in it is
// timed, so a loaded machine only makes it slower: it waits for the display to take
// connections, and each later wait ends with what it waits for, or with the end of what would
// have sent that, saying what did not arrive. Only a run that never ends meets the outermost
// deadline.
TEST(ApplicationTest, StartsWithItsWindowTakesASecondStartsFilesAndQuitsCleanly) {
    for (const char* tool :
         {"xvfb-run", "dbus-run-session", "xev", "xprop", "xwininfo", "bash", "timeout"})
        if (!onPath(tool)) GTEST_SKIP() << tool << " is not installed";
    IsolatedHome env;
    std::string app = env.dir().mkdir("home/Applications/Sketchpad.app");
    const std::string script = R"(
set -u
shopt -s extglob
# Reads the event pipe until a line matches the pattern; the line that matched is in $line.
# Fails, naming what did not arrive, once xev, which hears the display, has ended.
await() {
  while read -r line <&3; do
    case $line in
      $1) return 0 ;;
      "xev ended "*) break ;;
    esac
  done
  echo "xev ended (status ${line#xev ended }) before $2 arrived" >&2
  return 1
}
# xvfb-run may start this before its display takes connections.
until xprop -root >/dev/null 2>&1; do sleep 0.1; done
events="$(mktemp -d)/events"
mkfifo "$events"
exec 3<>"$events"
( stdbuf -oL xev -root -event property & echo "xev $!"; wait $!; echo "xev ended $?" ) >&3 &
await 'xev +([0-9])' "xev to start" || exit 5
xev=${line#xev }
# xev hears what is sent to the root window once it reports a change made here.
( while :; do xprop -root -f _KELVORA_TEST 8s -set _KELVORA_TEST listening; sleep 0.1; done ) &
prober=$!
trap 'kill $xev $prober 2>/dev/null' EXIT
await '*_KELVORA_TEST*' "xev to report a change of the root window" || exit 5
kill $prober
( DESKTOP_STARTUP_ID=kelvora-start-test "$1" & echo "started $!"; wait $!; echo "ended $?" ) >&3 &
pid= ready=
while [ -z "$pid" ] || [ -z "$ready" ]; do
  await '@(started *|*_NET_STARTUP_INFO_BEGIN*|ended *)' \
    "the program to start and send the startup notification of its mapped window" || exit 7
  case $line in
    "started "*) pid=${line#started }
                 trap 'kill $xev $prober 2>/dev/null; kill -9 $pid 2>/dev/null' EXIT ;;
    *_NET_STARTUP_INFO_BEGIN*) ready=yes ;;
    "ended "*) exit 3 ;;
  esac
done
xwininfo -root -tree | grep '"Kelvora": ("kelvora"' | grep -q 1280x820 || exit 4
"$1" "$2" || exit 6
kill -0 $pid 2>/dev/null || exit 9
kill -TERM $pid
await 'ended *' "the program to end after it was asked to quit" || exit 8
exit ${line#ended }
)";
    const std::string file = env.dir().write("start-and-quit.sh", script);
    const std::string log = file + ".log";
    // The two copies meet on the session bus the script runs with; the outermost deadline is
    // for a run that never ends (a display that never starts, a start that never returns).
    const std::string deadline = std::to_string(kGenerousDeadline.count());
    const int status = std::system(("timeout -k 10 " + deadline + " env -u QT_QPA_PLATFORM " +
                                    xvfbRun() + " dbus-run-session -- bash " + file +
                                    " " KELVORA_EXE " " + app + " >/dev/null 2>'" + log + "'")
                                       .c_str());
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    EXPECT_EQ(code, 0) << "3: it did not keep running; 4: no main window; 6: the second start "
                          "failed; 9: the first ended with it; 5, 7, 8: xev ended before what "
                          "was awaited arrived; 124, 137: the run did not end within "
                       << deadline << " s\n"
                       << fileText(log).value_or("");
}

// Started where there is no display, it says so in plain words instead of letting the
// toolkit abort.
TEST(ApplicationTest, WithoutADisplayItSaysSoAndEndsWithStatusOne) {
    IsolatedHome env;
    auto run = runKelvora({}, {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("Kelvora needs a graphical display, and none is set (DISPLAY or "
                            "WAYLAND_DISPLAY).\n",
                            0),
              0u)
        << run.err;
}

} // namespace
} // namespace kelvora::testing
