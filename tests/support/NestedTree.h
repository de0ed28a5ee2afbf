#pragma once

#include "support/DiskUsage.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kelvora::testing {

// Writes a file without syncing it: trees of many files are made quickly.
inline void writeQuickly(const std::string& path, size_t bytes) {
    createDirectories(parentPath(path));
    const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return;
    const std::string contents(bytes, 'n');
    (void)!write(fd, contents.data(), contents.size());
    close(fd);
}

// A tree under "tree" with every shape a folder's figure can go wrong on:
//   small/aN/bN/f        many small folders, two deep, each holding a file
//   big/                 one folder of so many long names that its own entry takes several blocks
//   inside/{x,y}/data    one file with both its links inside
//   outside/data         a file whose second link is elsewhere/data
//   empty/a/b/c, empty/d folders holding nothing
//   dots/                names beginning with two dots: a folder ..data, a file ..., a folder
//                        ..2024_01_01_10_10_10.1 holding a file
struct NestedTree {
    std::string root;
    int64_t insideLinked = 0;  // the blocks of the file linked twice inside "inside"
    int64_t outsideLinked = 0; // the blocks of outside/data, also linked from elsewhere
};

inline NestedTree makeNestedTree(const TempDir& dir) {
    NestedTree tree;
    tree.root = dir.mkdir("tree");
    const auto at = [&](const std::string& relative) { return joinPath(tree.root, relative); };
    for (int a = 0; a < 12; ++a)
        for (int b = 0; b < 8; ++b)
            writeQuickly(at("small/a" + std::to_string(a) + "/b" + std::to_string(b) + "/f"),
                         100 * (a + b + 1));
    for (int i = 0; i < 2500; ++i)
        writeQuickly(at("big/" + std::string(90, 'n') + std::to_string(i)), 0);
    writeQuickly(at("big/content"), 20'000);
    writeQuickly(at("inside/x/data"), 30'000);
    createDirectories(at("inside/y"));
    (void)!link(at("inside/x/data").c_str(), at("inside/y/data").c_str());
    writeQuickly(at("outside/data"), 40'000);
    writeQuickly(at("outside/own"), 5'000);
    createDirectories(at("elsewhere"));
    (void)!link(at("outside/data").c_str(), at("elsewhere/data").c_str());
    createDirectories(at("empty/a/b/c"));
    createDirectories(at("empty/d"));
    writeQuickly(at("dots/..data/inner"), 6'000);
    writeQuickly(at("dots/..."), 7'000);
    writeQuickly(at("dots/..2024_01_01_10_10_10.1/config"), 8'000);
    writeQuickly(at("dots/.hidden"), 9'000);
    sync();
    tree.insideLinked = ownBlocks(at("inside/x/data"));
    tree.outsideLinked = ownBlocks(at("outside/data"));
    return tree;
}

// A chain of folders far deeper than the longest path the kernel takes in one call, each
// holding a file, made through descriptors.
struct DeepTree {
    std::string top;
    std::string name;           // of every folder below the top
    std::vector<int64_t> below; // below[k]: what level k and everything under it take
    std::string pathTo(size_t level) const {
        std::string path = top;
        for (size_t i = 0; i < level; ++i)
            path += "/" + name;
        return path;
    }
};

inline DeepTree makeDeepTree(const TempDir& dir, int levels) {
    DeepTree tree{dir.mkdir("deep"), "level-of-a-deep-tree", {}};
    const std::string contents(5'000, 'd');
    int fd = open(tree.top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; level <= levels && fd >= 0; ++level) {
        const int file = openat(fd, "data", O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        (void)!write(file, contents.data(), contents.size());
        close(file);
        const int next = level < levels && mkdirat(fd, tree.name.c_str(), 0755) == 0
                             ? openat(fd, tree.name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                             : -1;
        close(fd);
        fd = next;
    }
    sync();
    std::vector<int64_t> own;
    fd = open(tree.top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    while (fd >= 0) {
        struct stat folder {
        }, file{};
        fstat(fd, &folder);
        fstatat(fd, "data", &file, AT_SYMLINK_NOFOLLOW);
        own.push_back(static_cast<int64_t>(folder.st_blocks + file.st_blocks) * 512);
        const int next = openat(fd, tree.name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        close(fd);
        fd = next;
    }
    tree.below.assign(own.size(), 0);
    for (size_t level = own.size(); level-- > 0;)
        tree.below[level] = own[level] + (level + 1 < own.size() ? tree.below[level + 1] : 0);
    return tree;
}

} // namespace kelvora::testing
