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
#include <vector>

namespace kelvora::testing {

// A process of the test's own that takes hold of something (works in a folder, holds one
// open, maps a file, moves into a mount namespace of its own) and then waits: as a copy
// of sleep at a path of the test's choosing where one is given (what it holds open and
// where it works outlive the exec), else as a fork of the test itself.
//
// Given words, the copy is one of the shell, started with those words after its script and
// waiting on a pipe it holds itself. Its user may run it but not read it, and the kernel
// hides from the user's other processes everything of a process running such a file but its
// name and command line, as it does for a program that made itself undumpable (unless the
// process may read any file, as root may). Ended with the test.
class HoldingProcess {
public:
    HoldingProcess(const std::function<bool()>& takeHold, const std::string& program = "",
                   const std::vector<std::string>& words = {}) {
        if (!program.empty()) {
            createDirectories(parentPath(program));
            const char* copied = words.empty() ? "/bin/sleep" : "/bin/sh";
            writeFileAtomically(program, readFile(copied, 16 << 20).value_or(""));
            chmod(program.c_str(), words.empty() ? 0755 : 0111);
        }
        std::vector<std::string> arguments = {program};
        if (words.empty())
            arguments.push_back("60");
        else
            arguments.insert(arguments.end(), {"-c", "read line"});
        arguments.insert(arguments.end(), words.begin(), words.end());
        int ready[2], input[2];
        if (pipe(ready) != 0 || pipe(input) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(ready[0]);
            if (!takeHold()) _exit(126);
            if (write(ready[1], "r", 1) != 1) _exit(125);
            close(ready[1]);
            if (!program.empty()) {
                // Its own end of the pipe stays open: nothing is ever read from it.
                dup2(input[0], STDIN_FILENO);
                std::vector<char*> argv;
                for (auto& argument : arguments)
                    argv.push_back(argument.data());
                argv.push_back(nullptr);
                execv(program.c_str(), argv.data());
            }
            for (;;)
                pause();
        }
        close(ready[1]);
        close(input[0]);
        close(input[1]);
        char byte = 0;
        held_ = read(ready[0], &byte, 1) == 1;
        close(ready[0]);
        // The process table shows the new program only once exec has taken place.
        const std::string commandLine = "/proc/" + std::to_string(pid_) + "/cmdline";
        for (int tries = 0; held_ && !program.empty() && tries < 500 &&
                            readFile(commandLine, 1 << 20).value_or("").c_str() != program;
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
