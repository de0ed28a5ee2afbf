#include "engine/DiskScanner.h"
#include "platform/FileSystem.h"

namespace kelvora {

ItemsAndAccess DiskScanner::scanTrash(FileCounter& counter) const {
    const Listing trash = listFolder(home.appending(".Trash"));
    if (trash.error == ListError::permissionDenied) return {{}, FolderAccess::blocked};
    if (!trash.ok()) return {{}, FolderAccess::ok};
    // One group per entry, all measured in a single walk rather than a walk each.
    std::vector<std::vector<URL>> groups;
    for (const auto& entry : trash.entries) {
        if (entry.name != ".DS_Store") groups.push_back({entry.url});
    }
    const auto sizes = freedSizes(groups, counter);
    std::vector<ScanItem> items;
    for (size_t i = 0; i < groups.size(); ++i) {
        ScanItem item;
        item.kind = JunkKind::trash;
        item.location = groups[i].front();
        item.targets = std::move(groups[i]);
        item.bytes = sizes[i];
        item.baseVerdict = Verdict::youDecide;
        items.push_back(std::move(item));
    }
    return {std::move(items), FolderAccess::ok};
}

} // namespace kelvora
