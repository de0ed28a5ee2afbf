#include "engine/DiskScanner.h"

#include "platform/FileSystem.h"
#include "platform/ProcessTable.h"
#include "platform/StandIns.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace kelvora {

namespace {

using Clock = std::chrono::steady_clock;

// The tool the caller names, or our stand-in for it where this system lacks it.
std::optional<std::string> executableFor(const std::string& tool) {
    if (isExecutableFile(tool)) return tool;
    if (!fileExists(tool))
        if (auto standIn = standInFor(tool)) return standIn;
    return std::nullopt;
}

std::optional<pid_t> spawnTool(const std::string& executable,
                               const std::vector<std::string>& arguments, int outputFd) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A group of its own, so a time-out can end the tool and everything it started.
    posix_spawnattr_setpgroup(&attributes, 0);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF |
                                              POSIX_SPAWN_SETSIGMASK);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(executable.c_str()));
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_t pid = 0;
    int rc = posix_spawn(&pid, executable.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (rc != 0) return std::nullopt;
    return pid;
}

std::optional<int> reapIfExited(pid_t pid) {
    int status = 0;
    pid_t rc;
    do {
        rc = waitpid(pid, &status, WNOHANG);
    } while (rc < 0 && errno == EINTR);
    if (rc != pid) return std::nullopt;
    return status;
}

void endGroup(pid_t pid, bool alreadyReaped) {
    kill(-pid, SIGTERM);
    if (!alreadyReaped) {
        auto graceEnd = Clock::now() + std::chrono::milliseconds(500);
        while (Clock::now() < graceEnd) {
            if (reapIfExited(pid)) {
                alreadyReaped = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    kill(-pid, SIGKILL);
    if (!alreadyReaped) {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
}

int32_t exitStatusOf(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

} // namespace

std::optional<ToolOutput> DiskScanner::runTool(const std::string& tool,
                                               const std::vector<std::string>& arguments,
                                               double timeout, const StopToken& stop) {
    auto executable = executableFor(tool);
    if (!executable) return std::nullopt;

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
    auto pid = spawnTool(*executable, arguments, fds[1]);
    close(fds[1]);
    if (!pid) {
        close(fds[0]);
        return std::nullopt;
    }

    auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                       std::chrono::duration<double>(std::max(timeout, 0.0)));
    std::string output;
    std::optional<int> status;
    bool endOfOutput = false;
    char buffer[65536];
    // Drain standard output while the tool runs, so a chatty tool never blocks on a full pipe.
    while (!(endOfOutput && status) && !stop.stopped()) {
        if (!status) status = reapIfExited(*pid);
        if (endOfOutput && !status) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) break;
        if (endOfOutput) continue;
        struct pollfd pfd = {fds[0], POLLIN, 0};
        // Short waits, so a stop is seen soon.
        int wait = static_cast<int>(std::min<long long>(left.count(), 50));
        int ready = poll(&pfd, 1, wait);
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n > 0)
            output.append(buffer, static_cast<size_t>(n));
        else if (n == 0 || (errno != EINTR && errno != EAGAIN))
            endOfOutput = true;
    }
    close(fds[0]);

    if (status && endOfOutput) return ToolOutput{exitStatusOf(*status), std::move(output)};
    // Out of time or stopped: the tool, or something it left holding its output, is still there.
    endGroup(*pid, status.has_value());
    if (status && !stop.stopped()) return ToolOutput{exitStatusOf(*status), std::move(output)};
    return std::nullopt;
}

std::vector<std::string> DiskScanner::runningProcessPaths() {
    return ProcessTable::executablePaths();
}

} // namespace kelvora
