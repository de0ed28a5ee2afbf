#include "platform/FileIdentity.h"

#include <sys/stat.h>

namespace kelvora {

namespace {

FileIdentity identityFrom(const struct stat& status) {
    return {static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
}

} // namespace

std::optional<FileIdentity> identityAt(const std::string& path) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) return std::nullopt;
    return identityFrom(status);
}

std::optional<FileIdentity> identityOf(int fd) {
    struct stat status {};
    if (fd < 0 || fstat(fd, &status) != 0) return std::nullopt;
    return identityFrom(status);
}

} // namespace kelvora
