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
    return listingError(home, true) == ListError::none;
}

bool notRefused(ListError error) {
    return error == ListError::none || error == ListError::notFound;
}

} // namespace

// The views that watch the access ask every 1.5 seconds, of folders that may hold thousands
// of entries: each is read no further than its first.
bool hasFullDiskAccess() {
    const URL home = homeFolder();
    const ListError trash = listingError(home.appending(".Trash", true), false);
    // A missing Trash says nothing about a home that cannot be listed: then the home's
    // closed listing is the answer.
    bool trashOpen = trash == ListError::none || (trash == ListError::notFound && listable(home));
    return trashOpen && notRefused(listingError(desktopTrash(home), false));
}

std::vector<std::string> closedFolders() {
    const URL home = homeFolder();
    std::vector<std::string> closed;
    if (!listable(home)) closed.push_back(home.path());
    for (const URL& trash : {home.appending(".Trash", true), desktopTrash(home)})
        if (!notRefused(listingError(trash, false))) closed.push_back(trash.path());
    // The user's own folders may be links to another disk, as the scan reads them.
    const HomeFolders places(home);
    for (const auto& name : DiskScanner::privateFolderNames()) {
        URL folder = places.user(name);
        if (!notRefused(listingError(folder, true))) closed.push_back(folder.path());
    }
    return closed;
}

} // namespace kelvora::Permissions
