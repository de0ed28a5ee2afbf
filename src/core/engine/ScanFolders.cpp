#include "engine/DiskScanner.h"
#include "engine/PathRules.h"
#include "platform/HomeFolders.h"

#include <map>
#include <sys/stat.h>

namespace kelvora {

namespace {

std::optional<ScanItem::ScanFolder> resolvedNow(const URL& folder) {
    struct stat status {};
    if (stat(folder.path().c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return std::nullopt;
    return ScanItem::ScanFolder{folder, static_cast<uint64_t>(status.st_dev),
                                static_cast<uint64_t>(status.st_ino)};
}

} // namespace

std::vector<URL> DiskScanner::scanFolders() const {
    std::vector<URL> folders = {home};
    for (const char* name : {"Desktop", "Documents", "Downloads", "Pictures", "Movies", "Music"})
        folders.push_back(userFolder(name));
    // The places of this system's own folders, wherever the XDG variables put them.
    const HomeFolders places(home);
    for (const URL& folder : {places.cache(), places.config(), places.data()})
        folders.push_back(folder);
    folders.push_back(downloadsFolder);
    folders.insert(folders.end(), duplicateFolders.begin(), duplicateFolders.end());
    folders.insert(folders.end(), applicationFolders.begin(), applicationFolders.end());
    folders.push_back(tempDirectory);
    folders.push_back(appleModelsFolder);
    if (auto location = screenshotSaveLocation(); location && !location->empty()) {
        std::string path = (*location)[0] == '~' ? home.path() + location->substr(1) : *location;
        folders.push_back(URL::fileURL(path, true));
    }
    std::vector<URL> usable;
    for (const auto& folder : folders) {
        if (!folder.isFileURL() || folder.path().empty() || folder.path()[0] != '/') continue;
        usable.push_back(folder.standardized());
    }
    return usable;
}

std::optional<URL> DiskScanner::scanFolderOf(const URL& target, const std::vector<URL>& folders) {
    std::optional<URL> deepest;
    const std::string path = target.standardized().path();
    for (const auto& folder : folders) {
        if (path == folder.path() || !isSameOrInside(path, folder.path())) continue;
        if (!deepest || folder.path().size() > deepest->path().size()) deepest = folder;
    }
    return deepest;
}

void DiskScanner::noteScanFolders(std::vector<ScanItem>& items) const {
    const std::vector<URL> folders = scanFolders();
    std::map<std::string, std::optional<ScanItem::ScanFolder>> resolved;
    for (auto& item : items) {
        item.scannedIn.clear();
        for (const auto& target : item.targets) {
            if (!target.isFileURL()) continue;
            auto folder = scanFolderOf(target, folders);
            if (!folder) continue;
            auto [at, fresh] = resolved.try_emplace(folder->path());
            if (fresh) at->second = resolvedNow(*folder);
            if (!at->second) continue;
            if (std::find(item.scannedIn.begin(), item.scannedIn.end(), *at->second) ==
                item.scannedIn.end())
                item.scannedIn.push_back(*at->second);
        }
    }
}

} // namespace kelvora
