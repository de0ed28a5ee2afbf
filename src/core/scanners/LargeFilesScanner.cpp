#include "engine/DiskScanner.h"

#include <algorithm>
#include <unordered_map>

namespace kelvora {
namespace {

struct File {
    const DiskScanner::Candidate* first = nullptr;
    std::vector<URL> links;
};

// One entry per file, its hard links gathered in candidate order.
std::vector<File> filesOf(const std::vector<DiskScanner::Candidate>& candidates) {
    std::vector<File> files;
    std::unordered_map<std::string, size_t> index;
    for (const auto& candidate : candidates) {
        auto [position, inserted] = index.try_emplace(candidate.inode, files.size());
        if (inserted) files.push_back({&candidate, {}});
        files[position->second].links.push_back(candidate.url);
    }
    return files;
}

} // namespace

std::vector<ScanItem> DiskScanner::scanLargeAndOld(const std::vector<Candidate>& candidates,
                                                   Date cutoff) const {
    std::vector<ScanItem> items;
    for (const auto& file : filesOf(candidates)) {
        const Candidate& candidate = *file.first;
        // A file is as large as both its length and the blocks it takes: a sparse file is as
        // small as what it holds, and a file one byte short of a size never reaches it
        // through the rounding of its last block.
        const int64_t occupied = candidate.allocated;
        const int64_t judged = std::min(candidate.size, occupied);
        if (judged < oldSize || occupied < 1) continue;
        // Removing some links of a file frees nothing while others remain.
        if (file.links.size() < candidate.links) continue;
        std::optional<Date> recorded;
        if (appUsage) {
            if (auto usage = appUsage(candidate.url)) recorded = usage->lastOpened;
        }
        const std::optional<Date> lastOpened =
            lastOpenedDate(recorded, candidate.accessed, candidate.modified);
        const Date lastUse = lastOpened.value_or(candidate.modified);
        if (judged < largeSize && !(lastUse < cutoff)) continue;
        ScanItem item;
        item.kind = JunkKind::largeFiles;
        item.location = candidate.url;
        item.targets = file.links;
        item.bytes = occupied;
        item.baseVerdict = Verdict::youDecide;
        item.record =
            ScanItem::LargeFileInfo{judged < largeSize ? ScanItem::LargeFileInfo::Reason::old
                                                       : ScanItem::LargeFileInfo::Reason::large,
                                    lastOpened, candidate.modified};
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace kelvora
