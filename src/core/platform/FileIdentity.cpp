#include "platform/FileIdentity.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace kelvora {

namespace {

// The device is numbered as FileInfo numbers it, so that the two compare.
std::optional<FileIdentity> identityBy(const std::string& path, int flags) {
    struct statx info {};
    if (path.empty() || statx(AT_FDCWD, path.c_str(), flags, STATX_INO, &info) != 0)
        return std::nullopt;
    return FileIdentity{(static_cast<uint64_t>(info.stx_dev_major) << 32) | info.stx_dev_minor,
                        info.stx_ino};
}

} // namespace

std::optional<FileIdentity> identityOf(const std::string& path) {
    return identityBy(path, 0);
}

std::optional<FileIdentity> identityAt(const std::string& path) {
    return identityBy(path, AT_SYMLINK_NOFOLLOW);
}

} // namespace kelvora
