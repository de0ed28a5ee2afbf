#include "clean/TargetAccess.h"

#include "engine/DiskScanner.h"
#include "engine/PathRules.h"
#include "platform/Mounts.h"

#include <cerrno>
#include <climits>
#include <unistd.h>

namespace kelvora {

namespace {

TargetAccess::Result refused(std::string reason) {
    return {std::nullopt, std::move(reason)};
}

std::string relativeBelow(const std::string& path, const std::string& folder) {
    if (path == folder) return "";
    return path.substr(folder == "/" ? 1 : folder.size() + 1);
}

// Where an open folder is in this process's view of the file system, as the mount table
// writes its paths.
std::optional<std::string> realPathOf(const FolderHandle& folder) {
    char buffer[PATH_MAX];
    ssize_t length =
        readlink(("/proc/self/fd/" + std::to_string(folder.fd())).c_str(), buffer, sizeof buffer);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer) return std::nullopt;
    return std::string(buffer, static_cast<size_t>(length));
}

} // namespace

TargetAccess::TargetAccess(std::vector<URL> folders, FolderHandle::LinkCheck check)
    : folders_(std::move(folders)), check_(check), mountInfo_(liveMountInfo()) {}

TargetAccess TargetAccess::live() {
    return TargetAccess(DiskScanner::live().scanFolders());
}

const ScanItem::ScanFolder* TargetAccess::notedFolderOf(const ScanItem& item,
                                                        const std::string& path) {
    return deepestHolding(path, item.scannedIn,
                          [](const ScanItem::ScanFolder& noted) -> const std::string& {
                              return noted.folder.path();
                          });
}

TargetAccess::Result TargetAccess::reach(const ScanItem& item, const URL& target) const {
    if (!target.isFileURL() || target.path().empty() || target.path()[0] != '/')
        return refused("it is not a file or folder on this disk");
    const std::string& path = target.path();
    if (!isPlainAbsolutePath(path) || path == "/")
        return refused("its path goes up or round about (“.”, “..” or an empty name)");

    const ScanItem::ScanFolder* noted = notedFolderOf(item, path);
    std::optional<URL> scanFolder =
        noted ? noted->folder : DiskScanner::scanFolderOf(target, folders_);
    URL start = scanFolder.value_or(URL::fileURL("/", true));
    FolderHandle top = FolderHandle::open(start.path());
    if (!top) return refused(describeFileError(top.error()));
    if (noted && top.identity() != FolderIdentity{noted->device, noted->inode})
        return refused("“" + start.lastPathComponent() +
                       "” no longer leads to the folder the scan looked in");

    FolderHandle holder = top.beneath(relativeBelow(parentPath(path), start.path()), check_);
    if (!holder)
        return refused(holder.error() == ELOOP ? "a folder on the way to it is a link"
                                               : describeFileError(holder.error()));
    const std::string name = lastComponent(path);
    // Compared with the folder the scan looked in rather than with the target's own folder,
    // so that a folder that is itself a mount point is not emptied either.
    auto holderPlace = mountPlaceOf(holder.fd());
    auto reference = scanFolder ? mountPlaceOf(top.fd()) : holderPlace;
    auto place = mountPlaceAt(holder.fd(), name);
    if (reference && place && *place != *reference) {
        if (holderPlace && *holderPlace == *reference)
            return refused("a file system is mounted there, and Kelvora leaves mounted file "
                           "systems whole");
        return refused("it lies on a file system mounted inside “" + start.lastPathComponent() +
                       "”, and Kelvora leaves mounted file systems whole");
    }
    return {Reached{std::move(holder), name}, {}};
}

TargetAccess::Result TargetAccess::reachToMove(const ScanItem& item, const URL& target) const {
    Result result = reach(item, target);
    if (!result.reached) return result;
    auto folder = realPathOf(result.reached->folder);
    if (!folder) return result;
    auto inside = mountPointsBelow(joinPath(*folder, result.reached->name), mountInfo_);
    if (inside.empty()) return result;
    return refused("a file system is mounted at " + inside.front() +
                   " inside it, and Kelvora moves nothing with a mounted file system in it");
}

} // namespace kelvora
