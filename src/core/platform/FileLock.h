#pragma once

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

private:
    int fd_ = -1;
};

} // namespace kelvora
