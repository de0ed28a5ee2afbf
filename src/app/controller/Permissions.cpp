#include "controller/Permissions.h"

#include "platform/AppPaths.h"
#include "platform/FileSystem.h"
#include "platform/HomeFolders.h"

namespace kelvora::Permissions {

namespace {

bool notRefused(const URL& folder) {
    Listing listing = listFolder(folder);
    return listing.ok() || listing.error == ListError::notFound;
}

} // namespace

bool hasFullDiskAccess() {
    const URL home = URL::fileURL(AppPaths::home(), true);
    const URL desktopTrash = HomeFolders(home).data().appending("Trash/files", true);
    return notRefused(home.appending(".Trash", true)) && notRefused(desktopTrash);
}

} // namespace kelvora::Permissions
