#pragma once

#include "platform/FileSystem.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace kelvora {

// An advisory lock (flock) held for the object's lifetime. Separate processes (the window,
// the sweeper agent, the menu bar) that change one file take it around each change.
class FileLock {
public:
    explicit FileLock(const std::string& lockPath, bool exclusive = true);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool locked() const { return fd_ >= 0; }
    // Why the lock could not be taken: the errno value, 0 while locked.
    int error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
};

// Changes a small file that separate processes share, under its lock (`<path>.lock`): `change`
// is given what the file holds then (none when it is missing, unreadable or over `maxBytes`)
// and returns what takes its place in one step, or none to leave it as it is. What could not
// be read back is never written.
using FileChange =
    std::function<std::optional<std::string>(const std::optional<std::string>& bytes)>;
FileResult changeLockedFile(const std::string& path, std::size_t maxBytes,
                            const FileChange& change);

} // namespace kelvora
