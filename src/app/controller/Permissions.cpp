#include "controller/Permissions.h"

#include "platform/AppPaths.h"
#include "platform/FileSystem.h"

namespace kelvora::Permissions {

bool hasFullDiskAccess() {
    Listing trash = listFolder(URL::fileURL(joinPath(AppPaths::home(), ".Trash"), true));
    return trash.ok() || trash.error == ListError::notFound;
}

} // namespace kelvora::Permissions
