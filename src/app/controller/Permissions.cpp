#include "controller/Permissions.h"

#include "engine/DiskScanner.h"
#include "platform/AppPaths.h"
#include "platform/FileSystem.h"
#include "platform/HomeFolders.h"

namespace kelvora::Permissions {

namespace {

URL homeFolder() {
    return URL::fileURL(AppPaths::home(), true);
}

URL desktopTrash(const URL& home) {
    return HomeFolders(home).data().appending("Trash/files", true);
}

// A home that is often a link (/home on another volume) is listed through it.
bool listable(const URL& home) {
    return listFolderThroughLink(home).ok();
}

bool notRefused(const Listing& listing) {
    return listing.ok() || listing.error == ListError::notFound;
}

} // namespace

bool hasFullDiskAccess() {
    const URL home = homeFolder();
    Listing trash = listFolder(home.appending(".Trash", true));
    // A missing Trash says nothing about a home that cannot be listed: then the home's
    // closed listing is the answer.
    bool trashOpen = trash.ok() || (trash.error == ListError::notFound && listable(home));
    return trashOpen && notRefused(listFolder(desktopTrash(home)));
}

std::vector<std::string> closedFolders() {
    const URL home = homeFolder();
    std::vector<std::string> closed;
    if (!listable(home)) closed.push_back(home.path());
    for (const URL& trash : {home.appending(".Trash", true), desktopTrash(home)})
        if (!notRefused(listFolder(trash))) closed.push_back(trash.path());
    // The user's own folders may be links to another disk, as the scan reads them.
    const HomeFolders places(home);
    for (const auto& name : DiskScanner::privateFolderNames()) {
        URL folder = places.user(name);
        if (!notRefused(listFolderThroughLink(folder))) closed.push_back(folder.path());
    }
    return closed;
}

} // namespace kelvora::Permissions
