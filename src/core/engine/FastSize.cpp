#include "engine/FastSize.h"

#include <algorithm>
#include <condition_variable>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sched.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace kelvora {
namespace {

constexpr size_t kBufferSize = 0x20000;

struct DirentHeader {
    uint64_t inode;
    int64_t offset;
    unsigned short length;
    unsigned char type;
    char name[];
};

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

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
    const int folder = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        return false;
    }
    buffer.resize(kBufferSize);
    bool readAny = false;
    for (;;) {
        const ssize_t length = getdents64(folder, buffer.data(), buffer.size());
        if (length <= 0) {
            break;
        }
        readAny = true;
        for (ssize_t offset = 0; offset < length;) {
            const auto* record = reinterpret_cast<const DirentHeader*>(buffer.data() + offset);
            offset += record->length;
            if (isDotOrDotDot(record->name)) {
                continue;
            }
            if (record->type == DT_DIR) {
                FastSize::Entry entry;
                entry.type = FastSize::kDirectory;
                entry.fileID = record->inode;
                visit(record->name, entry);
            } else if (record->type == DT_REG || record->type == DT_UNKNOWN) {
                if (auto entry = statEntry(folder, record->name)) {
                    visit(record->name, *entry);
                }
            } else {
                FastSize::Entry entry;
                entry.type = record->type == DT_LNK ? FastSize::kSymbolicLink : FastSize::kOther;
                entry.fileID = record->inode;
                visit(record->name, entry);
            }
        }
    }
    close(folder);
    return readAny;
}

std::string linkKey(const FastSize::Entry& entry) {
    return std::to_string(entry.device) + ":" + std::to_string(entry.fileID);
}

struct WorkQueue {
    std::vector<std::pair<size_t, std::string>> pending;
    int busy = 0;
    std::mutex lock;
    std::condition_variable condition;
};

void runWorker(WorkQueue& queue, std::vector<FastSize::Total>& totals) {
    std::vector<char> buffer;
    std::vector<std::pair<size_t, std::string>> found;
    for (;;) {
        std::pair<size_t, std::string> job;
        {
            std::unique_lock guard(queue.lock);
            queue.condition.wait(guard, [&] { return !queue.pending.empty() || queue.busy == 0; });
            if (queue.pending.empty()) {
                return;
            }
            job = std::move(queue.pending.back());
            queue.pending.pop_back();
            ++queue.busy;
        }
        const auto& [group, path] = job;
        found.clear();
        forEachEntry(path, buffer, [&](const char* name, const FastSize::Entry& entry) {
            if (entry.type == FastSize::kRegularFile) {
                totals[group].add(entry);
            } else if (entry.type == FastSize::kDirectory) {
                found.emplace_back(group, path + "/" + name);
            }
        });
        {
            std::lock_guard guard(queue.lock);
            for (auto& folder : found) {
                queue.pending.push_back(std::move(folder));
            }
            --queue.busy;
        }
        queue.condition.notify_all();
    }
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

int FastSize::workerCount() {
    int processors = 0;
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof(set), &set) == 0) {
        processors = CPU_COUNT(&set);
    }
    if (processors < 1) {
        processors = static_cast<int>(std::thread::hardware_concurrency());
    }
    return std::clamp(processors, 1, 8);
}

std::vector<FastSize::Total> FastSize::walk(const std::vector<std::vector<std::string>>& groups) {
    WorkQueue queue;
    for (size_t group = 0; group < groups.size(); ++group) {
        for (const auto& path : groups[group]) {
            queue.pending.emplace_back(group, path);
        }
    }
    const int workers = workerCount();
    std::vector<std::vector<Total>> totals(workers, std::vector<Total>(groups.size()));
    std::vector<std::thread> threads;
    threads.reserve(workers - 1);
    for (int worker = 1; worker < workers; ++worker) {
        threads.emplace_back([&queue, &totals, worker] { runWorker(queue, totals[worker]); });
    }
    runWorker(queue, totals[0]);
    for (auto& thread : threads) {
        thread.join();
    }
    std::vector<Total> merged(groups.size());
    for (size_t group = 0; group < groups.size(); ++group) {
        for (const auto& workerTotals : totals) {
            merged[group].merge(workerTotals[group]);
        }
    }
    return merged;
}

} // namespace kelvora
