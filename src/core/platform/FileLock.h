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
    // Why the lock could not be taken: the errno value, 0 while locked.
    int error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
};

} // namespace kelvora
