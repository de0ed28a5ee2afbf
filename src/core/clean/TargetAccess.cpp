#include "clean/TargetAccess.h"

#include "engine/DiskScanner.h"
#include "engine/PathRules.h"

#include <cerrno>

namespace kelvora {

namespace {

TargetAccess::Result refused(std::string reason) {
    return {std::nullopt, std::move(reason)};
}

const ScanItem::ScanFolder* notedFolderOf(const ScanItem& item, const std::string& path) {
    const ScanItem::ScanFolder* deepest = nullptr;
    for (const auto& noted : item.scannedIn) {
        const std::string& folder = noted.folder.path();
        if (path == folder || !isSameOrInside(path, folder)) continue;
        if (!deepest || folder.size() > deepest->folder.path().size()) deepest = &noted;
    }
    return deepest;
}

std::string relativeBelow(const std::string& path, const std::string& folder) {
    if (path == folder) return "";
    return path.substr(folder == "/" ? 1 : folder.size() + 1);
}

} // namespace

TargetAccess TargetAccess::live() {
    return TargetAccess(DiskScanner::live().scanFolders());
}

TargetAccess::Result TargetAccess::reach(const ScanItem& item, const URL& target) const {
    if (!target.isFileURL() || target.path().empty() || target.path()[0] != '/')
        return refused("it is not a file or folder on this disk");
    const std::string& path = target.path();
    if (!isPlainAbsolutePath(path) || path == "/")
        return refused("its path goes up or round about (“.”, “..” or an empty name)");

    const ScanItem::ScanFolder* noted = notedFolderOf(item, path);
    URL start = noted
                    ? noted->folder
                    : DiskScanner::scanFolderOf(target, folders_).value_or(URL::fileURL("/", true));
    FolderHandle top = FolderHandle::open(start.path());
    if (!top) return refused(describeFileError(top.error()));
    if (noted && top.identity() != FolderIdentity{noted->device, noted->inode})
        return refused("“" + start.lastPathComponent() +
                       "” no longer leads to the folder the scan looked in");

    FolderHandle holder = top.beneath(relativeBelow(parentPath(path), start.path()), check_);
    if (!holder)
        return refused(holder.error() == ELOOP ? "a folder on the way to it is a link"
                                               : describeFileError(holder.error()));
    return {Reached{std::move(holder), lastComponent(path)}, {}};
}

} // namespace kelvora
