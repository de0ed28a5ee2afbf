#include "engine/LongPath.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace kelvora {
namespace {

// Where the piece starting at `start` ends: the whole rest when it fits, else at the
// last slash that keeps it within the kernel's limit.
size_t pieceEnd(const std::string& path, size_t start) {
    constexpr size_t kLongest = PATH_MAX - 1;
    if (path.size() - start <= kLongest) return path.size();
    const size_t slash = path.rfind('/', start + kLongest);
    return slash == std::string::npos || slash <= start ? std::string::npos : slash;
}

} // namespace

int openLongPath(const std::string& path, int flags) {
    if (path.size() < PATH_MAX) return open(path.c_str(), flags);
    int at = AT_FDCWD;
    size_t start = 0;
    for (;;) {
        const size_t end = pieceEnd(path, start);
        if (end == std::string::npos) {
            if (at != AT_FDCWD) close(at);
            errno = ENAMETOOLONG;
            return -1;
        }
        const bool last = end == path.size();
        // The folders on the way need only be searched, as they are in a path lookup.
        const int pieceFlags = last ? flags : O_PATH | O_DIRECTORY | O_CLOEXEC;
        // The first piece keeps a leading slash; later ones start after the slash cut at.
        const std::string piece = path.substr(start, end - start);
        const int next = openat(at, piece.empty() ? "." : piece.c_str(), pieceFlags);
        const int saved = errno;
        if (at != AT_FDCWD) close(at);
        if (next < 0 || last) {
            errno = saved;
            return next;
        }
        at = next;
        start = end + 1;
    }
}

bool statLongPath(const std::string& path, unsigned mask, struct statx& status) {
    constexpr int kFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;
    if (path.size() < PATH_MAX) return statx(AT_FDCWD, path.c_str(), kFlags, mask, &status) == 0;
    const size_t end = path.find_last_not_of('/') + 1;
    const size_t slash = path.rfind('/', end - 1);
    if (end == 0 || slash == std::string::npos) return false;
    const int folder = openLongPath(path.substr(0, slash), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return false;
    const std::string name = path.substr(slash + 1, end - slash - 1);
    const bool ok = statx(folder, name.c_str(), kFlags, mask, &status) == 0;
    close(folder);
    return ok;
}

} // namespace kelvora
