#pragma once

#include "platform/FileSystem.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kelvora::testing {

// A copy of sleep started from a path of the test's choosing, so that the process table
// lists a program under that name and path, holding a file open when one is named;
// stopped when the test ends.
class RunningProgram {
public:
    explicit RunningProgram(const std::string& path, const std::string& holding = "") {
        createDirectories(parentPath(path));
        writeFileAtomically(path, readFile("/bin/sleep").value_or(""));
        chmod(path.c_str(), 0755);
        pid_ = fork();
        if (pid_ == 0) {
            if (!holding.empty() && open(holding.c_str(), O_RDONLY) < 0) _exit(126);
            execl(path.c_str(), path.c_str(), "60", static_cast<char*>(nullptr));
            _exit(127);
        }
        // The process table shows the new program only once exec has taken place.
        const std::string exe = "/proc/" + std::to_string(pid_) + "/exe";
        for (int tries = 0; tries < 500 && linkTarget(exe) != path; ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~RunningProgram() {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    pid_t pid() const { return pid_; }

private:
    static std::string linkTarget(const std::string& link) {
        char buffer[4096];
        const ssize_t n = readlink(link.c_str(), buffer, sizeof buffer);
        return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
    }

    pid_t pid_ = -1;
};

} // namespace kelvora::testing
