#pragma once

#include "clean/UndoShelf.h"
#include "platform/FileSystem.h"
#include "platform/FolderHandle.h"
#include "platform/StopToken.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace kelvora {

// An exclusive lock on the shelf's root folder for one operation. Separate open
// descriptions exclude each other, so this works between threads and processes alike.
class ShelfLock {
public:
    explicit ShelfLock(const FolderHandle& root);
    ~ShelfLock();
    ShelfLock(const ShelfLock&) = delete;
    ShelfLock& operator=(const ShelfLock&) = delete;

private:
    int fd_;
};

struct LoadedSweep {
    UndoShelf::Sweep sweep;
    // A clean-up cut short: read back from its plan, or from its stored items alone when it
    // was cut before its plan was written.
    bool cutShort = false;
    // A manifest with nothing left stored: every file went back or was taken away, and only
    // the folder's removal was cut short.
    bool finished = false;
    // Its manifest or plan where either is there but was not read whole: never written over
    // nor removed before it is kept aside.
    std::vector<std::string> unreadRecords;
};

// A clean-up's folder as it stands: its manifest, or for a clean-up cut short, its plan
// checked against what its items folder holds (a planned file that never moved is left
// out), or with neither, its stored items. None when no manifest or plan describes a
// clean-up of this folder's own name, or, with neither, the name is not one a clean-up takes.
std::optional<LoadedSweep> loadSweep(const FolderHandle& folder, const std::string& name);

// Every stored item of a clean-up but those named, each as an entry of its own that shows
// its stored name (made readable when it is not text) and has no known place to go back to:
// what is left when no manifest lists it.
std::vector<UndoShelf::Entry>
unlistedEntries(const FolderHandle& items, const std::unordered_set<std::string_view>& except = {});

// Half-written copies of a manifest or plan, left by a write that was cut short.
void removeStaleTemporaries(const FolderHandle& folder);

FileResult writeManifest(const FolderHandle& folder, const UndoShelf::Sweep& sweep);
FileResult writePlan(const FolderHandle& folder, const UndoShelf::Sweep& sweep);
// Makes the clean-up as it now stands its manifest; a plan is no longer needed after that.
FileResult settle(const FolderHandle& folder, const UndoShelf::Sweep& sweep);
// Keeps a manifest or plan of a clean-up as it was loaded that was not read whole beside
// itself under a name of its own ("manifest.json.damaged", then ".damaged-2" and so on), so
// what could not be read is never lost: before anything changes what it tells of.
FileResult keepUnreadRecords(const FolderHandle& folder, LoadedSweep& loaded);
// Settles a clean-up as it was loaded, its records not read whole kept first; nothing is
// written when they cannot be kept.
FileResult settle(const FolderHandle& folder, const UndoShelf::Sweep& sweep, LoadedSweep& loaded);
// The manifest and plan there are, all taken as not read whole: for a clean-up that could not
// be loaded.
std::vector<std::string> recordsIn(const FolderHandle& folder);

// Items first and the manifest last: a removal cut short (by a crash, or once `stop` is set,
// at the file in hand) leaves a listed clean-up that the next purge finishes, never an
// unlisted folder that nothing would remove.
FileResult removeSweepFolder(const FolderHandle& root, const std::string& name,
                             const FolderHandle& folder, const StopToken& stop = {});
// The folder of a clean-up whose every file went back: removed only while its items folder
// is empty, so that nothing stored, listed or not, goes with it.
FileResult removeFinishedSweepFolder(const FolderHandle& root, const std::string& name,
                                     const FolderHandle& folder);

// What the stored files hold, measured as a removal frees it, never more than `atMost`.
int64_t storedBytes(const FolderHandle& items, const std::vector<UndoShelf::Entry::File>& files,
                    int64_t atMost);
// The clean-up as its items folder holds it now: each entry with the files still stored and
// the size of what is left of it; an entry with none is gone.
UndoShelf::Sweep stillStored(const UndoShelf::Sweep& sweep, const FolderHandle& items);

// How many more files to handle before the manifest is brought up to date again: the
// more it lists, the fewer its rewrites, so each file's share of them stays the same.
std::size_t filesPerSave(std::size_t listed);

} // namespace kelvora
