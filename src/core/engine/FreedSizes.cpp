#include "engine/DiskScanner.h"
#include "engine/FastSize.h"
#include "engine/LongPath.h"
#include "engine/PathRules.h"

#include <algorithm>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unordered_map>

namespace kelvora {
namespace {

// Where a URL really lies: its parent folder with links resolved, its own name
// kept, so that a link is still compared as the link it is.
class PlaceResolver {
public:
    std::string place(const URL& url) {
        const URL standard = url.standardized();
        if (standard.path() == "/") return "/";
        const std::string parent = parentPath(standard.path());
        auto [position, inserted] = parents_.try_emplace(parent);
        if (inserted) position->second = URL::fileURL(parent).resolvingSymlinks().path();
        return joinPath(position->second, standard.lastPathComponent());
    }

private:
    std::unordered_map<std::string, std::string> parents_;
};

// A group that names a folder and something inside it would count the inner
// part twice; keep only the outermost of overlapping URLs.
std::vector<URL> outermost(const std::vector<URL>& group, PlaceResolver& resolver) {
    if (group.size() < 2) return group;
    std::vector<std::pair<std::string, size_t>> places;
    places.reserve(group.size());
    for (size_t i = 0; i < group.size(); ++i)
        places.emplace_back(resolver.place(group[i]), i);
    // In walk order whatever lies inside a place follows it directly.
    std::sort(places.begin(), places.end(),
              [](const auto& a, const auto& b) { return walkOrder(a.first, b.first); });
    std::vector<size_t> kept;
    const std::string* last = nullptr;
    for (const auto& [place, index] : places) {
        if (last && isSameOrInside(place, *last)) continue;
        kept.push_back(index);
        last = &place;
    }
    std::sort(kept.begin(), kept.end());
    std::vector<URL> result;
    result.reserve(kept.size());
    for (size_t index : kept)
        result.push_back(group[index]);
    return result;
}

FastSize::Entry fileEntry(const URL& url, const struct statx& status) {
    FastSize::Entry entry;
    entry.name = url.lastPathComponent();
    entry.type = FastSize::kRegularFile;
    entry.device = static_cast<int32_t>(makedev(status.stx_dev_major, status.stx_dev_minor));
    entry.fileID = status.stx_ino;
    entry.links = status.stx_nlink;
    entry.allocated = static_cast<int64_t>(status.stx_blocks) * 512;
    return entry;
}

} // namespace

std::vector<DiskScanner::Measured> DiskScanner::measure(const std::vector<std::vector<URL>>& groups,
                                                        FileCounter& counter) const {
    std::vector<FastSize::Total> fileTotals(groups.size());
    std::vector<std::vector<std::string>> folders(groups.size());
    bool anyFolder = false;
    PlaceResolver resolver;
    for (size_t group = 0; group < groups.size(); ++group) {
        for (const auto& url : outermost(groups[group], resolver)) {
            if (!url.isFileURL()) continue;
            struct statx status {};
            const unsigned mask = STATX_TYPE | STATX_INO | STATX_NLINK | STATX_BLOCKS;
            if (!statLongPath(url.path(), mask, status)) continue;
            if (S_ISDIR(status.stx_mode)) {
                folders[group].push_back(url.path());
                anyFolder = true;
            } else if (S_ISREG(status.stx_mode)) {
                fileTotals[group].add(fileEntry(url, status));
            }
        }
    }
    const auto walked =
        anyFolder ? FastSize::walk(folders, stop) : std::vector<FastSize::Total>(groups.size());
    std::vector<Measured> measured;
    measured.reserve(groups.size());
    for (size_t group = 0; group < groups.size(); ++group) {
        FastSize::Total total = fileTotals[group];
        total.merge(walked[group]);
        counter.count += total.files;
        measured.push_back({total.freed(), total.files, total.freedByFiles()});
    }
    return measured;
}

std::vector<int64_t> DiskScanner::freedSizes(const std::vector<std::vector<URL>>& groups,
                                             FileCounter& counter) const {
    std::vector<int64_t> sizes;
    sizes.reserve(groups.size());
    for (const auto& group : measure(groups, counter))
        sizes.push_back(group.bytes);
    return sizes;
}

} // namespace kelvora
