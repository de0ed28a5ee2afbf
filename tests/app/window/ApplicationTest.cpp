#include "window/Application.h"
#include "app/support/IsolatedHome.h"
#include "app/support/RunKelvora.h"
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

// Waits in a script for what a test awaits on the virtual display: every wait has a deadline,
// far beyond what a loaded machine takes, and ends the script saying what did not arrive.
const char* const kAwait = R"(
set -u
shopt -s extglob
deadline=${DEADLINE:-60}
# Reads the event pipe until a line matches the pattern; fails after the deadline naming what
# did not arrive. The line that matched is in $line.
await() {
  local until=$((SECONDS + deadline))
  while [ $SECONDS -lt $until ]; do
    if read -r -t 1 line <&3; then
      case $line in $1) return 0 ;; esac
    fi
  done
  echo "waited ${deadline} s for $2; it did not arrive" >&2
  return 1
}
# Waits for a process to end, at most the deadline.
awaitEnd() {
  local until=$((SECONDS + deadline))
  while kill -0 "$1" 2>/dev/null; do
    if [ $SECONDS -ge $until ]; then
      echo "waited ${deadline} s for $2 to end; it did not" >&2
      kill -9 "$1" 2>/dev/null
      return 1
    fi
    sleep 0.1
  done
}
)";

// Runs a script with the await helpers on a virtual display; its status, and what it said
// on its standard error.
struct ScriptRun {
    int status = -1;
    std::string said;
};

ScriptRun onVirtualDisplay(IsolatedHome& env, const std::string& name, const std::string& script,
                           const std::string& runner, const std::string& arguments,
                           const std::string& unset) {
    std::string scriptFile = env.dir().write(name, std::string(kAwait) + script);
    std::string log = env.dir() / (name + ".log");
    // The outermost deadline, should the display itself never start.
    std::string command = "timeout -k 10 " + std::to_string(kGenerousDeadline.count()) + " env " +
                          unset + " xvfb-run -a " + runner + " bash " + scriptFile + " " +
                          arguments + " >/dev/null 2>'" + log + "'";
    int status = std::system(command.c_str());
    ScriptRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.said = fileText(log).value_or("");
    if (run.status == 124 || run.status == 137)
        run.said +=
            "the display did not end within " + std::to_string(kGenerousDeadline.count()) + " s\n";
    return run;
}

// Starts the executable with no mode on a virtual display, waits for the message of
// startup notification it sends once its main window is mapped, sees that window, then asks
// it to quit; the script's status says what happened, and a wait that runs past its deadline
// says what did not arrive.
TEST(ApplicationTest, StartsWithItsWindowOnAVirtualDisplayAndQuitsCleanly) {
    for (const char* tool : {"xvfb-run", "xev", "xprop", "xwininfo", "bash", "timeout"})
        if (!onPath(tool)) GTEST_SKIP() << tool << " is not installed";
    IsolatedHome env;
    const std::string script = R"(
events="$(mktemp -d)/events"
mkfifo "$events"
exec 3<>"$events"
stdbuf -oL xev -root -event property >&3 & xev=$!
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
kill -TERM $pid
await 'ended *' "the program to end after it was asked to quit" || exit 8
exit ${line#ended }
)";
    ScriptRun run = onVirtualDisplay(env, "start-and-quit.sh", script, "", KELVORA_EXE,
                                     "-u QT_QPA_PLATFORM -u DBUS_SESSION_BUS_ADDRESS");
    EXPECT_EQ(run.status, 0) << "3: it did not keep running; 4: no main window; 5, 7, 8: a wait "
                                "ran past its deadline\n"
                             << run.said;
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

// A second start hands what it was given to the copy already running and ends at once.
TEST(ApplicationTest, ASecondStartHandsItsFilesToTheRunningCopy) {
    if (!onPath("xvfb-run") || !onPath("dbus-run-session") || !onPath("bash"))
        GTEST_SKIP() << "xvfb-run, dbus-run-session or bash is not installed";
    IsolatedHome env;
    std::string app = env.dir().mkdir("home/Applications/Sketchpad.app");
    const std::string script = R"(
"$1" & first=$!
trap 'kill -9 $first 2>/dev/null' EXIT
sleep 2
timeout 20 "$1" "$2"
second=$?
kill -0 $first 2>/dev/null || exit 3
kill -TERM $first
awaitEnd $first "the first copy, asked to quit," || exit 6
[ $second -eq 0 ] || exit 5
)";
    // The two copies meet on the session bus the script runs with.
    ScriptRun run = onVirtualDisplay(env, "second-start.sh", script, "dbus-run-session --",
                                     std::string(KELVORA_EXE) + " " + app, "-u QT_QPA_PLATFORM");
    EXPECT_EQ(run.status, 0) << "3: the first copy ended; 5: the second kept running; 6: the "
                                "first did not quit\n"
                             << run.said;
}

} // namespace
} // namespace kelvora::testing
