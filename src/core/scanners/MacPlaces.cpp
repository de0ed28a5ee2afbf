#include "engine/DiskScanner.h"

#include "platform/FileSystem.h"

#include <algorithm>

namespace kelvora {

namespace {

bool isFolder(const URL& url) {
    const auto info = fileInfo(url);
    return info && info->isDirectory();
}

} // namespace

MacPlaces DiskScanner::macPlaces() const {
    const URL library = home.appending("Library", true);
    MacPlaces places;
    places.library = isFolder(library);
    if (places.library) {
        places.mail = isFolder(library.appending("Mail", true));
        places.messages = isFolder(library.appending("Messages", true));
        places.xcode = isFolder(library.appending("Developer/Xcode", true)) ||
                       isFolder(library.appending("Developer/CoreSimulator", true));
    }
    const Listing pictures = listFolderThroughLink(userFolder("Pictures"));
    places.photosLibrary =
        std::any_of(pictures.entries.begin(), pictures.entries.end(), [](const FileInfo& entry) {
            return entry.isDirectory() && entry.url.pathExtension() == "photoslibrary";
        });
    return places;
}

} // namespace kelvora
