#pragma once

#include "clean/UndoShelf.h"
#include "model/ScanItem.h"
#include "platform/FileSystem.h"
#include "platform/Url.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

#include <cstdio>
#include <functional>
#include <string>
#include <sys/wait.h>
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

// Runs the body in a forked child and returns its exit status (or -1 when it crashed or
// hung), so a test can change limits or drop privileges without touching the test process.
inline int inChild(const std::function<int()>& body) {
    pid_t pid = fork();
    if (pid == 0) _exit(body());
    return waitForChild(pid, "the child process");
}

// An Undo Shelf in a temporary folder of its own.
struct ShelfFixture : ::testing::Test {
    TempDir tmp;
    UndoShelf shelf{URL::fileURL(tmp / "Shelf", true)};
};

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
    return fileText(path).value_or("<missing>");
}

} // namespace kelvora::testing
