#include "engine/DiskScanner.h"
#include "support/TempDir.h"

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using namespace kelvora;
using Clock = std::chrono::steady_clock;

namespace {

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A killed process whose parent was not us stays a zombie until init reaps it; that is gone.
bool processAlive(pid_t pid) {
    if (pid <= 0 || kill(pid, 0) != 0) return false;
    auto stat = fileText("/proc/" + std::to_string(pid) + "/stat");
    if (!stat) return false;
    auto close = stat->rfind(')');
    return close == std::string::npos || close + 2 >= stat->size() || (*stat)[close + 2] != 'Z';
}

pid_t readPid(const std::string& path) {
    for (int i = 0; i < 50; ++i) {
        if (auto text = fileText(path); text && !text->empty()) return std::stoi(*text);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

} // namespace

TEST(RunTool, ReturnsStatusAndTheWholeOutputButNotStandardError) {
    auto result = DiskScanner::runTool(
        "/bin/sh", {"-c", "head -c 600000 /dev/zero | tr '\\0' a; echo oops >&2; exit 3"}, 20);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 3);
    EXPECT_EQ(result->output.size(), 600000u);
    EXPECT_EQ(result->output.find("oops"), std::string::npos);

    auto quiet = DiskScanner::runTool("/bin/sh", {"-c", "exit 1"}, 5);
    ASSERT_TRUE(quiet);
    EXPECT_EQ(quiet->status, 1);
    EXPECT_TRUE(quiet->output.empty());
}

TEST(RunTool, MissingOrNonExecutableToolIsAbsentAtOnce) {
    kelvora::testing::TempDir dir;
    std::string script = dir.write("not-executable.sh", "#!/bin/sh\necho hi\n");
    chmod(script.c_str(), 0644);
    auto start = Clock::now();
    EXPECT_FALSE(DiskScanner::runTool("/no/such/tool", {}, 30));
    EXPECT_FALSE(DiskScanner::runTool(script, {}, 30));
    EXPECT_LT(secondsSince(start), 2.0);
}

TEST(RunTool, ToolPastItsTimeOutIsEndedAndReaped) {
    kelvora::testing::TempDir dir;
    std::string pidFile = dir / "pid";
    auto start = Clock::now();
    auto result =
        DiskScanner::runTool("/bin/sh", {"-c", "echo $$ > " + pidFile + "; exec sleep 30"}, 1);
    EXPECT_FALSE(result);
    EXPECT_LT(secondsSince(start), 2.0);
    pid_t pid = readPid(pidFile);
    ASSERT_GT(pid, 0);
    EXPECT_FALSE(processAlive(pid)) << "the timed-out tool was left running or unreaped";
}

TEST(RunTool, ChildHoldingTheOutputCannotHangTheCaller) {
    kelvora::testing::TempDir dir;
    std::string pidFile = dir / "child";
    auto start = Clock::now();
    // The tool itself exits at once; its background child keeps standard output open.
    auto result = DiskScanner::runTool(
        "/bin/sh", {"-c", "sleep 30 & echo $! > " + pidFile + "; echo started"}, 1);
    EXPECT_LT(secondsSince(start), 2.0);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 0);
    EXPECT_EQ(result->output, "started\n");
    pid_t child = readPid(pidFile);
    ASSERT_GT(child, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(processAlive(child)) << "the child holding standard output was left behind";
}

TEST(RunTool, TimedOutToolThatIgnoresTerminationIsKilled) {
    kelvora::testing::TempDir dir;
    std::string pidFile = dir / "pid";
    auto start = Clock::now();
    auto result = DiskScanner::runTool(
        "/bin/sh", {"-c", "trap '' TERM; echo $$ > " + pidFile + "; while :; do sleep 0.1; done"},
        0.5);
    EXPECT_FALSE(result);
    EXPECT_LT(secondsSince(start), 1.5);
    pid_t pid = readPid(pidFile);
    ASSERT_GT(pid, 0);
    EXPECT_FALSE(processAlive(pid));
}

TEST(ProcessHelpers, ListsThisProcessUnderItsResolvedPath) {
    auto paths = DiskScanner::runningProcessPaths();
    std::string self = URL::fileURL("/proc/self/exe").resolvingSymlinks().path();
    EXPECT_NE(std::find(paths.begin(), paths.end(), self), paths.end());
    EXPECT_TRUE(DiskScanner::runningProcessNames().count(lastComponent(self)));
}
