#include "clean/UndoShelf.h"

#include "clean/Cleaner.h"
#include "clean/ShelfFolder.h"
#include "clean/ShelfManifest.h"
#include "clean/ShelfNames.h"
#include "clean/ShelfPutBack.h"
#include "clean/TargetAccess.h"
#include "engine/DiskScanner.h"
#include "engine/PathRules.h"
#include "platform/AppPaths.h"
#include "platform/Calendar.h"
#include "platform/FileSystem.h"
#include "platform/FolderHandle.h"
#include "platform/Saturating.h"
#include "platform/Text.h"

#include <algorithm>
#include <random>
#include <unordered_map>

namespace kelvora {

namespace {

constexpr double kSecondsPerDay = 86400;
const std::string kSaveFailed = "Couldn’t save the Undo Shelf: ";
const char* const kNoFolder = "the Undo Shelf has no folder";

std::string randomHexDigits(int count) {
    static thread_local std::mt19937 generator(std::random_device{}());
    std::uniform_int_distribution<int> digit(0, 15);
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "0123456789ABCDEF"[digit(generator)];
    return text;
}

std::string quoted(const std::string& text) {
    return "“" + text + "”";
}

bool isAbsoluteFolder(const URL& root) {
    return root.isFileURL() && !root.path().empty() && root.path().front() == '/';
}

std::vector<std::string> sortedNames(const FolderHandle& folder) {
    std::vector<std::string> names = folder.names();
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<UndoShelf::Failure> failEveryTarget(const std::vector<UndoShelf::LabelledItem>& items,
                                                const std::string& reason) {
    std::vector<UndoShelf::Failure> failures;
    for (const auto& labelled : items)
        for (const auto& target : labelled.item.targets)
            failures.push_back({target, reason});
    return failures;
}

// ---- Shelving ----

std::optional<std::string> unmovableReason(const URL& target,
                                           const std::vector<std::string>& rootForms) {
    if (!target.isFileURL() || target.path().empty() || target.path().front() != '/')
        return "it is not a file or folder on this disk";
    std::string path = target.standardized().path();
    if (path == "/") return "it holds or lies inside the Undo Shelf";
    for (const auto& root : rootForms)
        if (root == path || startsWith(root, path + "/") || startsWith(path, root + "/"))
            return "it holds or lies inside the Undo Shelf";
    return std::nullopt;
}

// Each target of an item either has its stored name, or the reason it is not moved.
struct PlannedTarget {
    std::optional<std::string> stored;
    std::string refusal;
};

struct PlannedItem {
    std::vector<PlannedTarget> targets;
    std::optional<size_t> entry; // its entry in the plan, when anything of it is to move
};

struct Plan {
    UndoShelf::Sweep sweep; // every entry with every file about to move
    std::vector<PlannedItem> items;
};

// The folder a removal or a move of the target starts from, as it is: the deepest the scan
// noted for the item, else the deepest a scan looks in.
std::optional<UndoShelf::Entry::Folder> scanFolderOf(const ScanItem& item, const URL& target,
                                                     const std::vector<URL>& scanFolders) {
    using Identity = UndoShelf::Entry::Folder::Identity;
    if (const auto* noted = TargetAccess::notedFolderOf(item, target.path())) {
        std::optional<Identity> identity;
        if (noted->device != 0 || noted->inode != 0)
            identity = Identity{noted->device, noted->inode};
        return UndoShelf::Entry::Folder{noted->folder.path(), identity};
    }
    auto folder = DiskScanner::scanFolderOf(target, scanFolders);
    if (!folder) return std::nullopt;
    auto now = folderIdentityAt(folder->path());
    return UndoShelf::Entry::Folder{
        folder->path(), now ? std::optional(Identity{now->device, now->inode}) : std::nullopt};
}

void noteScanFolder(UndoShelf::Entry& entry, std::optional<UndoShelf::Entry::Folder> folder) {
    if (folder &&
        std::find(entry.scannedIn.begin(), entry.scannedIn.end(), *folder) == entry.scannedIn.end())
        entry.scannedIn.push_back(std::move(*folder));
}

Plan planOf(const std::vector<UndoShelf::LabelledItem>& items, const URL& root,
            const std::vector<URL>& scanFolders, UndoShelf::Sweep sweep) {
    const std::vector<std::string> rootForms = {root.standardized().path(),
                                                root.resolvingSymlinks().standardized().path()};
    Plan plan{std::move(sweep), {}};
    for (size_t i = 0; i < items.size(); ++i) {
        const ScanItem& item = items[i].item;
        UndoShelf::Entry entry{std::to_string(i),
                               items[i].label,
                               JunkKinds::rawValue(item.kind),
                               item.location.path(),
                               item.bytes,
                               {},
                               {}};
        bool recordable = isRecordable(items[i].label) && isRecordable(entry.location);
        PlannedItem planned;
        for (size_t j = 0; j < item.targets.size(); ++j) {
            const URL& target = item.targets[j];
            if (auto refused = unmovableReason(target, rootForms)) {
                planned.targets.push_back(
                    {std::nullopt, "Could not move " + target.path() + ": " + *refused});
            } else if (!recordable || !isRecordable(target.path())) {
                // Left in place on its own, so one odd name does not undo the whole clean-up.
                planned.targets.push_back(
                    {std::nullopt, "Could not move " + target.path() +
                                       ": its name is not valid text, so the Undo Shelf could "
                                       "not note where to put it back"});
            } else {
                std::string stored = storedName(i, j, target.lastPathComponent());
                entry.files.push_back({target.path(), stored, std::nullopt});
                noteScanFolder(entry, scanFolderOf(item, target, scanFolders));
                planned.targets.push_back({stored, {}});
            }
        }
        if (!entry.files.empty()) {
            planned.entry = plan.sweep.entries.size();
            plan.sweep.entries.push_back(std::move(entry));
        }
        plan.items.push_back(std::move(planned));
    }
    return plan;
}

FileResult moveOnto(const ScanItem& item, const URL& target, const std::string& stored,
                    const TargetAccess& access, const FolderHandle& items) {
    TargetAccess::Result place = access.reachToMove(item, target);
    if (!place.reached)
        return FileResult::failure("Could not move " + target.path() + ": " + place.reason);
    return place.reached->folder.moveItem(place.reached->name, items, stored);
}

// A clean-up's folder and its items folder, freshly made and opened once.
struct NewSweep {
    std::string id;
    FolderHandle folder;
    FolderHandle items;
    std::string error; // why they could not be made
};

NewSweep makeSweepFolder(const FolderHandle& root, Date now) {
    NewSweep made;
    made.id = UndoShelf::sweepID(now);
    FileResult created = root.makeFolder(made.id);
    while (!created && root.contains(made.id)) {
        made.id = UndoShelf::sweepID(now);
        created = root.makeFolder(made.id);
    }
    if (!created) {
        made.error = created.reason;
        return made;
    }
    made.folder = root.folder(made.id);
    FileResult ready = made.folder.makeFolder(kItemsFolderName);
    made.items = made.folder.folder(kItemsFolderName);
    if (!ready || !made.items) {
        made.error = ready ? "Could not open " + made.items.path() : ready.reason;
        root.removeItem(made.id);
    }
    return made;
}

// Moves every planned target in item and target order into the sweep, bringing its
// manifest up to date in batches; the failures come back in the same order.
std::vector<UndoShelf::Failure> moveAll(const std::vector<UndoShelf::LabelledItem>& items,
                                        const Plan& plan, const NewSweep& made,
                                        const std::vector<URL>& scanFolders,
                                        UndoShelf::Sweep& sweep, const StopToken& stop) {
    const TargetAccess access(scanFolders);
    std::vector<UndoShelf::Failure> failures;
    size_t sinceSaved = 0;
    for (size_t i = 0; i < items.size() && !stop.stopped(); ++i) {
        const ScanItem& item = items[i].item;
        const PlannedItem& planned = plan.items[i];
        UndoShelf::Entry entry =
            planned.entry ? plan.sweep.entries[*planned.entry] : UndoShelf::Entry{};
        entry.files.clear();
        int64_t unmoved = 0;
        for (size_t j = 0; j < item.targets.size(); ++j) {
            const URL& target = item.targets[j];
            const PlannedTarget& how = planned.targets[j];
            FileResult moved = how.stored ? moveOnto(item, target, *how.stored, access, made.items)
                                          : FileResult::failure(how.refusal);
            if (moved) {
                entry.files.push_back(
                    {target.path(), *how.stored, identityAt(made.items, *how.stored)});
            } else {
                addSaturating(unmoved, Cleaner::freedSize(target));
                failures.push_back({target, moved.reason});
            }
        }
        sinceSaved += item.targets.size();
        if (entry.files.empty()) continue;
        entry.bytes = std::max<int64_t>(saturatingSubtract(item.bytes, unmoved), 0);
        sweep.entries.push_back(std::move(entry));
        if (sinceSaved >= filesPerSave(sweep.entries.size())) {
            writeManifest(made.folder, sweep);
            sinceSaved = 0;
        }
    }
    return failures;
}

// ---- Putting back ----

std::string namesOf(const std::vector<std::string>& names) {
    constexpr size_t kNamed = 3;
    std::vector<std::string> shown;
    for (size_t i = 0; i < names.size() && i < kNamed; ++i)
        shown.push_back(quoted(names[i]));
    if (names.size() > kNamed)
        return joined(shown, ", ") + " and " + std::to_string(names.size() - kNamed) + " others";
    std::string last = shown.back();
    shown.pop_back();
    return shown.empty() ? last : joined(shown, ", ") + " and " + last;
}

// One message for everything a put back could not do: the first reason a file stayed,
// and every file that was no longer there.
std::string putBackProblem(const std::vector<std::string>& failed,
                           const std::vector<std::string>& missing) {
    std::vector<std::string> parts;
    if (!failed.empty()) {
        std::string first = failed.front();
        if (failed.size() > 1)
            first +=
                " (and " + std::to_string(failed.size() - 1) + " more stayed on the Undo Shelf)";
        parts.push_back(first);
    }
    if (missing.size() == 1)
        parts.push_back(quoted(missing.front()) +
                        " is no longer on the Undo Shelf, so it can’t be put back");
    else if (!missing.empty())
        parts.push_back(namesOf(missing) +
                        " are no longer on the Undo Shelf, so they can’t be put back");
    return joined(parts, "; ");
}

// What the rollback after a failed save could not move back stays, listed; its failure
// says where it is kept.
std::vector<UndoShelf::Failure> savingFailures(const std::vector<UndoShelf::LabelledItem>& items,
                                               const std::string& reason,
                                               const UndoShelf::Sweep& kept,
                                               const FolderHandle& itemsFolder) {
    std::unordered_map<std::string, std::string> keptAt;
    for (const auto& entry : kept.entries)
        for (const auto& file : entry.files)
            keptAt.emplace(file.original, joinPath(itemsFolder.path(), file.stored));
    std::vector<UndoShelf::Failure> failures = failEveryTarget(items, kSaveFailed + reason);
    for (auto& failure : failures)
        if (auto stored = keptAt.find(failure.url.path()); stored != keptAt.end())
            failure.reason += ". It could not be moved back and is kept at " + stored->second;
    return failures;
}

std::size_t filesIn(const UndoShelf::Sweep& sweep) {
    std::size_t files = 0;
    for (const auto& entry : sweep.entries)
        files += entry.files.size();
    return files;
}

// The entry with only the files still stored, and the size of what they hold when some went;
// none when none is left.
std::optional<UndoShelf::Entry> leftOf(const UndoShelf::Entry& entry,
                                       std::vector<UndoShelf::Entry::File> stored,
                                       const FolderHandle& items) {
    if (stored.empty()) return std::nullopt;
    UndoShelf::Entry left = entry;
    if (stored.size() < entry.files.size()) left.bytes = storedBytes(items, stored, entry.bytes);
    left.files = std::move(stored);
    return left;
}

// Puts every moved file back where it was; returns what could not go.
UndoShelf::Sweep withWhatCannotGoBack(const UndoShelf::Sweep& sweep, const FolderHandle& items,
                                      const std::vector<URL>& scanFolders) {
    ReturnPlaces places(scanFolders);
    UndoShelf::Sweep kept{sweep.id, sweep.date, sweep.expires, {}};
    for (const auto& entry : sweep.entries) {
        EntryPutBack going(items, entry, places);
        while (going.next() > 0) {
        }
        if (auto left = leftOf(entry, going.stillStored(), items))
            kept.entries.push_back(std::move(*left));
    }
    return kept;
}

// A clean-up whose expiry is not after its date was freed by the user (emptying marks it so
// before anything goes): nothing of it is kept any longer.
bool freedByTheUser(const UndoShelf::Sweep& sweep) {
    return sweep.expires <= sweep.date;
}

// An entry that cannot go back, or whose record was read only in part, outlives its hold.
bool staysPastItsHold(const UndoShelf::Entry& entry) {
    return !entry.whyItStays.empty() || entry.partlyRead;
}

std::string keptPastItsHold(const std::vector<UndoShelf::Entry>& staying) {
    const UndoShelf::Entry& first = staying.front();
    std::string text = first.whyItStays.empty()
                           ? quoted(first.label) +
                                 " was read only in part from the Undo Shelf’s records; it "
                                 "stays on the Undo Shelf until you put it back or free it"
                           : quoted(first.label) + " can’t be put back: " + first.whyItStays +
                                 "; it stays on the Undo Shelf until you free it";
    if (size_t more = staying.size() - 1; more > 0)
        text += " (and " + std::to_string(more) + (more == 1 ? " more item)" : " more items)");
    return text;
}

// An expired clean-up goes, but for the entries that cannot go back now: the user never had
// the chance to put those back, so they stay, saying why, until the user frees them.
void purgeOne(const FolderHandle& root, const std::string& name, const FolderHandle& folder,
              LoadedSweep& loaded, ReturnPlaces& places, UndoShelf::Purge& purge) {
    UndoShelf::Sweep& sweep = loaded.sweep;
    std::vector<UndoShelf::Entry> staying;
    if (!freedByTheUser(sweep))
        for (auto& entry : sweep.entries) {
            places.judge(entry);
            if (staysPastItsHold(entry)) staying.push_back(entry);
        }
    if (staying.empty()) {
        if (auto removed = removeSweepFolder(root, name, folder))
            addSaturating(purge.bytes, sweep.bytes());
        else
            purge.stillHeld.push_back(removed.reason);
        return;
    }
    if (auto kept = keepUnreadRecords(folder, loaded); !kept) {
        purge.stillHeld.push_back(kept.reason);
        return;
    }
    FolderHandle items = folder.folder(kItemsFolderName);
    std::vector<UndoShelf::Entry> left;
    std::string failure;
    for (auto& entry : sweep.entries) {
        if (staysPastItsHold(entry)) {
            left.push_back(std::move(entry));
            continue;
        }
        std::vector<UndoShelf::Entry::File> stayed;
        for (const auto& file : entry.files)
            if (items.contains(file.stored))
                if (auto removed =
                        items.removeItem(file.stored, FolderHandle::ReadOnlyFolders::makeWritable);
                    !removed) {
                    stayed.push_back(file);
                    if (failure.empty()) failure = removed.reason;
                }
        if (auto rest = leftOf(entry, std::move(stayed), items))
            left.push_back(std::move(*rest));
        else
            addSaturating(purge.bytes, entry.bytes);
    }
    sweep.entries = std::move(left);
    settle(folder, sweep, loaded);
    if (!failure.empty()) purge.stillHeld.push_back(failure);
    purge.stillHeld.push_back(keptPastItsHold(staying));
}

} // namespace

URL UndoShelf::defaultRoot() {
    return URL::fileURL(joinPath(AppPaths::appDataFolder(), "Undo Shelf"), true);
}

std::string UndoShelf::sweepID(Date date) {
    return Calendar::formatLocal(date, "%Y-%m-%dT%H-%M-%S") + "-" + randomHexDigits(6);
}

URL UndoShelf::freeName(const URL& url) {
    if (!fileExists(url.path())) return url;
    std::string name = url.lastPathComponent();
    URL folder = url.deletingLastPathComponent();
    for (long n = 1;; ++n) {
        URL candidate = folder.appending(restoredName(name, n));
        if (!fileExists(candidate.path())) return candidate;
    }
}

std::vector<UndoShelf::Sweep> UndoShelf::sweeps() const {
    std::vector<Sweep> found;
    if (!isAbsoluteFolder(root)) return found;
    // A shelf folder that is itself a link (moved to another place and linked back) still
    // holds clean-ups; below it nothing is followed.
    FolderHandle rootFolder = FolderHandle::open(root.path());
    if (!rootFolder) return found;
    ReturnPlaces places(DiskScanner::live().scanFolders());
    for (const auto& name : sortedNames(rootFolder)) {
        FolderHandle folder = rootFolder.folder(name);
        if (!folder) continue;
        auto loaded = loadSweep(folder, name);
        if (!loaded || loaded->finished || (loaded->cutShort && loaded->sweep.entries.empty()))
            continue;
        for (auto& entry : loaded->sweep.entries)
            places.judge(entry);
        found.push_back(std::move(loaded->sweep));
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Sweep& a, const Sweep& b) { return a.date > b.date; });
    return found;
}

URL UndoShelf::storedURL(const Sweep& sweep, const Entry::File& file) const {
    return URL::fileURL(
        joinPath(joinPath(joinPath(root.path(), sweep.id), kItemsFolderName), file.stored));
}

int64_t UndoShelf::bytes() const {
    int64_t total = 0;
    for (const auto& sweep : sweeps())
        addSaturating(total, sweep.bytes());
    return total;
}

UndoShelf::ShelveResult UndoShelf::shelve(const std::vector<LabelledItem>& items, Date now,
                                          const StopToken& stop) const {
    if (!isAbsoluteFolder(root)) return {std::nullopt, failEveryTarget(items, kNoFolder)};
    if (auto made = createDirectories(root.path()); !made)
        return {std::nullopt, failEveryTarget(items, made.reason)};
    FolderHandle rootFolder = FolderHandle::open(root.path());
    if (!rootFolder)
        return {std::nullopt, failEveryTarget(items, "Could not open " + root.path() + ": " +
                                                         describeFileError(rootFolder.error()))};
    ShelfLock lock(rootFolder);
    NewSweep made = makeSweepFolder(rootFolder, now);
    if (!made.error.empty()) return {std::nullopt, failEveryTarget(items, made.error)};

    const std::vector<URL> scanFolders = DiskScanner::live().scanFolders();
    Sweep sweep{made.id, now, addSeconds(now, holdDays * kSecondsPerDay), {}};
    Plan plan = planOf(items, root, scanFolders, sweep);
    if (!plan.sweep.entries.empty())
        if (auto planned = writePlan(made.folder, plan.sweep); !planned) {
            rootFolder.removeItem(made.id);
            return {std::nullopt, failEveryTarget(items, kSaveFailed + planned.reason)};
        }
    std::vector<Failure> failures = moveAll(items, plan, made, scanFolders, sweep, stop);
    if (sweep.entries.empty()) {
        removeSweepFolder(rootFolder, made.id, made.folder);
        return {std::nullopt, failures};
    }
    FileResult saved = settle(made.folder, sweep);
    if (saved) return {sweep, failures};

    // A clean-up whose manifest could not be saved would be invisible and never purged:
    // every moved file goes back. What cannot go back stays listed.
    Sweep kept = withWhatCannotGoBack(sweep, made.items, scanFolders);
    if (kept.entries.empty())
        removeSweepFolder(rootFolder, made.id, made.folder);
    else
        settle(made.folder, kept);
    return {std::nullopt, savingFailures(items, saved.reason, kept, made.items)};
}

std::optional<UndoShelf::Sweep> UndoShelf::putBack(const Entry& entry, const Sweep& sweep,
                                                   const StopToken& stop) const {
    return putBackEntries(sweep, entry, stop);
}

void UndoShelf::putBackAll(const Sweep& sweep, const StopToken& stop) const {
    putBackEntries(sweep, std::nullopt, stop);
}

// Works from the clean-up on disk, so that a put-back never resurrects entries another
// window already put back. The manifest is brought up to date in batches whose size grows
// with the clean-up, within an entry too, so each file costs the same however large the
// clean-up and one killed part way lists only what is still stored.
std::optional<UndoShelf::Sweep> UndoShelf::putBackEntries(const Sweep& sweep,
                                                          const std::optional<Entry>& only,
                                                          const StopToken& stop) const {
    if (!isAbsoluteFolder(root)) throw Error(kNoFolder);
    if (!isSingleComponent(sweep.id))
        throw Error(quoted(sweep.id) + " is not a clean-up of this shelf");
    const std::string gone = only ? quoted(only->label) + " is no longer on the Undo Shelf"
                                  : std::string("This clean-up is no longer on the Undo Shelf");
    FolderHandle rootFolder = FolderHandle::open(root.path());
    if (!rootFolder) throw Error(gone);
    ShelfLock lock(rootFolder);
    FolderHandle folder = rootFolder.folder(sweep.id);
    if (!folder) throw Error(gone);
    auto loaded = loadSweep(folder, sweep.id);
    // Everything of it is back already (a put back cut short before the folder went).
    if (loaded && loaded->finished && removeFinishedSweepFolder(rootFolder, sweep.id, folder))
        return std::nullopt;
    // A clean-up whose manifest can no longer be read is put back as it was listed, its
    // manifest kept.
    if (!loaded) loaded = LoadedSweep{sweep, false, false, recordsIn(folder)};
    Sweep current = loaded->sweep;
    // Stopped while it waited for the shelf: nothing is touched.
    if (stop.stopped()) return current;
    if (auto aside = keepUnreadRecords(folder, *loaded); !aside) throw Error(aside.reason);
    FolderHandle items = folder.folder(kItemsFolderName);
    ReturnPlaces places(DiskScanner::live().scanFolders());

    std::vector<Entry> kept;
    std::vector<std::string> failed;
    std::vector<std::string> missing;
    bool found = false;
    const std::size_t every = filesPerSave(filesIn(current));
    std::size_t sinceSaved = 0;
    for (size_t i = 0; i < current.entries.size(); ++i) {
        const Entry& entry = current.entries[i];
        if (only && entry.id != only->id) {
            kept.push_back(entry);
            continue;
        }
        found = true;
        if (stop.stopped()) {
            kept.push_back(entry);
            continue;
        }
        EntryPutBack going(items, entry, places);
        while (!stop.stopped()) {
            std::size_t handled = going.next();
            if (handled == 0) break;
            if ((sinceSaved += handled) < every) continue;
            Sweep progress{current.id, current.date, current.expires, kept};
            if (auto inHand = leftOf(entry, going.stillStored(), items))
                progress.entries.push_back(std::move(*inHand));
            progress.entries.insert(progress.entries.end(), current.entries.begin() + i + 1,
                                    current.entries.end());
            settle(folder, progress, *loaded);
            sinceSaved = 0;
        }
        EntryReturn back = going.result();
        failed.insert(failed.end(), back.failed.begin(), back.failed.end());
        missing.insert(missing.end(), back.missing.begin(), back.missing.end());
        if (auto left = leftOf(entry, std::move(back.stayed), items)) kept.push_back(*left);
    }
    if (only && !found) throw Error(gone);

    current.entries = std::move(kept);
    // What the manifest never listed is still stored: the clean-up stays, showing it.
    if (current.entries.empty()) current.entries = unlistedEntries(items);
    if (current.entries.empty() && !removeFinishedSweepFolder(rootFolder, sweep.id, folder))
        current.entries = unlistedEntries(items);
    std::optional<Sweep> result;
    if (!current.entries.empty()) {
        if (auto saved = settle(folder, current, *loaded); !saved) throw Error(saved.reason);
        for (auto& entry : current.entries)
            places.judge(entry);
        result = std::move(current);
    }
    if (!failed.empty() || !missing.empty()) throw Error(putBackProblem(failed, missing));
    return result;
}

int64_t UndoShelf::empty(const Sweep& sweep, const StopToken& stop) const {
    if (!isAbsoluteFolder(root)) throw Error(kNoFolder);
    if (!isSingleComponent(sweep.id))
        throw Error(quoted(sweep.id) + " is not a clean-up of this shelf");
    FolderHandle rootFolder = FolderHandle::open(root.path());
    if (!rootFolder)
        throw Error("Could not remove " + joinPath(root.path(), sweep.id) + ": " +
                    describeFileError(rootFolder.error()));
    ShelfLock lock(rootFolder);
    FolderHandle folder = rootFolder.folder(sweep.id);
    if (!folder)
        throw Error("Could not remove " + folder.path() + ": " + describeFileError(folder.error()));
    if (stop.stopped()) return 0;
    // Marked as held no longer before anything goes, so an emptying cut short is finished by
    // the next purge instead of staying listed until its hold would have ended.
    auto loaded = loadSweep(folder, sweep.id);
    if (loaded && (loaded->cutShort || !freedByTheUser(loaded->sweep))) {
        loaded->sweep.expires = std::min(loaded->sweep.expires, loaded->sweep.date);
        settle(folder, loaded->sweep, *loaded);
    }
    FileResult removed = removeSweepFolder(rootFolder, sweep.id, folder, stop);
    if (!removed && stop.stopped() && loaded) {
        // Stopped at the file in hand: what is left stays listed as it now is.
        Sweep left = stillStored(loaded->sweep, folder.folder(kItemsFolderName));
        if (!left.entries.empty())
            settle(folder, left, *loaded);
        else
            removeFinishedSweepFolder(rootFolder, sweep.id, folder);
        return std::max<int64_t>(saturatingSubtract(sweep.bytes(), left.bytes()), 0);
    }
    if (!removed) throw Error(removed.reason);
    return sweep.bytes();
}

int64_t UndoShelf::purgeExpired(Date now) const {
    return purge(now).bytes;
}

UndoShelf::Purge UndoShelf::purge(Date now) const {
    Purge result;
    if (!isAbsoluteFolder(root)) return result;
    FolderHandle rootFolder = FolderHandle::open(root.path());
    if (!rootFolder) return result;
    ShelfLock lock(rootFolder);
    ReturnPlaces places(DiskScanner::live().scanFolders());
    for (const auto& name : sortedNames(rootFolder)) {
        FolderHandle folder = rootFolder.folder(name);
        if (!folder) continue;
        auto loaded = loadSweep(folder, name);
        if (!loaded) continue;
        // Nothing else writes on the shelf while the lock is held: what a write left behind
        // half done is stale.
        removeStaleTemporaries(folder);
        if (loaded->finished || (loaded->cutShort && loaded->sweep.entries.empty())) {
            removeFinishedSweepFolder(rootFolder, name, folder);
            continue;
        }
        // A clean-up cut short is settled now, while no clean-up can be running.
        if (loaded->cutShort) settle(folder, loaded->sweep, *loaded);
        if (loaded->sweep.expires > now) continue;
        purgeOne(rootFolder, name, folder, *loaded, places, result);
    }
    return result;
}

} // namespace kelvora
