#include "window/Application.h"
#include "app/support/IsolatedHome.h"
#include "app/support/RunKelvora.h"

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
// startup notification it sends once its main window is mapped, sees that window, then asks
// it to quit; the script's status says what happened. There is no deadline: a machine
// under load only makes the wait longer.
TEST(ApplicationTest, StartsWithItsWindowOnAVirtualDisplayAndQuitsCleanly) {
    for (const char* tool : {"xvfb-run", "xev", "xprop", "xwininfo"})
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
while read -r line <&3; do case $line in *_KELVORA_TEST*) break ;; esac; done
kill $prober
( DESKTOP_STARTUP_ID=kelvora-start-test "$1" & echo "started $!"; wait $!; echo "ended $?" ) >&3 &
pid= ready=
while [ -z "$pid" ] || [ -z "$ready" ]; do
  read -r line <&3
  case $line in
    "started "*) pid=${line#started } ;;
    *_NET_STARTUP_INFO_BEGIN*) ready=yes ;;
    "ended "*) exit 3 ;;
  esac
done
kill $xev
xwininfo -root -tree | grep '"Kelvora": ("kelvora"' | grep -q 1280x820 || exit 4
kill -TERM $pid
while read -r line <&3; do case $line in "ended "*) exit ${line#ended } ;; esac; done
)";
    std::string scriptFile = env.dir().write("start-and-quit.sh", script);
    std::string command = "env -u QT_QPA_PLATFORM -u DBUS_SESSION_BUS_ADDRESS xvfb-run -a sh " +
                          scriptFile + " " KELVORA_EXE " >/dev/null 2>&1";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "3: it did not keep running; 4: no main window";
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
    if (!onPath("xvfb-run") || !onPath("dbus-run-session"))
        GTEST_SKIP() << "xvfb-run or dbus-run-session is not installed";
    IsolatedHome env;
    std::string app = env.dir().mkdir("home/Applications/Sketchpad.app");
    const std::string script = R"(
"$1" & first=$!
sleep 2
timeout 20 "$1" "$2"
second=$?
kill -0 $first 2>/dev/null || exit 3
kill -TERM $first
wait $first
[ $second -eq 0 ] || exit 5
)";
    std::string scriptFile = env.dir().write("second-start.sh", script);
    std::string command = "env -u QT_QPA_PLATFORM xvfb-run -a dbus-run-session -- sh " +
                          scriptFile + " " KELVORA_EXE " " + app + " >/dev/null 2>&1";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "3: the first copy ended; 5: the second kept running";
}

} // namespace
} // namespace kelvora::testing
