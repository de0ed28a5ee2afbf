#include "platform/FilePresence.h"

#include "platform/FileSystem.h"
#include "platform/Mounts.h"
#include "platform/Text.h"
#include "platform/Url.h"

#include <cerrno>
#include <deque>
#include <sys/stat.h>

namespace kelvora {

namespace {

// Far above any real /etc/fstab.
constexpr size_t kMaxFstabBytes = 4 << 20;

bool isInside(const std::string& path, const std::string& folder) {
    return path != folder && isSameOrInside(path, folder);
}

// Whether the disk that would hold `path` is missing: a file system /etc/fstab mounts there
// is not mounted, an automounter's place has nothing mounted on it, or a removable disk's
// folder has no disk mounted on or below it on the way.
bool liesOnAbsentDisk(const std::string& path, const DiskPlaces& places) {
    const std::vector<MountEntry> mounts = mountEntries(places.mountInfo);
    auto mountedAtOrBelow = [&](const std::string& folder) {
        for (const MountEntry& mount : mounts)
            if (mount.type != "autofs" && isSameOrInside(mount.point, folder) &&
                isSameOrInside(path, mount.point))
                return true;
        return false;
    };
    for (const std::string& point : fstabMountPoints(places.fstab))
        if (isInside(path, point) && !mountedAtOrBelow(point)) return true;
    for (const MountEntry& mount : mounts)
        if (mount.type == "autofs" && isInside(path, mount.point) && !mountedAtOrBelow(mount.point))
            return true;
    for (const std::string& root : places.removableRoots)
        if (isInside(path, root) && !mountedAtOrBelow(root)) return true;
    return false;
}

std::deque<std::string> componentsOf(const std::string& path) {
    std::vector<std::string> parts = splitNonEmpty(path, '/');
    return {parts.begin(), parts.end()};
}

std::string joinedRest(std::string path, const std::deque<std::string>& rest) {
    for (const std::string& part : rest)
        path += "/" + part;
    return path;
}

} // namespace

DiskPlaces DiskPlaces::live() {
    DiskPlaces places;
    BoundedRead fstab = readFileAtMost("/etc/fstab", kMaxFstabBytes);
    if (fstab.ok()) places.fstab = std::move(fstab.bytes);
    places.mountInfo = liveMountInfo();
    return places;
}

Presence presenceOf(const std::string& path, const DiskPlaces& places) {
    if (path.empty() || path.front() != '/') return Presence::unknown;
    std::string reached; // resolved so far, with no link in it; empty for the root
    std::deque<std::string> rest = componentsOf(path);
    int links = 0;
    while (!rest.empty()) {
        const std::string part = rest.front();
        rest.pop_front();
        if (part == ".") continue;
        if (part == "..") {
            reached = reached.empty() ? reached : parentPath(reached);
            if (reached == "/") reached.clear();
            continue;
        }
        const std::string next = reached + "/" + part;
        struct stat status {};
        if (lstat(next.c_str(), &status) != 0) {
            if (errno != ENOENT && errno != ENOTDIR) return Presence::unknown;
            return liesOnAbsentDisk(joinedRest(next, rest), places) ? Presence::unknown
                                                                    : Presence::gone;
        }
        if (S_ISLNK(status.st_mode)) {
            auto target = linkTarget(next);
            if (!target || ++links > kMaxLinksFollowed) return Presence::unknown;
            std::deque<std::string> targetParts = componentsOf(*target);
            rest.insert(rest.begin(), targetParts.begin(), targetParts.end());
            if (target->front() == '/') reached.clear();
            continue;
        }
        if (!rest.empty() && !S_ISDIR(status.st_mode))
            return liesOnAbsentDisk(joinedRest(next, rest), places) ? Presence::unknown
                                                                    : Presence::gone;
        reached = next;
    }
    return Presence::present;
}

} // namespace kelvora
