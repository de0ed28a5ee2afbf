#include "platform/BoundedRead.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvora {

namespace {

BoundedRead unreadable(std::string reason) {
    return {BoundedRead::Outcome::unreadable, {}, std::move(reason)};
}

} // namespace

BoundedRead readFileAtMost(const std::string& path, int64_t limit) {
    // Non-blocking, so a pipe put in the file's place cannot hold the reader.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return {};
        return unreadable(describeFileError(errno));
    }
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return unreadable("it is not a file");
    }
    if (status.st_size > limit) {
        close(fd);
        return {BoundedRead::Outcome::tooLarge, {}, {}};
    }
    BoundedRead result{BoundedRead::Outcome::read, {}, {}};
    char buffer[65536];
    while (true) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int error = errno;
            close(fd);
            return unreadable(describeFileError(error));
        }
        if (n == 0) break;
        if (static_cast<int64_t>(result.bytes.size()) + n > limit) {
            close(fd);
            return {BoundedRead::Outcome::tooLarge, {}, {}};
        }
        result.bytes.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return result;
}

} // namespace kelvora
