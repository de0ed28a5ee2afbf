#include "engine/DiskScanner.h"

#include "platform/FileSystem.h"

#include <map>

// A plain serial measure; the parallel walker replaces it.
namespace kelvora {

namespace {

struct GroupTotal {
    int64_t bytes = 0;
    std::map<std::pair<uint64_t, uint64_t>, std::pair<uint64_t, int64_t>> links;
};

void add(const FileInfo& info, GroupTotal& total, FileCounter& counter) {
    if (info.isDirectory()) {
        total.bytes += info.allocatedSize;
        for (const auto& entry : listFolder(info.url).entries)
            add(entry, total, counter);
        return;
    }
    if (info.isRegularFile()) ++counter.count;
    if (info.isRegularFile() && info.linkCount > 1) {
        auto& seen = total.links[{info.device, info.inode}];
        seen.first += 1;
        seen.second = info.allocatedSize;
        if (seen.first == info.linkCount) total.bytes += info.allocatedSize;
        return;
    }
    total.bytes += info.allocatedSize;
}

} // namespace

std::vector<int64_t> DiskScanner::freedSizes(const std::vector<std::vector<URL>>& groups,
                                             FileCounter& counter) const {
    std::vector<int64_t> sizes;
    for (const auto& group : groups) {
        GroupTotal total;
        for (const auto& url : group)
            if (auto info = fileInfo(url)) add(*info, total, counter);
        sizes.push_back(total.bytes);
    }
    return sizes;
}

} // namespace kelvora
