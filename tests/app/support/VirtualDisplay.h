#pragma once

#include "support/ChildProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

namespace kelvora::testing {

// Where a test that drives real windows runs: here when this process already draws on a
// virtual display, in a copy of this test binary started under one, or nowhere when the
// machine has no virtual display to offer.
enum class Display { here, elsewhere, none };

// Tests run side by side: each looks for a free display from a number of its own, so two
// starting at once do not race for the same one.
inline std::string xvfbRun() {
    return "xvfb-run -a -n " + std::to_string(100 + getpid() % 4000);
}

// `screen` is the virtual screen's width x height x depth. With `screenReaderBus`, the copy
// also runs in a D-Bus session of its own with the toolkit's accessibility bridge on, so
// assistive technology can read its windows over AT-SPI; a machine without the session
// tools or the accessibility bus has no such display. A `windowManager` command starts on
// the display first, and the copy runs once the manager has taken the screen (it marks the
// root window as the standard says), so its windows are framed from the start.
inline Display virtualDisplay(const std::string& screen = "1600x1000x24",
                              bool screenReaderBus = false, const std::string& windowManager = {}) {
    if (std::getenv("KELVORA_ON_VIRTUAL_DISPLAY")) return Display::here;
    if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0) return Display::none;
    if (screenReaderBus &&
        (std::system("command -v dbus-run-session >/dev/null 2>&1") != 0 ||
         std::system("test -e /usr/share/dbus-1/services/org.a11y.Bus.service") != 0))
        return Display::none;
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string filter = std::string(test->test_suite_name()) + "." + test->name();
    char self[4096] = {};
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        ADD_FAILURE() << "cannot find this test binary";
        return Display::elsewhere;
    }
    TempDir dir;
    std::string log = dir / "display.log";
    // A copy that hangs is ended after a generous deadline and fails the test saying so.
    const std::string deadline = std::to_string(kGenerousDeadline.count());
    const std::string managed =
        windowManager.empty()
            ? std::string()
            : "sh -c '" + windowManager +
                  " & for i in $(seq 200); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | "
                  "grep -q \"window id\" && break; sleep 0.05; done; exec \"$0\" \"$@\"' ";
    std::string command =
        "timeout -k 10 " + deadline + " env QT_QPA_PLATFORM=xcb KELVORA_ON_VIRTUAL_DISPLAY=1 " +
        std::string(screenReaderBus ? "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 " : "") + xvfbRun() +
        " -s '-screen 0 " + screen + "' " + (screenReaderBus ? "dbus-run-session -- " : "") +
        managed + "'" + std::string(self, length) + "' --gtest_filter=" + filter + " >'" + log +
        "' 2>&1";
    int status = std::system(command.c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::ifstream in(log);
        std::stringstream text;
        text << in.rdbuf();
        bool hung = WIFEXITED(status) && (WEXITSTATUS(status) == 124 || WEXITSTATUS(status) == 137);
        ADD_FAILURE() << (hung ? "the test on the virtual display did not end within " + deadline +
                                     " s:\n"
                               : std::string("on the virtual display:\n"))
                      << text.str();
    }
    return Display::elsewhere;
}

// Runs the rest of the test on a virtual screen of the given size ("1100x720x24"), in a
// copy of this binary (with `screenReaderBus`, in a D-Bus session where a screen reader can
// read the windows over AT-SPI), or skips it where there is none.
#define KELVORA_ON_VIRTUAL_SCREEN(...)                                                             \
    switch (kelvora::testing::virtualDisplay(__VA_ARGS__)) {                                       \
    case kelvora::testing::Display::here:                                                          \
        break;                                                                                     \
    case kelvora::testing::Display::none:                                                          \
        GTEST_SKIP() << "xvfb-run, or for a screen reader dbus-run-session and the "               \
                        "accessibility bus, is not installed";                                     \
    case kelvora::testing::Display::elsewhere:                                                     \
        return;                                                                                    \
    }

// The same on the usual large screen.
#define KELVORA_ON_VIRTUAL_DISPLAY() KELVORA_ON_VIRTUAL_SCREEN("1600x1000x24")
#define KELVORA_ON_VIRTUAL_DISPLAY_WITH_SCREEN_READER_BUS()                                        \
    KELVORA_ON_VIRTUAL_SCREEN("1600x1000x24", true)

} // namespace kelvora::testing
