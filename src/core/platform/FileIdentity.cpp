#include "platform/FileIdentity.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace kelvora {

// The device is numbered as FileInfo numbers it, so that the two compare.
std::optional<FileIdentity> identityOf(const std::string& path) {
    struct statx info {};
    if (path.empty() || statx(AT_FDCWD, path.c_str(), 0, STATX_INO, &info) != 0)
        return std::nullopt;
    return FileIdentity{(static_cast<uint64_t>(info.stx_dev_major) << 32) | info.stx_dev_minor,
                        info.stx_ino};
}

} // namespace kelvora
