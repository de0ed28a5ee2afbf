#include "photos/SimilarPhotos.h"

#include "engine/DiskScanner.h"
#include "platform/FileSystem.h"
#include "platform/Hash.h"
#include "platform/Text.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <map>
#include <mutex>
#include <numeric>
#include <set>
#include <thread>
#include <tuple>
#include <unordered_set>

namespace kelvora::SimilarPhotos {

namespace {

constexpr int kProgressEvery = 50;

bool isExcludedFolder(const std::string& name) {
    static const std::set<std::string> names = {"node_modules", "venv",  ".venv",
                                                "Pods",         "build", "DerivedData"};
    return names.count(name) > 0;
}

struct Candidate {
    URL url;
    Date modified;
};

// One folder being walked, so that files and sub-folders come in listing order.
struct Frame {
    std::vector<FileInfo> entries;
    size_t next = 0;
};

using FileIdentity = std::pair<uint64_t, uint64_t>;

// Where a folder really is, wherever a link to it was named.
std::optional<FileIdentity> identityOf(const URL& folder) {
    auto info = fileInfo(folder.resolvingSymlinks());
    if (!info) return std::nullopt;
    return FileIdentity{info->device, info->inode};
}

// Overlapping folders reach the same file twice; it is one photo, never its own copy.
void collect(const URL& folder, int64_t minSize, const std::set<FileIdentity>& neverEntered,
             std::vector<Candidate>& found, std::set<FileIdentity>& seen, const StopToken& stop) {
    if (auto root = identityOf(folder); root && neverEntered.count(*root)) return;
    std::vector<Frame> stack;
    stack.push_back({listFolder(folder).entries, 0});
    while (!stack.empty() && !stop.stopped()) {
        Frame& top = stack.back();
        if (top.next == top.entries.size()) {
            stack.pop_back();
            continue;
        }
        const FileInfo entry = top.entries[top.next++];
        if (entry.hidden) continue;
        if (entry.isDirectory()) {
            if (!entry.isPackage && !isExcludedFolder(entry.name) &&
                !neverEntered.count({entry.device, entry.inode}))
                stack.push_back({listFolder(entry.url).entries, 0});
            continue;
        }
        if (!entry.isRegularFile()) continue;
        if (!types().count(lowercased(extensionOf(entry.name)))) continue;
        if (entry.logicalSize < minSize) continue;
        if (!seen.insert({entry.device, entry.inode}).second) continue;
        found.push_back({entry.url, entry.modified});
    }
}

// The prints made so far, shared by the workers.
struct Prints {
    std::vector<std::optional<FeaturePrint>> values;
    size_t done = 0;
    std::mutex lock;
};

void makePrints(const std::vector<URL>& urls, const Printer& printer, const Progress& progress,
                Prints& prints, const StopToken& stop) {
    std::atomic<size_t> nextIndex{0};
    auto work = [&] {
        for (size_t i = nextIndex++; i < urls.size() && !stop.stopped(); i = nextIndex++) {
            std::optional<FeaturePrint> print =
                printer.print ? printer.print(urls[i]) : std::nullopt;
            size_t done = 0;
            {
                std::lock_guard<std::mutex> guard(prints.lock);
                prints.values[i] = std::move(print);
                done = ++prints.done;
            }
            if (progress && done % kProgressEvery == 0)
                progress(static_cast<double>(done) / static_cast<double>(urls.size()));
        }
    };
    size_t workers = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 16);
    workers = std::min(workers, std::max<size_t>(urls.size(), 1));
    std::vector<std::thread> threads;
    for (size_t w = 1; w < workers; ++w)
        threads.emplace_back(work);
    work();
    for (auto& thread : threads)
        thread.join();
}

size_t root(std::vector<size_t>& parent, size_t x) {
    while (parent[x] != x) {
        parent[x] = parent[parent[x]];
        x = parent[x];
    }
    return x;
}

// Sets joined through any chain of neighbours within the window.
std::vector<std::vector<size_t>>
similarSets(const std::vector<std::optional<FeaturePrint>>& prints) {
    size_t n = prints.size();
    std::vector<size_t> parent(n);
    std::iota(parent.begin(), parent.end(), 0);
    for (size_t i = 0; i < n; ++i) {
        if (!prints[i]) continue;
        for (size_t j = i + 1; j < i + 1 + kWindow && j < n; ++j) {
            if (!prints[j]) continue;
            std::optional<float> distance = prints[i]->distance(*prints[j]);
            if (distance && *distance <= threshold) parent[root(parent, j)] = root(parent, i);
        }
    }
    std::map<size_t, std::vector<size_t>> byRoot;
    for (size_t i = 0; i < n; ++i)
        byRoot[root(parent, i)].push_back(i);
    std::vector<std::vector<size_t>> sets;
    for (auto& [_, members] : byRoot)
        if (members.size() >= 2) sets.push_back(std::move(members));
    return sets;
}

using Score = std::tuple<int64_t, int64_t, Date>;

Score score(const URL& url, const Printer& printer) {
    std::optional<FileInfo> info = fileInfo(url);
    int64_t pixels = printer.pixels ? printer.pixels(url) : 0;
    return {pixels, info ? info->logicalSize : 0, info ? info->modified : distantPast()};
}

Group groupOf(const std::vector<URL>& members, const Printer& printer) {
    size_t kept = 0;
    Score best = score(members[0], printer);
    for (size_t i = 1; i < members.size(); ++i) {
        Score candidate = score(members[i], printer);
        if (candidate > best) {
            best = candidate;
            kept = i;
        }
    }
    Group group{members[kept], {}, 0};
    for (size_t i = 0; i < members.size(); ++i)
        if (i != kept) group.extras.push_back(members[i]);
    std::stable_sort(group.extras.begin(), group.extras.end(), [](const URL& a, const URL& b) {
        return a.lastPathComponent() < b.lastPathComponent();
    });
    return group;
}

} // namespace

