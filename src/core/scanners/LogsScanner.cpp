#include "engine/DiskScanner.h"
#include "platform/FileSystem.h"

namespace kelvora {

std::vector<ScanItem> DiskScanner::scanLogs(FileCounter& counter) const {
    const Date cutoff = addSeconds(now(), -logAge);
    const Listing logs = listFolder(home.appending("Library").appending("Logs"));
    if (!logs.ok()) return {};
    std::vector<ScanItem> items;
    for (const auto& entry : logs.entries) {
        // regularFiles never follows a link, so a linked log folder yields nothing.
        std::vector<URL> old;
        for (const auto& file : regularFiles(entry.url, counter)) {
            const auto modified = modificationDate(file);
            if (modified && *modified < cutoff) old.push_back(file);
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
