#include "engine/DiskScanner.h"
#include "engine/PathRules.h"
#include "platform/FileSystem.h"

namespace kelvora {

std::vector<ScanItem> DiskScanner::scanLogs(FileCounter& counter) const {
    const Date cutoff = addSeconds(now(), -logAge);
    const URL folder = home.appending("Library/Logs", true);
    // Through a linked Library the logs offered, and deleted, would lie elsewhere.
    if (reachedThroughLink(home, folder)) return {};
    const Listing logs = listFolder(folder);
    if (!logs.ok()) return {};
    std::vector<ScanItem> items;
    for (const auto& entry : logs.entries) {
        // regularFileInfos never follows a link, so a linked log folder yields nothing.
        std::vector<URL> old;
        for (const auto& file : regularFileInfos(entry.url, counter)) {
            if (file.modified < cutoff) old.push_back(file.url);
        }
        if (old.empty()) continue;
        ScanItem item;
        item.kind = JunkKind::logs;
        item.location = entry.url;
        item.bytes = freedSizes({old}, counter).front();
        item.targets = std::move(old);
        item.baseVerdict = Verdict::safe;
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace kelvora
