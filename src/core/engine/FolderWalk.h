#pragma once

#include "platform/StopToken.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace kelvora {

// A folder being read. It stays open while any batch of its names waits for
// a worker, so those names are looked up in this very folder, never again by
// a path that could since lead elsewhere.
struct WalkFolder {
    std::string path;
    size_t root = 0;                      // index of the root it lies under
    std::optional<uint64_t> parentDevice; // none for a root
    uint64_t device = 0;                  // set by a visitor that reads it
    int fd = -1;
    std::atomic<int64_t> bytes{0}; // a sum a visitor may keep for the folder
};

// The bytes an open folder's own entry takes, read from its descriptor: no lookup, and no
// right to search the folder needed. 0 when it cannot be read.
int64_t ownBlocks(int folder);

// What one walk does with what it finds. Calls come from every worker at
// once; `worker` (0 to workers - 1) lets a visitor keep state per worker
// without locks.
class FolderVisitor {
public:
    virtual ~FolderVisitor() = default;

    // Status fields file() reads (the type is always asked for).
    virtual unsigned statusMask() const = 0;
    // Whether entries of a directory-entry type (DT_REG, DT_FIFO, ...) go to file().
    virtual bool wantsFile(unsigned char type) const = 0;
    // Whether to read a folder met inside another; path is the parent's path and its name.
    virtual bool shouldEnter(int, const WalkFolder&, const std::string&, const char*) {
        return true;
    }
    // Called once a folder is open, before it is read; false leaves it unread.
    virtual bool opened(int, WalkFolder&) { return true; }
    // A folder that could not be opened.
    virtual void unopened(int, const std::string&, size_t) {}
    virtual void file(int worker, const WalkFolder& folder, const char* name,
                      const struct statx& status) = 0;
    // After each run of file() calls for one folder on one worker.
    virtual void batchDone(int, WalkFolder&) {}
    // Every entry of the folder has been handed over; its subfolders may still be read.
    virtual void folderDone(int, WalkFolder&) {}
};

// Reads folder trees on several workers. A folder is listed once, in 128 KiB
// reads; its subfolders become jobs of their own, and the names that need a
// status call go out in batches any worker may take, so one huge folder is
// shared by every worker instead of holding one while the others wait.
// Symbolic links are never followed.
struct FolderWalk {
    static constexpr size_t kBatch = 256;

    // Walks every root (reported to the visitor as root index i) on `workers`
    // threads, the caller's among them; returns once everything is read, or soon after
    // `stop` is set, with the folders and names not yet reached left unread.
    static void run(const std::vector<std::string>& roots, FolderVisitor& visitor, int workers,
                    const StopToken& stop = {});
};

} // namespace kelvora
