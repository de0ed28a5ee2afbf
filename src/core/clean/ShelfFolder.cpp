#include "clean/ShelfFolder.h"

#include "clean/Cleaner.h"
#include "clean/ShelfManifest.h"
#include "platform/Saturating.h"

#include <algorithm>
#include <cerrno>
#include <sys/file.h>
#include <unordered_map>

namespace kelvora {

namespace {

constexpr std::size_t kMinimumFilesPerSave = 1000;

std::optional<UndoShelf::Sweep> decodeIn(const FolderHandle& folder, const char* file,
                                         const std::string& name) {
    auto text = folder.readFile(file, kMaxManifestBytes).bytes;
    if (!text) return std::nullopt;
    auto sweep = decodeManifest(*text);
    // A manifest copied or renamed into another folder would have every operation act on
    // a folder it was not read from.
    if (!sweep || sweep->id != name) return std::nullopt;
    return sweep;
}

FileResult write(const FolderHandle& folder, const char* file, const UndoShelf::Sweep& sweep,
                 bool pretty) {
    EncodedManifest encoded = encodeManifest(sweep, pretty);
    if (!encoded.text) return FileResult::failure(encoded.error);
    // Never written larger than it may be read back, or the clean-up would vanish from view.
    if (encoded.text->size() > kMaxManifestBytes)
        return FileResult::failure("the clean-up is too large to note on the Undo Shelf");
    return folder.writeFileAtomically(file, *encoded.text);
}

// What the stored items of a part-moved entry hold, never more than the entry was worth.
int64_t measuredBytes(const FolderHandle& items, const UndoShelf::Entry& entry, int64_t planned) {
    int64_t total = 0;
    for (const auto& file : entry.files)
        addSaturating(total, Cleaner::freedSize(URL::fileURL(joinPath(items.path(), file.stored))));
    return std::clamp<int64_t>(total, 0, std::max<int64_t>(planned, 0));
}

// Entries already in a manifest were whole when it was written; the others are listed with
// the stored items that are there.
UndoShelf::Sweep recovered(const UndoShelf::Sweep& plan,
                           const std::optional<UndoShelf::Sweep>& manifest,
                           const FolderHandle& folder) {
    FolderHandle items = folder.folder(kItemsFolderName);
    UndoShelf::Sweep sweep = plan;
    sweep.entries.clear();
    for (const auto& planned : plan.entries) {
        if (manifest) {
            auto saved =
                std::find_if(manifest->entries.begin(), manifest->entries.end(),
                             [&](const UndoShelf::Entry& entry) { return entry.id == planned.id; });
            if (saved != manifest->entries.end()) {
                sweep.entries.push_back(*saved);
                continue;
            }
        }
        UndoShelf::Entry entry = planned;
        entry.files.clear();
        for (const auto& file : planned.files)
            if (items.contains(file.stored)) entry.files.push_back(file);
        if (entry.files.empty()) continue;
        if (entry.files.size() < planned.files.size())
            entry.bytes = measuredBytes(items, entry, planned.bytes);
        sweep.entries.push_back(std::move(entry));
    }
    return sweep;
}

} // namespace

ShelfLock::ShelfLock(const FolderHandle& root) : fd_(root.fd()) {
    while (fd_ >= 0 && flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
}

ShelfLock::~ShelfLock() {
    if (fd_ >= 0) flock(fd_, LOCK_UN);
}

std::optional<LoadedSweep> loadSweep(const FolderHandle& folder, const std::string& name) {
    auto manifest = decodeIn(folder, kManifestName, name);
    auto plan = decodeIn(folder, kJournalName, name);
    if (plan) return LoadedSweep{recovered(*plan, manifest, folder), true};
    if (manifest) return LoadedSweep{std::move(*manifest), false};
    return std::nullopt;
}

FileResult writeManifest(const FolderHandle& folder, const UndoShelf::Sweep& sweep) {
    return write(folder, kManifestName, sweep, true);
}

FileResult writePlan(const FolderHandle& folder, const UndoShelf::Sweep& sweep) {
    return write(folder, kJournalName, sweep, false);
}

FileResult settle(const FolderHandle& folder, const UndoShelf::Sweep& sweep) {
    FileResult saved = writeManifest(folder, sweep);
    if (saved) folder.removeFile(kJournalName);
    return saved;
}

FileResult removeSweepFolder(const FolderHandle& root, const std::string& name,
                             const FolderHandle& folder) {
    for (const char* part : {kItemsFolderName, kJournalName, kManifestName})
        if (folder.contains(part))
            if (auto removed = folder.removeItem(part); !removed) return removed;
    return root.removeItem(name);
}

std::size_t filesPerSave(std::size_t listed) {
    return std::max(kMinimumFilesPerSave, listed / 4);
}

} // namespace kelvora
