#pragma once

#include "support/HoldingProcess.h"

#include <fcntl.h>
#include <string>

namespace kelvora::testing {

// A copy of sleep started from a path of the test's choosing, so that the process table
// lists a program under that name and path, holding a file open when one is named;
// stopped when the test ends.
class RunningProgram {
public:
    explicit RunningProgram(const std::string& path, const std::string& holding = "")
        : process_([holding] { return holding.empty() || open(holding.c_str(), O_RDONLY) >= 0; },
                   path) {}

    pid_t pid() const { return process_.pid(); }

private:
    HoldingProcess process_;
};

// A shell script at a path of the test's choosing, started by its "#!" line as a session
// starts one: the kernel runs the shell with the script's path as its first argument.
// Stopped, with what it started, when the test ends.
class RunningScript {
public:
    explicit RunningScript(const std::string& path) {
        createDirectories(parentPath(path));
        writeFileAtomically(path, "#!/bin/sh\nwhile :; do sleep 1; done\n");
        chmod(path.c_str(), 0755);
        pid_ = fork();
        if (pid_ == 0) {
            setpgid(0, 0);
            execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        // The process table shows the script once the shell has started on it.
        const std::string cmdline = "/proc/" + std::to_string(pid_) + "/cmdline";
        for (int tries = 0;
             tries < 500 && readFile(cmdline, 1 << 16).value_or("").find(path) == std::string::npos;
             ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~RunningScript() {
        if (pid_ <= 0) return;
        kill(-pid_, SIGKILL);
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    RunningScript(const RunningScript&) = delete;
    RunningScript& operator=(const RunningScript&) = delete;

    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};

} // namespace kelvora::testing
