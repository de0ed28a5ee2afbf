#include "spacemap/SpaceMap.h"
#include "platform/Saturating.h"

#include "engine/FolderWalk.h"
#include "engine/ParallelWalk.h"
#include "platform/FileSystem.h"
#include "platform/Hash.h"
#include "spacemap/KernelFileSystem.h"

#include <algorithm>
#include <atomic>
#include <mutex>

namespace kelvora {

namespace {

constexpr int64_t kProgressEvery = 5000;

std::string resolvedPath(const URL& url) {
    return url.resolvingSymlinks().path();
}

uint64_t deviceOf(const struct statx& status) {
    return (static_cast<uint64_t>(status.stx_dev_major) << 32) | status.stx_dev_minor;
}

size_t depthOf(const std::string& path) {
    return static_cast<size_t>(std::count(path.begin(), path.end(), '/'));
}

// Sums the files each folder holds directly; every worker counts on its own and
// hands its sums to the folder once per batch of names.
class MapVisitor final : public FolderVisitor {
public:
    MapVisitor(const std::unordered_set<std::string>& skipped, int workers,
               const SpaceMap::Progress& progress)
        : skipped_(skipped), workers_(workers), progress_(progress) {}

    unsigned statusMask() const override { return STATX_BLOCKS; }
    // Whatever is neither a folder nor a link counts as a file.
    bool wantsFile(unsigned char type) const override { return type != DT_DIR && type != DT_LNK; }

    bool shouldEnter(int worker, const WalkFolder&, const std::string& path, const char*) override {
        if (!skipped_.count(path)) return true;
        workers_[worker].privateFolders.push_back(path);
        return false;
    }

    // A folder's own blocks count with what it holds, as removing it frees them too.
    bool opened(int worker, WalkFolder& folder) override {
        struct statx status {};
        // Looking up "." needs the right to search the folder, as every status call inside does.
        if (statx(folder.fd, ".", AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_BLOCKS, &status) != 0) {
            // Names without anything about them are a refusal, unless there are no names.
            if (listFolder(URL::fileURL(folder.path, true)).ok()) {
                workers_[worker].folders.emplace_back(folder.path, ownBlocks(folder.fd));
            } else {
                workers_[worker].privateFolders.push_back(folder.path);
            }
            return false;
        }
        folder.device = deviceOf(status);
        // A folder on another device than its parent may be a pseudo file system's mount point.
        if (folder.device != folder.parentDevice && isKernelFileSystem(folder.fd)) {
            workers_[worker].privateFolders.push_back(folder.path);
            return false;
        }
        folder.bytes += static_cast<int64_t>(status.stx_blocks) * 512;
        return true;
    }

    void unopened(int worker, const std::string& path, size_t) override {
        workers_[worker].privateFolders.push_back(path);
    }

    void file(int worker, const WalkFolder&, const char*, const struct statx& status) override {
        auto& mine = workers_[worker];
        addSaturating(mine.bytes, static_cast<int64_t>(status.stx_blocks) * 512);
        ++mine.files;
    }

    void batchDone(int worker, WalkFolder& folder) override {
        auto& mine = workers_[worker];
        folder.bytes += mine.bytes;
        count(mine.files);
        mine.bytes = 0;
        mine.files = 0;
    }

    void folderDone(int worker, WalkFolder& folder) override {
        workers_[worker].folders.emplace_back(folder.path, folder.bytes.load());
    }

    int64_t filesMeasured() const { return filesMeasured_.load(); }

    // Every folder's size: what it holds directly plus the sizes of its subfolders.
    std::unordered_map<std::string, int64_t> folderSizes() const {
        std::vector<std::pair<std::string, int64_t>> all;
        for (const auto& worker : workers_)
            all.insert(all.end(), worker.folders.begin(), worker.folders.end());
        std::unordered_map<std::string, int64_t> sizes(all.begin(), all.end());
        std::sort(all.begin(), all.end(),
                  [](const auto& a, const auto& b) { return depthOf(a.first) > depthOf(b.first); });
        // Deepest first, so a folder is complete by the time it is added to its parent.
        for (const auto& [path, direct] : all) {
            auto parent = sizes.find(parentPath(path));
            if (parent != sizes.end() && parent->first != path)
                addSaturating(parent->second, sizes[path]);
        }
        return sizes;
    }

    std::vector<std::string> unmeasured() const {
        std::vector<std::string> paths;
        for (const auto& worker : workers_)
            paths.insert(paths.end(), worker.privateFolders.begin(), worker.privateFolders.end());
        return paths;
    }

private:
    struct alignas(64) Worker {
        int64_t bytes = 0;
        int64_t files = 0;
        std::vector<std::pair<std::string, int64_t>> folders;
        std::vector<std::string> privateFolders;
    };

    // Reports each multiple of 5,000 once and in order, whichever worker passes it.
    void count(int64_t files) {
        if (files == 0) return;
        const int64_t after = filesMeasured_.fetch_add(files) + files;
        if (!progress_ || after / kProgressEvery == (after - files) / kProgressEvery) return;
        std::lock_guard guard(progressLock_);
        const int64_t now = filesMeasured_.load();
        while (reported_ + kProgressEvery <= now) {
            reported_ += kProgressEvery;
            progress_(reported_);
        }
    }

    const std::unordered_set<std::string>& skipped_;
    std::vector<Worker> workers_;
    const SpaceMap::Progress& progress_;
    std::atomic<int64_t> filesMeasured_{0};
    std::mutex progressLock_;
    int64_t reported_ = 0;
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
                                                  const Progress& progress, const StopToken& stop) {
    std::shared_ptr<SpaceMap> map(new SpaceMap(root, skipping));
    map->walk(progress, stop);
    if (progress) progress(map->filesMeasured_);
    return map;
}

void SpaceMap::walk(const Progress& progress, const StopToken& stop) {
    const std::string& rootPath = root_.path();
    if (skipped_.count(rootPath)) {
        privateFolders_.insert(rootPath);
        return;
    }
    const int workers = walkWorkerCount();
    MapVisitor visitor(skipped_, workers, progress);
    FolderWalk::run({rootPath}, visitor, workers, stop);
    filesMeasured_ = visitor.filesMeasured();
    folderSizes_ = visitor.folderSizes();
    for (auto& path : visitor.unmeasured())
        privateFolders_.insert(std::move(path));
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
