#include "platform/FileIdentity.h"

#include "platform/FileSystem.h"
#include "platform/Url.h"

#include <algorithm>

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

bool leadsInto(const std::string& path, const std::vector<std::string>& folders) {
    std::vector<FileIdentity> held;
    for (const std::string& folder : folders)
        if (auto identity = identityOf(folder)) held.push_back(*identity);
    auto liesInOne = [&](const std::string& place) {
        const auto folder = realPath(parentPath(place));
        if (!folder) return false;
        for (std::string at = *folder;; at = parentPath(at)) {
            const auto identity = identityOf(at);
            if (identity && std::find(held.begin(), held.end(), *identity) != held.end())
                return true;
            if (at == "/") return false;
        }
    };
    // Every link on the way counts, not only the end: a menu entry may itself be a link to
    // the file it shows, as Flatpak's exports are.
    std::string at = path;
    for (int hop = 0; hop < kMaxLinksFollowed; ++hop) {
        const auto next = linkTarget(at);
        if (!next) return false;
        at = next->front() == '/' ? *next : joinPath(parentPath(at), *next);
        if (liesInOne(at) && realPath(at)) return true;
    }
    return false;
}

} // namespace kelvora
