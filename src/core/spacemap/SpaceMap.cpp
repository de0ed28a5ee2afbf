#include "spacemap/SpaceMap.h"

#include "platform/FileSystem.h"
#include "platform/Hash.h"
#include "spacemap/KernelFileSystem.h"

#include <algorithm>

namespace kelvora {

namespace {

constexpr int64_t kProgressEvery = 5000;

std::string resolvedPath(const URL& url) {
    return url.resolvingSymlinks().path();
}

// One folder being walked: its listing and the total of the children done so far.
struct Frame {
    URL url;
    uint64_t device = 0;
    std::vector<FileInfo> entries;
    size_t next = 0;
    int64_t total = 0;
};

} // namespace

std::set<std::string> SpaceMap::protectedFolders(const URL& home) {
    std::set<std::string> paths = {
        home.appending("Pictures").appending("Photos Library.photoslibrary").path()};
    URL library = home.appending("Library", true);
    for (const char* name : {"Containers", "Group Containers", "Mobile Documents",
                             "Application Support/AddressBook", "Calendars", "Reminders", "Mail",
                             "Messages", "Safari", "HomeKit", "Suggestions", "Biome"})
        paths.insert(library.appending(name).path());
    return paths;
}

SpaceMap::SpaceMap(URL root, const std::set<std::string>& skipped)
    : root_(root.resolvingSymlinks()) {
    for (const auto& path : skipped)
        skipped_.insert(resolvedPath(URL::fileURL(path, true)));
}

std::shared_ptr<const SpaceMap> SpaceMap::measure(const URL& root,
                                                  const std::set<std::string>& skipping,
                                                  const Progress& progress) {
    std::shared_ptr<SpaceMap> map(new SpaceMap(root, skipping));
    map->walk(progress);
    if (progress) progress(map->filesMeasured_);
    return map;
}

// Depth first with a stack of open folders rather than recursion, so a deep tree cannot
// exhaust the thread's stack. A folder's size is stored when its last child is done.
void SpaceMap::walk(const Progress& progress) {
    std::vector<Frame> stack;
    // A folder on another device than its parent may be a pseudo file system's mount point.
    auto enter = [&](const URL& folder, std::optional<uint64_t> device, bool newDevice) {
        const std::string& path = folder.path();
        if (skipped_.count(path) || (newDevice && isKernelFileSystem(path))) {
            privateFolders_.insert(path);
            return;
        }
        Listing listing = listFolder(folder);
        if (!listing.ok()) {
            privateFolders_.insert(path);
            return;
        }
        stack.push_back({folder, device.value_or(0), std::move(listing.entries), 0, 0});
    };

    std::optional<FileInfo> rootInfo = fileInfo(root_);
    enter(root_, rootInfo ? std::optional(rootInfo->device) : std::nullopt, true);
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next == top.entries.size()) {
            folderSizes_[top.url.path()] = top.total;
            int64_t total = top.total;
            stack.pop_back();
            if (!stack.empty()) stack.back().total += total;
            continue;
        }
        const FileInfo& child = top.entries[top.next++];
        if (child.isSymlink()) continue;
        if (child.isDirectory()) {
            enter(top.url.appending(child.name, true), child.device, child.device != top.device);
            continue;
        }
        top.total += child.allocatedSize;
        ++filesMeasured_;
        if (progress && filesMeasured_ % kProgressEvery == 0) progress(filesMeasured_);
    }
}

std::optional<int64_t> SpaceMap::size(const URL& folder) const {
    auto it = folderSizes_.find(resolvedPath(folder));
    if (it == folderSizes_.end()) return std::nullopt;
    return it->second;
}

std::vector<SpaceMap::Entry> SpaceMap::children(const URL& folder) const {
    URL resolved = folder.resolvingSymlinks();
    Listing listing = listFolder(resolved);
    if (!listing.ok()) return {};
    std::vector<Entry> entries;
    for (const FileInfo& child : listing.entries) {
        if (child.isSymlink()) continue;
        Entry entry{resolved.appending(child.name, child.isDirectory()), child.name, {}, false};
        if (!child.isDirectory()) {
            entry.bytes = child.allocatedSize;
        } else {
            bool isPrivate = privateFolders_.count(entry.url.path()) > 0;
            if (!isPrivate) {
                auto it = folderSizes_.find(entry.url.path());
                entry.bytes = it == folderSizes_.end() ? 0 : it->second;
            }
            entry.isFolder = !child.isPackage && !isPrivate;
        }
        entries.push_back(std::move(entry));
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.bytes.value_or(-1) > b.bytes.value_or(-1);
    });
    return entries;
}

} // namespace kelvora

std::size_t std::hash<kelvora::SpaceMap::Entry>::operator()(
    const kelvora::SpaceMap::Entry& entry) const noexcept {
    return kelvora::hashAll(entry.url, entry.name, entry.bytes, entry.isFolder);
}
