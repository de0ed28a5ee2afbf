#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kelvora::testing {

// How long a test waits for anything it started: far beyond what a loaded machine takes,
// short of the suite's time-out, so a hang fails with a message instead of a killed run.
constexpr std::chrono::seconds kGenerousDeadline{240};

// Waits for a child process at most `deadline`; one still running then is killed and the
// test fails, saying what did not end. The child's exit status, or -1 when it did not exit.
inline int waitForChild(pid_t pid, const std::string& what,
                        std::chrono::seconds deadline = kGenerousDeadline) {
    if (pid < 0) return -1;
    const auto giveUp = std::chrono::steady_clock::now() + deadline;
    int status = 0;
    pid_t ended = 0;
    while ((ended = waitpid(pid, &status, WNOHANG)) == 0) {
        if (std::chrono::steady_clock::now() > giveUp) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            ADD_FAILURE() << what << " did not end within " << deadline.count()
                          << " s and was killed";
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (ended != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

} // namespace kelvora::testing
