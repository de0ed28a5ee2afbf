#pragma once

#include "support/ChildProcess.h"

#include <cstdio>
#include <string>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvora::testing {

constexpr int kNoMountNamespace = 77;

// Runs body in a forked child with a mount namespace of its own, so whatever it mounts
// vanishes with it. The child prints the problems body reports; its exit status is 0 when
// there were none, kNoMountNamespace when it could not have a namespace.
template <typename Body> int inMountNamespace(Body body) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (unshare(CLONE_NEWNS) != 0 ||
            mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            _exit(kNoMountNamespace);
        const std::string problems = body();
        std::fputs(problems.c_str(), stderr);
        _exit(problems.empty() ? 0 : 1);
    }
    return waitForChild(pid, "the child process in a mount namespace of its own");
}

// Mounts a fresh tmpfs at a folder, or the folder bindFrom again.
inline bool mountAt(const std::string& at, const std::string& bindFrom = "") {
    if (bindFrom.empty()) return mount("none", at.c_str(), "tmpfs", 0, "size=1m") == 0;
    return mount(bindFrom.c_str(), at.c_str(), nullptr, MS_BIND, nullptr) == 0;
}

} // namespace kelvora::testing
