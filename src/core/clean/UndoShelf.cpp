#include "clean/UndoShelf.h"

#include "clean/Cleaner.h"
#include "clean/ShelfManifest.h"
#include "clean/ShelfNames.h"
#include "platform/AppPaths.h"
#include "platform/Calendar.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <unistd.h>

namespace kelvora {

namespace {

constexpr double kSecondsPerDay = 86400;
const std::string kSaveFailed = "Couldn’t save the Undo Shelf: ";

// An exclusive flock on the shelf's root folder itself, held for one operation. Separate
// open descriptions exclude each other, so this works between threads and processes alike.
class RootLock {
public:
    explicit RootLock(const std::string& root) {
        fd_ = open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ < 0) return;
        while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~RootLock() {
        if (fd_ >= 0) close(fd_);
    }
    RootLock(const RootLock&) = delete;
    RootLock& operator=(const RootLock&) = delete;

private:
    int fd_ = -1;
};

std::string randomHexDigits(int count) {
    static thread_local std::mt19937 generator(std::random_device{}());
    std::uniform_int_distribution<int> digit(0, 15);
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "0123456789ABCDEF"[digit(generator)];
    return text;
}

FileResult writeManifest(const std::string& folder, const UndoShelf::Sweep& sweep) {
    EncodedManifest encoded = encodeManifest(sweep);
    if (!encoded.text) return FileResult::failure(encoded.error);
    return writeFileAtomically(joinPath(folder, kManifestName), *encoded.text);
}

std::optional<UndoShelf::Sweep> readManifest(const std::string& folder) {
    auto text = readFile(joinPath(folder, kManifestName));
    if (!text) return std::nullopt;
    return decodeManifest(*text);
}

// Items first and the manifest last: a removal cut short leaves a listed clean-up that the
// next purge finishes, never an unlisted folder that nothing would remove.
FileResult removeSweepFolder(const std::string& folder) {
    std::string items = joinPath(folder, kItemsFolderName);
    if (fileExists(items))
        if (auto removed = removeItem(items); !removed) return removed;
    std::string manifest = joinPath(folder, kManifestName);
    if (fileExists(manifest))
        if (auto removed = removeItem(manifest); !removed) return removed;
    return removeItem(folder);
}

enum class Restore { restored, missing, failed };

struct FileOutcome {
    Restore result = Restore::restored;
    std::string reason;
};

FileOutcome restoreFile(const std::string& itemsFolder, const UndoShelf::Entry::File& file) {
    std::string stored = joinPath(itemsFolder, file.stored);
    if (!fileExists(stored))
        return {Restore::missing, "“" + lastComponent(file.original) +
                                      "” is no longer on the Undo Shelf, so it can’t be put back"};
    if (auto made = createDirectories(parentPath(file.original)); !made)
        return {Restore::failed, made.reason};
    URL destination = UndoShelf::freeName(URL::fileURL(file.original));
    if (auto moved = moveItem(stored, destination.path()); !moved)
        return {Restore::failed, moved.reason};
    return {};
}

// Every record is tried, whatever failed before; the outcomes come back in record order.
std::vector<FileOutcome> restoreFiles(const std::string& itemsFolder,
                                      const std::vector<UndoShelf::Entry::File>& files) {
    std::vector<FileOutcome> outcomes;
    for (const auto& file : files)
        outcomes.push_back(restoreFile(itemsFolder, file));
    return outcomes;
}

std::optional<std::string> unmovableReason(const URL& target, const std::string& root) {
    if (!target.isFileURL() || target.path().empty() || target.path().front() != '/')
        return "it is not a file or folder on this disk";
    std::string path = target.standardized().path();
    if (path == "/" || root == path || startsWith(root, path + "/") || startsWith(path, root + "/"))
        return "it holds or lies inside the Undo Shelf";
    return std::nullopt;
}

bool isAbsoluteFolder(const URL& root) {
    return root.isFileURL() && !root.path().empty() && root.path().front() == '/';
}

const char* const kNoFolder = "the Undo Shelf has no folder";

std::vector<UndoShelf::Failure> failEveryTarget(const std::vector<UndoShelf::LabelledItem>& items,
                                                const std::string& reason) {
    std::vector<UndoShelf::Failure> failures;
    for (const auto& labelled : items)
        for (const auto& target : labelled.item.targets)
            failures.push_back({target, reason});
    return failures;
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
    std::string extension = extensionOf(name);
    std::string base =
        extension.empty() ? name : name.substr(0, name.size() - extension.size() - 1);
    URL folder = url.deletingLastPathComponent();
    for (long n = 1;; ++n) {
        std::string marker = n == 1 ? " (restored)" : " (restored " + std::to_string(n) + ")";
        URL candidate = folder.appending(nameWithin(base, marker, extension));
        if (!fileExists(candidate.path())) return candidate;
    }
}

std::string UndoShelf::sweepFolder(const std::string& id) const {
    return joinPath(root.path(), id);
}

std::vector<UndoShelf::Sweep> UndoShelf::sweeps() const {
    std::vector<Sweep> found;
    if (!isAbsoluteFolder(root)) return found;
    // The listing never follows a link, but a shelf folder that is one (moved to another
    // place and linked back) still holds clean-ups that must be listed, put back and purged.
    Listing listing = listFolder(root.resolvingSymlinks());
    for (const auto& entry : listing.entries)
        if (auto sweep = readManifest(entry.url.path())) found.push_back(std::move(*sweep));
    std::stable_sort(found.begin(), found.end(),
                     [](const Sweep& a, const Sweep& b) { return a.date > b.date; });
    return found;
}

int64_t UndoShelf::bytes() const {
    int64_t total = 0;
    for (const auto& sweep : sweeps())
        total += sweep.bytes();
    return total;
}

UndoShelf::ShelveResult UndoShelf::shelve(const std::vector<LabelledItem>& items, Date now) const {
    if (!isAbsoluteFolder(root)) return {std::nullopt, failEveryTarget(items, kNoFolder)};
    FileResult made = createDirectories(root.path());
    RootLock lock(root.path());
    std::string id = sweepID(now);
    while (fileExists(sweepFolder(id)))
        id = sweepID(now);
    std::string folder = sweepFolder(id);
    std::string itemsFolder = joinPath(folder, kItemsFolderName);
    if (made) made = createDirectories(itemsFolder);
    if (!made) return {std::nullopt, failEveryTarget(items, made.reason)};

    std::string rootPath = root.standardized().path();
    std::vector<Failure> failures;
    std::vector<Entry> entries;
    for (size_t i = 0; i < items.size(); ++i) {
        const ScanItem& item = items[i].item;
        Entry entry{std::to_string(i),
                    items[i].label,
                    JunkKinds::rawValue(item.kind),
                    item.location.path(),
                    0,
                    {}};
        int64_t unmoved = 0;
        bool recordable = isRecordable(items[i].label) && isRecordable(entry.location);
        for (size_t j = 0; j < item.targets.size(); ++j) {
            const URL& target = item.targets[j];
            std::string stored = storedName(i, j, target.lastPathComponent());
            FileResult moved = FileResult::success();
            if (auto refused = unmovableReason(target, rootPath))
                moved = FileResult::failure("Could not move " + target.path() + ": " + *refused);
            else if (!recordable || !isRecordable(target.path()))
                // Left in place on its own, so one odd name does not undo the whole clean-up.
                moved = FileResult::failure("Could not move " + target.path() +
                                            ": its name is not valid text, so the Undo Shelf "
                                            "could not note where to put it back");
            else
                moved = moveItem(target.path(), joinPath(itemsFolder, stored));
            if (moved) {
                entry.files.push_back({target.path(), stored});
            } else {
                unmoved += Cleaner::freedSize(target);
                failures.push_back({target, moved.reason});
            }
        }
        if (entry.files.empty()) continue;
        entry.bytes = std::max<int64_t>(item.bytes - unmoved, 0);
        entries.push_back(std::move(entry));
    }

    if (entries.empty()) {
        removeItem(folder);
        return {std::nullopt, failures};
    }
    Sweep sweep{id, now, addSeconds(now, holdDays * kSecondsPerDay), std::move(entries)};
    FileResult saved = writeManifest(folder, sweep);
    if (saved) return {sweep, failures};
    return rollBack(sweep, items, saved.reason);
}

// A clean-up whose manifest could not be saved would be invisible and never purged: every
// moved file goes back. One that cannot go back stays, listed by a manifest if one can still
// be written, and its failure names where it is kept.
UndoShelf::ShelveResult UndoShelf::rollBack(const Sweep& sweep,
                                            const std::vector<LabelledItem>& items,
                                            const std::string& reason) const {
    std::string folder = sweepFolder(sweep.id);
    std::string itemsFolder = joinPath(folder, kItemsFolderName);
    Sweep kept = sweep;
    kept.entries.clear();
    std::vector<std::pair<std::string, std::string>> keptAt; // original path -> stored path
    for (const auto& entry : sweep.entries) {
        Entry left = entry;
        left.files.clear();
        auto outcomes = restoreFiles(itemsFolder, entry.files);
        for (size_t k = 0; k < entry.files.size(); ++k) {
            if (outcomes[k].result != Restore::failed) continue;
            left.files.push_back(entry.files[k]);
            keptAt.emplace_back(entry.files[k].original,
                                joinPath(itemsFolder, entry.files[k].stored));
        }
        if (!left.files.empty()) kept.entries.push_back(std::move(left));
    }
    if (kept.entries.empty())
        removeSweepFolder(folder);
    else
        writeManifest(folder, kept);

    std::vector<Failure> failures = failEveryTarget(items, kSaveFailed + reason);
    for (auto& failure : failures)
        for (const auto& [original, stored] : keptAt)
            if (failure.url.path() == original)
                failure.reason += ". It could not be moved back and is kept at " + stored;
    return {std::nullopt, failures};
}

std::optional<UndoShelf::Sweep> UndoShelf::putBack(const Entry& entry, const Sweep& sweep) const {
    if (!isAbsoluteFolder(root)) throw Error(kNoFolder);
    RootLock lock(root.path());
    return putBackLocked(entry, sweep);
}

void UndoShelf::putBackAll(const Sweep& sweep) const {
    if (!isAbsoluteFolder(root)) throw Error(kNoFolder);
    RootLock lock(root.path());
    std::optional<Sweep> current = sweep;
    for (const auto& entry : sweep.entries) {
        current = putBackLocked(entry, *current);
        if (!current) return;
    }
}

// Works from the manifest on disk where there is one, so that a put-back never resurrects
// entries another window already put back; missing stored items are reported, never counted
// as restored, and dropped from the manifest so a later attempt is not blocked by them.
std::optional<UndoShelf::Sweep> UndoShelf::putBackLocked(const Entry& entry,
                                                         const Sweep& sweep) const {
    if (!isSingleComponent(sweep.id))
        throw Error("“" + sweep.id + "” is not a clean-up of this shelf");
    std::string folder = sweepFolder(sweep.id);
    std::optional<Sweep> current = readManifest(folder);
    if (!current && fileExists(folder)) current = sweep;
    auto listed = current ? std::find_if(current->entries.begin(), current->entries.end(),
                                         [&](const Entry& e) { return e.id == entry.id; })
                          : std::vector<Entry>::iterator{};
    if (!current || listed == current->entries.end())
        throw Error("“" + entry.label + "” is no longer on the Undo Shelf");

    auto outcomes = restoreFiles(joinPath(folder, kItemsFolderName), listed->files);
    std::optional<std::string> firstError;
    std::vector<Entry::File> stillStored;
    for (size_t k = 0; k < outcomes.size(); ++k) {
        if (outcomes[k].result != Restore::restored && !firstError) firstError = outcomes[k].reason;
        if (outcomes[k].result == Restore::failed) stillStored.push_back(listed->files[k]);
    }
    if (stillStored.empty())
        current->entries.erase(listed);
    else
        listed->files = std::move(stillStored);

    std::optional<Sweep> result;
    if (current->entries.empty()) {
        if (auto removed = removeSweepFolder(folder); !removed) throw Error(removed.reason);
    } else {
        if (auto saved = writeManifest(folder, *current); !saved) throw Error(saved.reason);
        result = current;
    }
    if (firstError) throw Error(*firstError);
    return result;
}

int64_t UndoShelf::empty(const Sweep& sweep) const {
    if (!isAbsoluteFolder(root)) throw Error(kNoFolder);
    if (!isSingleComponent(sweep.id))
        throw Error("“" + sweep.id + "” is not a clean-up of this shelf");
    RootLock lock(root.path());
    std::string folder = sweepFolder(sweep.id);
    // Marked as held no longer before anything goes, so an emptying cut short is finished by
    // the next purge instead of staying listed until its hold would have ended.
    if (auto stored = readManifest(folder); stored && stored->expires > stored->date) {
        stored->expires = stored->date;
        writeManifest(folder, *stored);
    }
    if (auto removed = removeSweepFolder(folder); !removed) throw Error(removed.reason);
    return sweep.bytes();
}

int64_t UndoShelf::purgeExpired(Date now) const {
    if (!isAbsoluteFolder(root) || !fileExists(root.path())) return 0;
    RootLock lock(root.path());
    int64_t total = 0;
    for (const auto& sweep : sweeps()) {
        if (sweep.expires > now) continue;
        if (removeSweepFolder(sweepFolder(sweep.id))) total += sweep.bytes();
    }
    return total;
}

} // namespace kelvora