std::optional<float> FeaturePrint::distance(const FeaturePrint& other) const {
    if (values.empty() || values.size() != other.values.size()) return std::nullopt;
    double sum = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        double d = static_cast<double>(values[i]) - other.values[i];
        sum += d * d;
    }
    return static_cast<float>(std::sqrt(sum));
}

const std::set<std::string>& types() {
    static const std::set<std::string> extensions = {"heic", "jpg", "jpeg", "png"};
    return extensions;
}

std::vector<URL> photos(const std::vector<URL>& folders, int64_t minSize, int64_t limit,
                        const std::vector<URL>& neverEntered, const StopToken& stop) {
    std::set<FileIdentity> skipped;
    for (const URL& folder : neverEntered)
        if (auto identity = identityOf(folder)) skipped.insert(*identity);
    std::vector<Candidate> found;
    std::set<FileIdentity> seen;
    for (const URL& folder : folders)
        collect(folder, minSize, skipped, found, seen, stop);
    std::stable_sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) {
        return a.modified > b.modified;
    });
    std::vector<URL> urls;
    for (const Candidate& candidate : found) {
        if (static_cast<int64_t>(urls.size()) >= limit) break;
        urls.push_back(candidate.url);
    }
    return urls;
}

std::vector<Group> find(const std::vector<URL>& given, const Printer& printer,
                        const Progress& progress, const StopToken& stop) {
    // A photo listed twice would otherwise be grouped with itself and shelved as its own copy.
    std::vector<URL> urls;
    std::unordered_set<URL> listed;
    for (const URL& url : given)
        if (listed.insert(url).second) urls.push_back(url);

    Prints prints;
    prints.values.resize(urls.size());
    makePrints(urls, printer, progress, prints, stop);
    if (stop.stopped()) return {};

    std::vector<Group> groups;
    for (const auto& set : similarSets(prints.values)) {
        std::vector<URL> members;
        for (size_t index : set)
            members.push_back(urls[index]);
        groups.push_back(groupOf(members, printer));
    }
    if (progress) progress(1.0);

    std::vector<std::vector<URL>> extras;
    for (const Group& group : groups)
        extras.push_back(group.extras);
    FileCounter counter;
    DiskScanner measurer = DiskScanner::live();
    measurer.stop = stop;
    std::vector<int64_t> bytes = measurer.freedSizes(extras, counter);
    if (stop.stopped()) return {};
    for (size_t i = 0; i < groups.size(); ++i)
        groups[i].bytes = bytes[i];

    std::erase_if(groups, [](const Group& group) { return group.bytes < 1; });
    std::stable_sort(groups.begin(), groups.end(),
                     [](const Group& a, const Group& b) { return a.bytes > b.bytes; });
    return groups;
}

std::vector<ScanItem> items(const std::vector<Group>& groups) {
    std::vector<ScanItem> items;
    for (const Group& group : groups) {
        std::vector<URL> extras = group.extras;
        std::erase(extras, group.keep);
        if (extras.empty() || !fileExists(group.keep.path())) continue;
        ScanItem item;
        item.kind = JunkKind::photos;
        item.location = extras.front();
        item.targets = extras;
        item.bytes = group.bytes;
        item.baseVerdict = Verdict::youDecide;
        item.record = ScanItem::PhotoInfo{group.keep.lastPathComponent(),
                                          static_cast<int>(extras.size()), 0, group.keep};
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace kelvora::SimilarPhotos

std::size_t std::hash<kelvora::SimilarPhotos::Group>::operator()(
    const kelvora::SimilarPhotos::Group& group) const noexcept {
    return kelvora::hashAll(group.keep, group.extras, group.bytes);
}
