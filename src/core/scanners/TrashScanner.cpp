#include "engine/DiskScanner.h"
#include "platform/FileSystem.h"

namespace kelvora {

ItemsAndAccess DiskScanner::scanTrash(FileCounter& counter) const {
    const Listing trash = listFolder(home.appending(".Trash"));
    if (trash.error == ListError::permissionDenied) return {{}, FolderAccess::blocked};
    if (!trash.ok()) return {{}, FolderAccess::ok};
    std::vector<ScanItem> items;
    for (const auto& entry : trash.entries) {
        if (entry.name == ".DS_Store") continue;
        ScanItem item;
        item.kind = JunkKind::trash;
        item.location = entry.url;
        item.targets = {entry.url};
        item.bytes = freedSizes({{entry.url}}, counter).front();
        item.baseVerdict = Verdict::youDecide;
        items.push_back(std::move(item));
    }
    return {std::move(items), FolderAccess::ok};
}

} // namespace kelvora
