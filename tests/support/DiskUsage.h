#pragma once

#include "engine/DiskScanner.h"

#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace kelvora::testing {

// What `du -s -B1` says the paths take together (a file with several links among them
// counted once): the outside measure that every size of a tree is held to. -1 when du
// cannot be run.
inline int64_t duBytes(const std::vector<std::string>& paths) {
    std::vector<std::string> arguments = {"-s", "-B1", "-c", "--"};
    arguments.insert(arguments.end(), paths.begin(), paths.end());
    const auto result = DiskScanner::runTool("/usr/bin/du", arguments, 120);
    if (!result) return -1;
    const std::string& output = result->output;
    // The last line is the total: "<bytes>\ttotal".
    const size_t line = output.rfind('\n', output.size() > 1 ? output.size() - 2 : 0);
    return std::stoll(output.substr(line == std::string::npos ? 0 : line + 1));
}

inline int64_t duBytes(const std::string& path) {
    return duBytes(std::vector<std::string>{path});
}

// The blocks of one file or folder itself, whatever it holds.
inline int64_t ownBlocks(const std::string& path) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) return 0;
    return static_cast<int64_t>(status.st_blocks) * 512;
}

} // namespace kelvora::testing
