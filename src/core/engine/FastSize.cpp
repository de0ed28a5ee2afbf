#include "engine/FastSize.h"
#include "engine/ParallelWalk.h"

#include <algorithm>
#include <sched.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace kelvora {
namespace {

// One statx per regular file, asking only for what the totals need and
// never waiting on a remote file system to settle its attributes.
std::optional<FastSize::Entry> statEntry(int folder, const char* name) {
    struct statx status {};
    const unsigned mask = STATX_TYPE | STATX_INO | STATX_NLINK | STATX_BLOCKS;
    if (statx(folder, name, AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC, mask, &status) != 0) {
        return std::nullopt;
    }
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
        bytes += size;
        return;
    }
    auto [position, inserted] =
        linked.try_emplace(linkKey(entry), Linked{static_cast<int64_t>(entry.links), 1, size});
    if (!inserted) {
        position->second.seen += 1;
    }
}

void FastSize::Total::merge(const Total& other) {
    bytes += other.bytes;
    files += other.files;
    for (const auto& [key, triple] : other.linked) {
        auto [position, inserted] = linked.try_emplace(key, triple);
        if (!inserted) {
            position->second.seen += triple.seen;
        }
    }
}

int64_t FastSize::Total::freed() const {
    int64_t result = bytes;
    for (const auto& [key, triple] : linked) {
        if (triple.seen >= triple.links) {
            result += triple.bytes;
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

int walkWorkerCount() {
    int processors = 0;
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof(set), &set) == 0) processors = CPU_COUNT(&set);
    if (processors < 1) processors = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(processors, 1, 8);
}

std::vector<FastSize::Total> FastSize::walk(const std::vector<std::vector<std::string>>& groups) {
    using Job = std::pair<size_t, std::string>;
    std::vector<Job> jobs;
    for (size_t group = 0; group < groups.size(); ++group)
        for (const auto& path : groups[group])
            jobs.emplace_back(group, path);
    const int workers = walkWorkerCount();
    // Each worker counts into totals of its own; they are merged once all have stopped.
    std::vector<std::vector<Total>> totals(workers, std::vector<Total>(groups.size()));
    std::vector<std::vector<char>> buffers(workers);
    runInParallel(
        std::move(jobs), workers, [&](int worker, const Job& job, std::vector<Job>& found) {
            const auto& [group, path] = job;
            forEachEntry(path, buffers[worker], [&](const char* name, const Entry& entry) {
                if (entry.type == kRegularFile) {
                    totals[worker][group].add(entry);
                } else if (entry.type == kDirectory) {
                    found.emplace_back(group, path + "/" + name);
                }
            });
        });
    std::vector<Total> merged(groups.size());
    for (size_t group = 0; group < groups.size(); ++group)
        for (const auto& workerTotals : totals)
            merged[group].merge(workerTotals[group]);
    return merged;
}

} // namespace kelvora
