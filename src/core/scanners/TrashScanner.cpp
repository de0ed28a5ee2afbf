#include "engine/DiskScanner.h"
#include "engine/PathRules.h"
#include "platform/FileSystem.h"
#include "platform/HomeFolders.h"

#include <algorithm>

namespace kelvora {
namespace {

// What one Trash gives: each entry with what removing it takes along, and whether the
// Trash could be read.
struct TrashEntries {
    std::vector<std::vector<URL>> groups;
    FolderAccess access = FolderAccess::ok;
};

void addEntries(const Listing& trash, TrashEntries& found) {
    if (trash.error == ListError::permissionDenied) found.access = FolderAccess::blocked;
    for (const auto& entry : trash.entries)
        if (entry.name != ".DS_Store") found.groups.push_back({entry.url});
}

// The desktop's Trash keeps each thrown item in "files" and a record of where it came
// from in "info/<name>.trashinfo"; the record goes with its item, so that emptying leaves
// no orphan and putting back restores both. The "directorysizes" cache beside them is the
// desktop's own and stays.
void addDesktopTrash(const URL& home, const URL& trash, TrashEntries& found) {
    const URL files = trash.appending("files", true);
    const URL info = trash.appending("info", true);
    if (reachedThroughLink(home, files)) return;
    const bool recordsReadable = !reachedThroughLink(home, info);
    const Listing listing = listFolder(files);
    const size_t first = found.groups.size();
    addEntries(listing, found);
    if (!recordsReadable) return;
    for (size_t i = first; i < found.groups.size(); ++i) {
        const URL record =
            info.appending(found.groups[i].front().lastPathComponent() + ".trashinfo");
        if (auto status = fileInfo(record); status && status->isRegularFile())
            found.groups[i].push_back(record);
    }
}

} // namespace

ItemsAndAccess DiskScanner::scanTrash(FileCounter& counter) const {
    TrashEntries found;
    addEntries(listFolder(home.appending(".Trash")), found);
    addDesktopTrash(home, HomeFolders(home).data().appending("Trash", true), found);
    // All entries measured in a single walk rather than a walk each.
    const auto sizes = measure(found.groups, counter);
    std::vector<ScanItem> items;
    for (size_t i = 0; i < found.groups.size(); ++i) {
        ScanItem item;
        item.kind = JunkKind::trash;
        item.location = found.groups[i].front();
        item.targets = std::move(found.groups[i]);
        item.bytes = sizes[i].bytes;
        item.baseVerdict = Verdict::youDecide;
        // The desktop's record of where an item came from is not one of its files.
        const int64_t records = item.targets.size() > 1 ? 1 : 0;
        item.record = ScanItem::TrashInfo{std::max<int64_t>(sizes[i].files - records, 0)};
        items.push_back(std::move(item));
    }
    return {std::move(items), found.access};
}

} // namespace kelvora
