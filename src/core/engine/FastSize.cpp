#include "engine/FastSize.h"
#include "engine/FolderWalk.h"
#include "engine/ParallelWalk.h"
#include "platform/Mounts.h"
#include "platform/Saturating.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <utility>

namespace kelvora {
namespace {

FastSize::Entry entryOf(const struct statx& status) {
    FastSize::Entry entry;
    if (S_ISREG(status.stx_mode)) {
        entry.type = FastSize::kRegularFile;
    } else if (S_ISDIR(status.stx_mode)) {
        entry.type = FastSize::kDirectory;
    } else if (S_ISLNK(status.stx_mode)) {
        entry.type = FastSize::kSymbolicLink;
    } else {
        entry.type = FastSize::kOther;
    }
    entry.device = static_cast<int32_t>(makedev(status.stx_dev_major, status.stx_dev_minor));
    entry.fileID = status.stx_ino;
    entry.links = (status.stx_mask & STATX_NLINK) ? status.stx_nlink : 1;
    entry.allocated =
        (status.stx_mask & STATX_BLOCKS) ? static_cast<int64_t>(status.stx_blocks) * 512 : 0;
    return entry;
}

// One statx per regular file, asking only for what the totals need and
// never waiting on a remote file system to settle its attributes.
std::optional<FastSize::Entry> statEntry(int folder, const char* name) {
    struct statx status {};
    const unsigned mask = STATX_TYPE | STATX_INO | STATX_NLINK | STATX_BLOCKS;
    if (statx(folder, name, AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC, mask, &status) != 0) {
        return std::nullopt;
    }
    return entryOf(status);
}

// Calls visit(name, entry) for every direct entry of the folder. Directories
// come from the entry type alone; only regular files (and entries whose type
// the file system leaves unknown) cost a status call. Returns false when the
// folder could not be opened or nothing at all could be read.
template <class Visit>
bool forEachEntry(const std::string& path, std::vector<char>& buffer, Visit&& visit) {
    const OpenFolder folder(path);
    return folder.forEach(buffer, [&](const char* name, unsigned char type) {
        if (type == DT_REG || type == DT_UNKNOWN) {
            if (auto entry = statEntry(folder.fd(), name)) visit(name, *entry);
            return;
        }
        FastSize::Entry entry;
        entry.type = type == DT_DIR   ? FastSize::kDirectory
                     : type == DT_LNK ? FastSize::kSymbolicLink
                                      : FastSize::kOther;
        visit(name, entry);
    });
}

std::string linkKey(const FastSize::Entry& entry) {
    return std::to_string(entry.device) + ":" + std::to_string(entry.fileID);
}

} // namespace

void FastSize::Total::add(const Entry& entry) {
    files += 1;
    const int64_t size = entry.privateSize.value_or(entry.allocated);
    if (entry.links < 2) {
        addSaturating(bytes, size);
        return;
    }
    auto [position, inserted] =
        linked.try_emplace(linkKey(entry), Linked{static_cast<int64_t>(entry.links), 1, size});
    if (!inserted) {
        position->second.seen += 1;
    }
}

void FastSize::Total::addFolder(int64_t allocated) {
    addSaturating(folders, allocated);
}

void FastSize::Total::merge(const Total& other) {
    addSaturating(bytes, other.bytes);
    addSaturating(folders, other.folders);
    files += other.files;
    for (const auto& [key, triple] : other.linked) {
        auto [position, inserted] = linked.try_emplace(key, triple);
        if (!inserted) {
            position->second.seen += triple.seen;
        }
    }
}

int64_t FastSize::Total::freed() const {
    int64_t result = freedByFiles();
    addSaturating(result, folders);
    return result;
}

int64_t FastSize::Total::freedByFiles() const {
    int64_t result = bytes;
    for (const auto& [key, triple] : linked) {
        if (triple.seen >= triple.links) {
            addSaturating(result, triple.bytes);
        }
    }
    return result;
}

std::optional<std::vector<FastSize::Entry>> FastSize::read(const std::string& folder) {
    std::vector<char> buffer;
    std::vector<Entry> entries;
    const bool readAny = forEachEntry(folder, buffer, [&](const char* name, const Entry& entry) {
        entries.push_back(entry);
        entries.back().name = name;
    });
    if (!readAny) {
        return std::nullopt;
    }
    return entries;
}

namespace {

// Adds every folder's own blocks and every regular file to the total of the group its
// root belongs to, each worker into totals of its own.
class SizeVisitor final : public FolderVisitor {
public:
    SizeVisitor(std::vector<size_t> rootGroups, size_t groups, int workers)
        : rootGroups_(std::move(rootGroups)),
          totals_(workers, std::vector<FastSize::Total>(groups)) {}

    unsigned statusMask() const override { return STATX_INO | STATX_NLINK | STATX_BLOCKS; }
    bool wantsFile(unsigned char type) const override { return type == DT_REG; }
    // A file system mounted inside what is measured is not removed with it (a clean-up
    // leaves it whole), so none of it is counted. The mount, not the disk, is compared, as
    // a bind mount shows the same disk.
    bool opened(int worker, WalkFolder& folder) override {
        const auto place = mountPlaceOf(folder.fd);
        folder.device = place ? place->mount : 0;
        if (folder.parentDevice && folder.device != *folder.parentDevice) return false;
        totals_[worker][rootGroups_[folder.root]].addFolder(ownBlocks(folder.fd));
        return true;
    }
    void file(int worker, const WalkFolder& folder, const char*,
              const struct statx& status) override {
        totals_[worker][rootGroups_[folder.root]].add(entryOf(status));
    }

    std::vector<FastSize::Total> merged() const {
        std::vector<FastSize::Total> result(totals_.empty() ? 0 : totals_.front().size());
        for (size_t group = 0; group < result.size(); ++group)
            for (const auto& workerTotals : totals_)
                result[group].merge(workerTotals[group]);
        return result;
    }

private:
    std::vector<size_t> rootGroups_;
    std::vector<std::vector<FastSize::Total>> totals_;
};

} // namespace

std::vector<FastSize::Total> FastSize::walk(const std::vector<std::vector<std::string>>& groups,
                                            const StopToken& stop) {
    std::vector<std::string> roots;
    std::vector<size_t> rootGroups;
    for (size_t group = 0; group < groups.size(); ++group) {
        for (const auto& path : groups[group]) {
            roots.push_back(path);
            rootGroups.push_back(group);
        }
    }
    const int workers = walkWorkerCount();
    SizeVisitor visitor(std::move(rootGroups), groups.size(), workers);
    FolderWalk::run(roots, visitor, workers, stop);
    return visitor.merged();
}

} // namespace kelvora
