#pragma once

#include "platform/FileSystem.h"
#include "platform/Url.h"

#include <chrono>
#include <csignal>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kelvora::testing {

// A process of the test's own that takes hold of something (works in a folder, holds one
// open, maps a file, moves into a mount namespace of its own) and then waits: as a copy
// of sleep at a path of the test's choosing where one is given (what it holds open and
// where it works outlive the exec), else as a fork of the test itself. Ended with the test.
class HoldingProcess {
public:
    HoldingProcess(const std::function<bool()>& takeHold, const std::string& program = "") {
        if (!program.empty()) {
            createDirectories(parentPath(program));
            writeFileAtomically(program, readFile("/bin/sleep", 16 << 20).value_or(""));
            chmod(program.c_str(), 0755);
        }
        int ready[2];
        if (pipe(ready) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            if (!takeHold()) _exit(126);
            if (write(ready[1], "r", 1) != 1) _exit(125);
            close(ready[1]);
            if (!program.empty())
                execl(program.c_str(), program.c_str(), "60", static_cast<char*>(nullptr));
            for (;;)
                pause();
        }
        close(ready[1]);
        char byte = 0;
        held_ = read(ready[0], &byte, 1) == 1;
        close(ready[0]);
        // The process table shows the new program only once exec has taken place.
        const URL exe = URL::fileURL("/proc/" + std::to_string(pid_) + "/exe");
        for (int tries = 0;
             held_ && !program.empty() && tries < 500 && exe.resolvingSymlinks().path() != program;
             ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ~HoldingProcess() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    HoldingProcess(const HoldingProcess&) = delete;
    HoldingProcess& operator=(const HoldingProcess&) = delete;

    // Whether it took hold of what it was given.
    bool holds() const { return held_; }
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    bool held_ = false;
};

} // namespace kelvora::testing
