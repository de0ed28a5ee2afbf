#include "clean/ShelfFolder.h"

#include <cmath>

#include "clean/Cleaner.h"
#include "clean/ShelfManifest.h"
#include "platform/Calendar.h"
#include "platform/Saturating.h"
#include "platform/Text.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <string_view>
#include <sys/file.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

namespace kelvora {

namespace {

constexpr std::size_t kMinimumFilesPerSave = 1000;
constexpr int64_t kLargestSize = std::numeric_limits<int64_t>::max();
// The hold a clean-up cut before its plan is given: the default one, from its own date.
constexpr double kRecoveredHoldSeconds = 7 * 86400.0;

// The date a clean-up's name was made from ("yyyy-MM-ddTHH-mm-ss" in local time, "-", six
// upper-case hexadecimal digits); none for any other name.
std::optional<Date> dateOfSweepID(const std::string& name) {
    static const std::string kForm = "0000-00-00T00-00-00-XXXXXX";
    if (name.size() != kForm.size()) return std::nullopt;
    for (size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        bool fits = kForm[i] == '0'   ? c >= '0' && c <= '9'
                    : kForm[i] == 'X' ? (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')
                                      : c == kForm[i];
        if (!fits) return std::nullopt;
    }
    auto number = [&](size_t at, size_t length) { return std::stoi(name.substr(at, length)); };
    CivilTime time{number(0, 4),  number(5, 2),  number(8, 2),
                   number(11, 2), number(14, 2), number(17, 2)};
    if (time.month < 1 || time.month > 12 || time.day < 1 ||
        time.day > Calendar::daysInMonth(time.year, time.month) || time.hour > 23 ||
        time.minute > 59 || time.second > 59)
        return std::nullopt;
    return Calendar::checkedFromLocal(time);
}

// What a record cut short lost of the clean-up's own fields comes from its folder: the
// identifier is the folder's name, and the date the one that name was made from. A hold that
// cannot be read lasts until the user puts its entries back or frees them, as does one of an
// entry read in part.
bool completeCutRecord(DecodedManifest& decoded, const std::string& name) {
    UndoShelf::Sweep& sweep = decoded.sweep;
    if (sweep.id.empty()) {
        // Named after its date, the folder still tells a record copied in from another.
        auto named = dateOfSweepID(name);
        if (decoded.dateRead &&
            (!named || std::floor(epochSeconds(*named)) != std::floor(epochSeconds(sweep.date))))
            return false;
        sweep.id = name;
    }
    if (!decoded.dateRead) {
        auto date = dateOfSweepID(name);
        if (!date) return false;
        sweep.date = *date;
    }
    if (!decoded.expiresRead) {
        sweep.expires = addSeconds(sweep.date, kRecoveredHoldSeconds);
        for (auto& entry : sweep.entries)
            entry.partlyRead = true;
    }
    return true;
}

std::optional<DecodedManifest> decodeIn(const FolderHandle& folder, const char* file,
                                        const std::string& name) {
    BoundedRead read = folder.readFile(file, kMaxManifestBytes);
    if (!read.ok()) return std::nullopt;
    auto decoded = decodeManifest(read.bytes);
    if (decoded && decoded->cutShort && !completeCutRecord(*decoded, name)) return std::nullopt;
    // A manifest copied or renamed into another folder would have every operation act on
    // a folder it was not read from.
    if (!decoded || decoded->sweep.id != name) return std::nullopt;
    return decoded;
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

// Entries already in a manifest were whole when it was written; the others are listed with
// the stored items that are there. The manifest is indexed once: a clean-up of a hundred
// thousand entries is read back in one pass, not one search of the manifest per entry.
UndoShelf::Sweep recovered(const UndoShelf::Sweep& plan,
                           const std::optional<UndoShelf::Sweep>& manifest,
                           const FolderHandle& items) {
    std::unordered_map<std::string_view, const UndoShelf::Entry*> saved;
    if (manifest)
        for (const auto& entry : manifest->entries)
            saved.emplace(entry.id, &entry);
    UndoShelf::Sweep sweep{plan.id, plan.date, plan.expires, {}};
    for (const auto& planned : plan.entries) {
        if (auto whole = saved.find(planned.id); whole != saved.end()) {
            sweep.entries.push_back(*whole->second);
            continue;
        }
        UndoShelf::Entry entry = planned;
        entry.files.clear();
        for (const auto& file : planned.files)
            if (items.contains(file.stored)) entry.files.push_back(file);
        if (entry.files.empty()) continue;
        if (entry.files.size() < planned.files.size())
            entry.bytes = storedBytes(items, entry.files, planned.bytes);
        sweep.entries.push_back(std::move(entry));
    }
    return sweep;
}

// What an entry that could not be read stored is listed on its own: every stored item no
// entry names.
void listWhatNoEntryNames(UndoShelf::Sweep& sweep, const FolderHandle& items) {
    std::unordered_set<std::string_view> named;
    for (const auto& entry : sweep.entries)
        for (const auto& file : entry.files)
            named.insert(file.stored);
    std::vector<UndoShelf::Entry> unnamed = unlistedEntries(items, named);
    sweep.entries.insert(sweep.entries.end(), std::make_move_iterator(unnamed.begin()),
                         std::make_move_iterator(unnamed.end()));
}

// Whether anything is stored; only a folder that is not there at all holds nothing for sure.
bool holdsAnything(const FolderHandle& folder) {
    if (!folder) return folder.error() != ENOENT;
    int copy = fcntl(folder.fd(), F_DUPFD_CLOEXEC, 0);
    DIR* dir = copy >= 0 ? fdopendir(copy) : nullptr;
    if (!dir) {
        if (copy >= 0) close(copy);
        return true; // unreadable: taken as holding something, so nothing is removed
    }
    rewinddir(dir);
    bool any = false;
    while (struct dirent* entry = readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            any = true;
            break;
        }
    }
    closedir(dir);
    return any;
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
    FolderHandle items = folder.folder(kItemsFolderName);
    std::vector<std::string> unread;
    for (const auto& [file, decoded] :
         {std::pair{kManifestName, &manifest}, std::pair{kJournalName, &plan}}) {
        if (!folder.contains(file) || (*decoded && (*decoded)->whole)) continue;
        unread.push_back(file);
        // A size that could not be read is what is stored now.
        if (*decoded)
            for (auto& entry : (*decoded)->sweep.entries)
                if (entry.partlyRead) entry.bytes = storedBytes(items, entry.files, kLargestSize);
    }
    if (plan) {
        UndoShelf::Sweep sweep =
            recovered(plan->sweep,
                      manifest ? std::optional(std::move(manifest->sweep)) : std::nullopt, items);
        if (plan->leavesOutEntries() || (manifest && manifest->leavesOutEntries()))
            listWhatNoEntryNames(sweep, items);
        return LoadedSweep{std::move(sweep), true, false, std::move(unread)};
    }
    if (manifest) {
        if (manifest->leavesOutEntries()) listWhatNoEntryNames(manifest->sweep, items);
        bool finished = !folder.contains(kJournalName) && !holdsAnything(items);
        return LoadedSweep{std::move(manifest->sweep), false, finished, std::move(unread)};
    }
    // A damaged manifest or plan is left as it is; a folder with neither is a clean-up only
    // by its name.
    if (folder.contains(kManifestName) || folder.contains(kJournalName)) return std::nullopt;
    auto date = dateOfSweepID(name);
    if (!date) return std::nullopt;
    UndoShelf::Sweep sweep{name, *date, addSeconds(*date, kRecoveredHoldSeconds),
                           unlistedEntries(items)};
    return LoadedSweep{std::move(sweep), true, false};
}

std::vector<UndoShelf::Entry> unlistedEntries(const FolderHandle& items,
                                              const std::unordered_set<std::string_view>& except) {
    std::vector<UndoShelf::Entry> entries;
    if (!items) return entries;
    std::vector<std::string> names = items.names();
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
        if (except.count(name)) continue;
        // A name that is not text is shown readable and kept by its bytes.
        std::string shown = repairedUtf8(name);
        std::string path = joinPath(items.path(), shown);
        entries.push_back({storedNameID(name),
                           shown,
                           "",
                           path,
                           Cleaner::freedSize(URL::fileURL(joinPath(items.path(), name))),
                           {{"", name, std::nullopt}},
                           {}});
    }
    return entries;
}

void removeStaleTemporaries(const FolderHandle& folder) {
    for (const auto& name : folder.names())
        for (const char* file : {kManifestName, kJournalName})
            if (startsWith(name, "." + std::string(file) + ".")) folder.removeFile(name);
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

FileResult keepUnreadRecords(const FolderHandle& folder, LoadedSweep& loaded) {
    // A second name for the same file: the record is whole under one of its names at every
    // moment, however a write after it ends.
    for (; !loaded.unreadRecords.empty(); loaded.unreadRecords.pop_back()) {
        const std::string& record = loaded.unreadRecords.back();
        KeptAside kept = keepAsideAsDamaged(
            record, [&](const std::string& name) { return folder.contains(name); },
            [&](const std::string& name) { return folder.linkFile(record, name); });
        if (!kept.result)
            return FileResult::failure("Could not keep " + joinPath(folder.path(), record) +
                                       ", which was not read whole: " + kept.result.reason);
    }
    return FileResult::success();
}

FileResult settle(const FolderHandle& folder, const UndoShelf::Sweep& sweep, LoadedSweep& loaded) {
    if (auto kept = keepUnreadRecords(folder, loaded); !kept) return kept;
    return settle(folder, sweep);
}

std::vector<std::string> recordsIn(const FolderHandle& folder) {
    std::vector<std::string> records;
    for (const char* file : {kManifestName, kJournalName})
        if (folder.contains(file)) records.push_back(file);
    return records;
}

FileResult removeSweepFolder(const FolderHandle& root, const std::string& name,
                             const FolderHandle& folder, const StopToken& stop) {
    // What a tool made read-only (a module cache, say) is on the shelf now, and only ever
    // unlocked here, inside it.
    constexpr auto kUnlock = FolderHandle::ReadOnlyFolders::makeWritable;
    for (const char* part : {kItemsFolderName, kJournalName, kManifestName})
        if (folder.contains(part))
            if (auto removed = folder.removeItem(part, kUnlock, stop); !removed) return removed;
    return root.removeItem(name, kUnlock);
}

FileResult removeFinishedSweepFolder(const FolderHandle& root, const std::string& name,
                                     const FolderHandle& folder) {
    folder.removeEmptyFolder(kItemsFolderName);
    if (folder.contains(kItemsFolderName))
        return FileResult::failure("Could not remove " + joinPath(folder.path(), kItemsFolderName) +
                                   ": something is still stored in it");
    removeStaleTemporaries(folder);
    // Nothing is stored any more that a damaged record kept aside could tell of.
    for (const auto& file : folder.names())
        for (const char* record : {kManifestName, kJournalName})
            if (file == record || startsWith(file, std::string(record) + ".damaged"))
                folder.removeFile(file);
    root.removeEmptyFolder(name);
    return FileResult::success();
}

int64_t storedBytes(const FolderHandle& items, const std::vector<UndoShelf::Entry::File>& files,
                    int64_t atMost) {
    std::vector<URL> stored;
    stored.reserve(files.size());
    for (const auto& file : files)
        stored.push_back(URL::fileURL(joinPath(items.path(), file.stored)));
    auto sizes = Cleaner::freedSizes({stored});
    int64_t total = sizes.empty() ? 0 : sizes.front();
    return std::clamp<int64_t>(total, 0, std::max<int64_t>(atMost, 0));
}

UndoShelf::Sweep stillStored(const UndoShelf::Sweep& sweep, const FolderHandle& items) {
    UndoShelf::Sweep left{sweep.id, sweep.date, sweep.expires, {}};
    std::vector<std::vector<URL>> groups;
    for (const auto& entry : sweep.entries) {
        UndoShelf::Entry kept = entry;
        kept.files.clear();
        std::vector<URL> stored;
        for (const auto& file : entry.files)
            if (items.contains(file.stored)) {
                kept.files.push_back(file);
                stored.push_back(URL::fileURL(joinPath(items.path(), file.stored)));
            }
        if (kept.files.empty()) continue;
        left.entries.push_back(std::move(kept));
        groups.push_back(std::move(stored));
    }
    // A folder whose removal was cut short may hold only part of what it did.
    std::vector<int64_t> sizes = Cleaner::freedSizes(groups);
    for (size_t i = 0; i < left.entries.size() && i < sizes.size(); ++i)
        left.entries[i].bytes = std::clamp<int64_t>(sizes[i], 0, left.entries[i].bytes);
    return left;
}

std::size_t filesPerSave(std::size_t listed) {
    return std::max(kMinimumFilesPerSave, listed / 4);
}

} // namespace kelvora
