#include "platform/FilePresence.h"

#include "platform/AppPaths.h"
#include "platform/FileIdentity.h"
#include "platform/FileSystem.h"
#include "platform/Mounts.h"
#include "platform/Text.h"
#include "platform/UnitFolders.h"
#include "platform/Url.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvora {

namespace {

// Far above any real /etc/fstab.
constexpr size_t kMaxFstabBytes = 4 << 20;

bool isInside(const std::string& path, const std::string& folder) {
    return path != folder && isSameOrInside(path, folder);
}

// Whether the disk that would hold `path` is missing: a file system /etc/fstab or a systemd
// mount unit mounts there is not mounted, an automounter's place has nothing mounted on it, or a
// removable disk's folder has no disk mounted on or below it on the way.
bool liesOnAbsentDisk(const std::string& path, const DiskPlaces& places) {
    const std::vector<MountEntry> mounts = mountEntries(places.mountInfo);
    auto mountedAtOrBelow = [&](const std::string& folder) {
        for (const MountEntry& mount : mounts)
            if (mount.type != "autofs" && isSameOrInside(mount.point, folder) &&
                isSameOrInside(path, mount.point))
                return true;
        return false;
    };
    std::vector<std::string> points = fstabMountPoints(places.fstab);
    points.insert(points.end(), places.unitMountPoints.begin(), places.unitMountPoints.end());
    for (const std::string& point : points)
        if (isInside(path, point) && !mountedAtOrBelow(point)) return true;
    for (const MountEntry& mount : mounts)
        if (mount.type == "autofs" && isInside(path, mount.point) && !mountedAtOrBelow(mount.point))
            return true;
    for (const std::string& root : places.removableRoots)
        if (isInside(path, root) && !mountedAtOrBelow(root)) return true;
    return false;
}

// Whether the folder, reached through no link, is one of the roots or lies below one. By
// identity, as a root may be named through a link or reached through a bind mount.
bool liesWithin(const std::string& folder, const std::vector<std::string>& roots) {
    std::vector<FileIdentity> identities;
    for (const std::string& root : roots)
        if (auto identity = identityOf(root)) identities.push_back(*identity);
    for (std::string place = folder; !identities.empty(); place = parentPath(place)) {
        const auto identity = identityAt(place);
        if (identity &&
            std::find(identities.begin(), identities.end(), *identity) != identities.end())
            return true;
        if (place == "/") break;
    }
    return false;
}

// Whether a folder holds nothing; none when it cannot be listed.
std::optional<bool> isEmptyFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    DIR* stream = fd < 0 ? nullptr : fdopendir(fd);
    if (!stream) {
        if (fd >= 0) close(fd);
        return std::nullopt;
    }
    bool empty = true;
    while (const dirent* entry = readdir(stream))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            empty = false;
            break;
        }
    closedir(stream);
    return empty;
}

// Whether a folder may be the place of a disk not mounted now: no disk is mounted on it (a
// disk's own root may well be empty), it is not among the system's own folders, and it holds
// nothing or cannot be listed to tell. Where programs are installed and removed only a folder
// that cannot be listed may be one.
bool mayBeAwayDisksPlace(const std::string& folder, const DiskPlaces& places) {
    const bool ofPrograms = liesWithin(folder, places.programRoots);
    if (!ofPrograms && liesWithin(folder, places.systemRoots)) return false;
    for (const MountEntry& mount : mountEntries(places.mountInfo))
        if (mount.type != "autofs" && mount.point == folder) return false;
    const std::optional<bool> empty = isEmptyFolder(folder);
    return !empty || (*empty && !ofPrograms);
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
    places.unitMountPoints = UnitFolders::mountPoints(UnitFolders::live());
    // A home at the root would make every folder one where programs come and go.
    const std::string home = AppPaths::home();
    if (identityOf(home) != identityOf("/")) places.programRoots.push_back(home);
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
            const int error = errno;
            if (error != ENOENT && error != ENOTDIR) return Presence::unknown;
            if (error == ENOENT && mayBeAwayDisksPlace(reached.empty() ? "/" : reached, places))
                return Presence::unknown;
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
