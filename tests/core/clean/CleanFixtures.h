#pragma once

#include "model/ScanItem.h"
#include "platform/FileSystem.h"
#include "platform/Url.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace kelvora::testing {

inline ScanItem itemOf(JunkKind kind, const std::vector<std::string>& paths, int64_t bytes = 100) {
    ScanItem item;
    item.kind = kind;
    item.location = URL::fileURL(paths.empty() ? "/nowhere" : paths.front());
    for (const auto& path : paths)
        item.targets.push_back(URL::fileURL(path));
    item.bytes = bytes;
    item.baseVerdict = Verdict::youDecide;
    return item;
}

// Runs the body in a forked child and returns its exit status (or -1 when it crashed), so a
// test can change limits or drop privileges without touching the test process. A child
// still running after a generous deadline is killed, and the test fails saying so.
inline int inChild(const std::function<int()>& body,
                   std::chrono::seconds deadline = std::chrono::seconds(240)) {
    pid_t pid = fork();
    if (pid == 0) _exit(body());
    if (pid < 0) return -1;
    const auto giveUp = std::chrono::steady_clock::now() + deadline;
    int status = 0;
    pid_t ended = 0;
    while ((ended = waitpid(pid, &status, WNOHANG)) == 0) {
        if (std::chrono::steady_clock::now() > giveUp) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            ADD_FAILURE() << "the child process did not end within " << deadline.count()
                          << " s; it was killed";
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (ended != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// Writes a file without syncing it, for fixtures of thousands of files.
inline std::string writeUnsynced(const std::string& path, const std::string& contents) {
    createDirectories(parentPath(path));
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(contents.data(), 1, contents.size(), out);
        std::fclose(out);
    }
    return path;
}

inline std::string contentsOf(const std::string& path) {
    return readFile(path).value_or("<missing>");
}

} // namespace kelvora::testing
