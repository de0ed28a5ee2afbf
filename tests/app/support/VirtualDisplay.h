#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace kelvora::testing {

// Tests that drive widgets with the mouse and keyboard as a user would run on a real X
// server: the test starts this executable again under xvfb-run, asking it for just that
// test, and passes when the copy passes. The copy knows it is the one by this variable.
inline constexpr const char* kOnDisplayVariable = "KELVORA_ON_VIRTUAL_DISPLAY";

inline bool onVirtualDisplay() {
    return std::getenv(kOnDisplayVariable) != nullptr;
}

struct DisplayRun {
    bool ran = false;
    int status = -1;
    std::string output;
};

inline DisplayRun runCurrentTestOnVirtualDisplay() {
    DisplayRun run;
    if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0) return run;
    std::array<char, 4096> self{};
    ssize_t length = readlink("/proc/self/exe", self.data(), self.size() - 1);
    if (length <= 0) return run;
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string command = std::string("env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb ") +
                          kOnDisplayVariable + "=1 xvfb-run -a -s '-screen 0 1600x1000x24' '" +
                          std::string(self.data(), static_cast<size_t>(length)) +
                          "' --gtest_filter='" + test->test_suite_name() + "." + test->name() +
                          "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 4096> buffer{};
    size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.output.append(buffer.data(), n);
    int status = pclose(pipe);
    run.ran = true;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// Put first in a test body: outside the virtual display it hands the test to a copy that
// runs on one and reports how that went.
#define KELVORA_ON_VIRTUAL_DISPLAY()                                                               \
    if (!kelvora::testing::onVirtualDisplay()) {                                                   \
        auto run = kelvora::testing::runCurrentTestOnVirtualDisplay();                             \
        if (!run.ran) GTEST_SKIP() << "xvfb-run is not installed";                                 \
        EXPECT_EQ(run.status, 0) << run.output;                                                    \
        return;                                                                                    \
    }

} // namespace kelvora::testing
