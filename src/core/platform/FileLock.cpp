#include "platform/FileLock.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace kelvora {

FileLock::FileLock(const std::string& lockPath, bool exclusive) {
    createDirectories(parentPath(lockPath));
    fd_ = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        error_ = errno;
        return;
    }
    int rc;
    do {
        rc = flock(fd_, exclusive ? LOCK_EX : LOCK_SH);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        error_ = errno;
        close(fd_);
        fd_ = -1;
    }
}

FileLock::~FileLock() {
    if (fd_ >= 0) {
        flock(fd_, LOCK_UN);
        close(fd_);
    }
}

FileResult changeLockedFile(const std::string& path, std::size_t maxBytes,
                            const FileChange& change) {
    FileLock lock(path + ".lock");
    const std::optional<std::string> next = change(readFile(path, maxBytes));
    if (!next) return FileResult::success();
    if (next->size() > maxBytes)
        return FileResult::failure("Could not write " + path + ": " + describeFileError(EFBIG));
    return writeFileAtomically(path, *next);
}

} // namespace kelvora
