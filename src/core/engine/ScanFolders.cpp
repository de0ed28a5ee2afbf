#include "engine/DiskScanner.h"
#include "engine/PathRules.h"
#include "engine/ScanFolderLog.h"
#include "platform/FolderHandle.h"
#include "platform/HomeFolders.h"
#include "platform/Mounts.h"

#include <map>

namespace kelvora {

namespace {

// As the scan's first listing of the folder saw it, else as it resolves now. A folder seen
// as two different ones during the scan is noted as none, which no folder matches.
std::optional<ScanItem::ScanFolder> asScanned(const URL& folder, const ScanFolderLog* listed) {
    auto seen = listed ? listed->seen(folder) : std::nullopt;
    if (seen && seen->changed) return ScanItem::ScanFolder{folder, 0, 0};
    auto identity = seen ? std::optional(seen->identity) : folderIdentityAt(folder.path());
    if (!identity) return std::nullopt;
    return ScanItem::ScanFolder{folder, identity->device, identity->inode};
}

std::optional<MountPlace> folderPlace(const std::string& path) {
    FolderHandle folder = FolderHandle::open(path);
    return folder ? mountPlaceOf(folder.fd()) : std::nullopt;
}

// The mount a file or folder must share: that of the deepest folder the scan found it in,
// else its parent's, so that it is no mount point itself. None for such a folder itself,
// which may well be a mount of its own.
std::optional<MountPlace> expectedPlace(const std::string& path, const ScanItem& item,
                                        std::map<std::string, std::optional<MountPlace>>& known) {
    std::string reference = parentPath(path);
    size_t deepest = 0;
    for (const auto& noted : item.scannedIn) {
        const std::string& folder = noted.folder.path();
        if (path == folder) return std::nullopt;
        if (isSameOrInside(path, folder) && folder.size() >= deepest) {
            reference = folder;
            deepest = folder.size();
        }
    }
    auto [at, fresh] = known.try_emplace(reference);
    if (fresh) at->second = folderPlace(reference);
    return at->second;
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
    const URL* deepest =
        deepestHolding(target.standardized().path(), folders,
                       [](const URL& folder) -> const std::string& { return folder.path(); });
    return deepest ? std::optional<URL>(*deepest) : std::nullopt;
}

void DiskScanner::noteScanFolders(std::vector<ScanItem>& items, const ScanFolderLog* listed) const {
    const std::vector<URL> folders = scanFolders();
    std::map<std::string, std::optional<ScanItem::ScanFolder>> resolved;
    for (auto& item : items) {
        item.scannedIn.clear();
        for (const auto& target : item.targets) {
            if (!target.isFileURL()) continue;
            auto folder = scanFolderOf(target, folders);
            if (!folder) continue;
            auto [at, fresh] = resolved.try_emplace(folder->path());
            if (fresh) at->second = asScanned(*folder, listed);
            if (!at->second) continue;
            if (std::find(item.scannedIn.begin(), item.scannedIn.end(), *at->second) ==
                item.scannedIn.end())
                item.scannedIn.push_back(*at->second);
        }
    }
}

void DiskScanner::dropMountedItems(std::vector<ScanItem>& items) {
    std::map<std::string, std::optional<MountPlace>> known;
    std::erase_if(items, [&](const ScanItem& item) {
        std::vector<const URL*> urls = {&item.location};
        for (const auto& target : item.targets)
            urls.push_back(&target);
        return std::any_of(urls.begin(), urls.end(), [&](const URL* url) {
            if (!url->isFileURL() || !isPlainAbsolutePath(url->path()) || url->path() == "/")
                return false;
            auto place = mountPlaceAt(url->path());
            auto expected = expectedPlace(url->path(), item, known);
            return place && expected && *place != *expected;
        });
    });
}

} // namespace kelvora
