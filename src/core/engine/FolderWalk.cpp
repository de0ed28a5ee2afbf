#include "engine/FolderWalk.h"
#include "engine/ParallelWalk.h"
#include "platform/Url.h"

#include <algorithm>
#include <fcntl.h>
#include <memory>
#include <variant>

namespace kelvora {
namespace {

// A folder together with the handle that keeps it open and the count of jobs
// still reading it: its listing and each batch of its names.
struct OpenWalkFolder : WalkFolder {
    explicit OpenWalkFolder(const std::string& folderPath) : handle(folderPath) {
        path = folderPath;
        fd = handle.fd();
    }
    OpenFolder handle;
    uint64_t serial = 0;
    int lister = 0; // the worker reading its entries
    std::atomic<int> unfinished{1};
};

// A worker's own handle on the folder whose names it is looking up. Status
// calls through one handle shared by many threads all count references on it,
// and those counts then bounce between processors. "." of an open folder is
// that very folder, wherever it has since moved.
class OwnHandle {
public:
    OwnHandle() = default;
    OwnHandle(const OwnHandle&) = delete;
    OwnHandle& operator=(const OwnHandle&) = delete;
    ~OwnHandle() { reset(); }

    int fdFor(const OpenWalkFolder& folder) {
        if (serial_ != folder.serial) {
            reset();
            fd_ = openat(folder.fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            serial_ = folder.serial;
        }
        return fd_ >= 0 ? fd_ : folder.fd;
    }

private:
    void reset() {
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
    }
    uint64_t serial_ = 0;
    int fd_ = -1;
};

struct ListJob {
    std::string path;
    size_t root = 0;
    std::optional<uint64_t> parentDevice;
};

// Names of one folder, each ended by a zero byte.
struct StatJob {
    std::shared_ptr<OpenWalkFolder> folder;
    std::string names;
};

using WalkJob = std::variant<ListJob, StatJob>;

constexpr int kStatusFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC;

class Walk {
public:
    Walk(FolderVisitor& visitor, int workers, const StopToken& stop)
        : visitor_(visitor), stop_(stop), pool_(workers, stop), buffers_(pool_.workers()),
          handles_(pool_.workers()), mask_(visitor.statusMask() | STATX_TYPE) {}

    void run(const std::vector<std::string>& roots) {
        // The first root is the newest job of worker 0, so it is read first.
        for (size_t root = roots.size(); root-- > 0;)
            pool_.push(0, ListJob{roots[root], root, std::nullopt});
        pool_.run([this](int worker, WalkJob& job) {
            if (auto* list = std::get_if<ListJob>(&job)) {
                read(worker, *list);
            } else {
                auto& batch = std::get<StatJob>(job);
                const int fd = worker == batch.folder->lister
                                   ? batch.folder->fd
                                   : handles_[worker].fdFor(*batch.folder);
                statNames(worker, *batch.folder, fd, batch.names);
                finish(worker, *batch.folder);
            }
        });
    }

private:
    void read(int worker, const ListJob& job) {
        auto folder = std::make_shared<OpenWalkFolder>(job.path);
        folder->root = job.root;
        folder->parentDevice = job.parentDevice;
        folder->serial = nextSerial_.fetch_add(1);
        folder->lister = worker;
        if (!folder->handle.isOpen()) {
            visitor_.unopened(worker, job.path, job.root);
            return;
        }
        if (!visitor_.opened(worker, *folder)) return;
        std::string names;
        size_t count = 0;
        folder->handle.forEach(buffers_[worker], stop_, [&](const char* name, unsigned char type) {
            if (type == DT_DIR) {
                enter(worker, *folder, name);
                return;
            }
            if (type == DT_LNK || (type != DT_UNKNOWN && !visitor_.wantsFile(type))) return;
            names.append(name).push_back('\0');
            if (++count < FolderWalk::kBatch) return;
            folder->unfinished.fetch_add(1);
            pool_.push(worker, StatJob{folder, std::move(names)}, WorkPool<WalkJob>::Lane::soon);
            names.clear();
            count = 0;
        });
        // The last, partial batch is not worth handing over.
        statNames(worker, *folder, folder->fd, names);
        finish(worker, *folder);
    }

    void enter(int worker, const WalkFolder& parent, const char* name) {
        std::string path = joinPath(parent.path, name);
        if (!visitor_.shouldEnter(worker, parent, path, name)) return;
        pool_.push(worker, ListJob{std::move(path), parent.root, parent.device});
    }

    void statNames(int worker, OpenWalkFolder& folder, int fd, const std::string& names) {
        if (names.empty()) return;
        for (size_t at = 0; at < names.size() && !stop_.stopped(); at = names.find('\0', at) + 1) {
            const char* name = names.c_str() + at;
            struct statx status {};
            if (statx(fd, name, kStatusFlags, mask_, &status) != 0) continue;
            const unsigned char type = IFTODT(status.stx_mode);
            if (type == DT_DIR) {
                enter(worker, folder, name);
            } else if (type != DT_LNK && visitor_.wantsFile(type)) {
                visitor_.file(worker, folder, name, status);
            }
        }
        visitor_.batchDone(worker, folder);
    }

    void finish(int worker, OpenWalkFolder& folder) {
        if (folder.unfinished.fetch_sub(1) == 1) visitor_.folderDone(worker, folder);
    }

    FolderVisitor& visitor_;
    const StopToken stop_;
    WorkPool<WalkJob> pool_;
    std::vector<std::vector<char>> buffers_;
    std::vector<OwnHandle> handles_;
    const unsigned mask_;
    std::atomic<uint64_t> nextSerial_{1};
};

} // namespace

int64_t ownBlocks(int folder) {
    struct statx status {};
    if (statx(folder, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, STATX_BLOCKS, &status) != 0) return 0;
    return static_cast<int64_t>(status.stx_blocks) * 512;
}

void FolderWalk::run(const std::vector<std::string>& roots, FolderVisitor& visitor, int workers,
                     const StopToken& stop) {
    Walk(visitor, workers, stop).run(roots);
}

} // namespace kelvora
