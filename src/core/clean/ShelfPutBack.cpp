#include "clean/ShelfPutBack.h"

#include "clean/ShelfNames.h"
#include "engine/PathRules.h"
#include "platform/Text.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unordered_map>

namespace kelvora {

namespace {

using File = UndoShelf::Entry::File;

// The Trash keeps a record of each thrown item as "info/<name>.trashinfo" beside
// "files/<name>"; the two come back under one name, or a file manager loses the record.
const std::string kRecordSuffix = ".trashinfo";

enum class Stage { ready, restored, back, missing, failed };

struct Return {
    const File* file = nullptr;
    std::string base;                           // the name its restored names are made from
    std::string suffix;                         // kept after each of them (a Trash record's)
    std::size_t room = kMaxNameBytes;           // for the base with its mark
    std::string place;                          // the folder below which it goes back
    std::shared_ptr<const FolderHandle> folder; // where it goes, only while it is handled
    Stage state = Stage::ready;
    bool handled = false;
    std::string reason;
    long at = 0; // the try it went back, or was found back, under

    std::string nameAt(long n) const { return restoredName(base, n, room) + suffix; }
    void fail(std::string why) {
        state = Stage::failed;
        reason = std::move(why);
    }
};

std::string inQuotes(const std::string& text) {
    return "“" + text + "”";
}

// The folder at `path`, entered from `place` one name at a time without crossing a link, and
// made where missing when `making`.
FolderHandle reach(const std::string& place, const std::string& path, bool making,
                   std::string& reason) {
    FolderHandle current = FolderHandle::open(place);
    if (!current && current.error() == ENOENT && making) {
        if (auto made = createDirectories(place); !made) {
            reason = made.reason;
            return {};
        }
        current = FolderHandle::open(place);
    }
    if (!current) {
        reason = "Could not open " + place + ": " + describeFileError(current.error());
        return current;
    }
    std::string walked = place;
    for (const auto& name : splitNonEmpty(std::string_view(path).substr(place.size()), '/')) {
        walked = joinPath(walked, name);
        FolderHandle next = current.folder(name);
        if (!next && next.error() == ENOENT && making) {
            // Made meanwhile by someone else, it serves as well.
            current.makeFolder(name);
            next = current.folder(name);
        }
        if (!next) {
            if (next.error() == ELOOP)
                reason = inQuotes(walked) + " is a link, and nothing is put back through one";
            else if (next.error() == ENOTDIR)
                reason = "Could not create " + walked + ": something else is there";
            else
                reason = "Could not create " + walked + ": " + describeFileError(next.error());
            return next;
        }
        current = std::move(next);
    }
    return current;
}

// The destination folders of the files handled lately, each reached once: an entry of a
// hundred thousand files in a few folders goes back through a few open folders, and one
// spread over more never holds more than these open.
class FolderCache {
public:
    std::shared_ptr<const FolderHandle> reached(const std::string& place, const std::string& path,
                                                bool making, std::string& reason) {
        if (auto known = open_.find(path); known != open_.end()) return known->second;
        FolderHandle folder = reach(place, path, making, reason);
        if (!folder) return nullptr;
        if (open_.size() >= kMostOpen) open_.clear();
        auto shared = std::make_shared<const FolderHandle>(std::move(folder));
        open_.emplace(path, shared);
        return shared;
    }

private:
    static constexpr std::size_t kMostOpen = 32;
    std::unordered_map<std::string, std::shared_ptr<const FolderHandle>> open_;
};

// Each file alone, or a Trash item followed by its record.
std::vector<std::vector<Return*>> groupsOf(std::vector<Return>& returns) {
    std::unordered_map<std::string, size_t> byPlace;
    for (size_t i = 0; i < returns.size(); ++i)
        byPlace.emplace(returns[i].file->original, i);
    std::vector<int> partner(returns.size(), -1);
    for (size_t i = 0; i < returns.size(); ++i) {
        const std::string& place = returns[i].file->original;
        std::string name = lastComponent(place);
        std::string info = parentPath(place);
        if (!endsWith(name, kRecordSuffix) || name.size() == kRecordSuffix.size() ||
            lastComponent(info) != "info")
            continue;
        std::string thrown = name.substr(0, name.size() - kRecordSuffix.size());
        auto item = byPlace.find(joinPath(joinPath(parentPath(info), "files"), thrown));
        if (item == byPlace.end() || partner[item->second] >= 0 || item->second == i) continue;
        partner[item->second] = static_cast<int>(i);
        partner[i] = static_cast<int>(item->second);
        Return& record = returns[i];
        record.base = thrown;
        record.suffix = kRecordSuffix;
        record.room = returns[item->second].room = kMaxNameBytes - kRecordSuffix.size();
    }
    std::vector<std::vector<Return*>> groups;
    for (size_t i = 0; i < returns.size(); ++i) {
        if (partner[i] < 0)
            groups.push_back({&returns[i]});
        else if (returns[i].suffix.empty())
            groups.push_back({&returns[i], &returns[partner[i]]});
    }
    return groups;
}

// A file gone from the shelf whose identity stands under one of its names is back already.
void lookForItBack(Return& one) {
    if (one.state != Stage::missing || !one.file->identity || !one.folder) return;
    for (long n = 0;; ++n) {
        auto there = identityAt(*one.folder, one.nameAt(n));
        if (!there) return;
        if (*there == *one.file->identity) {
            one.state = Stage::back;
            one.at = n;
            return;
        }
    }
}

// The first try under which every file of the group still to go finds its name free; one
// already back sets the try for the others where it can.
long freeTry(const std::vector<Return*>& group) {
    auto freeAt = [&](long n) {
        return std::none_of(group.begin(), group.end(), [&](const Return* one) {
            return one->state == Stage::ready && one->folder->contains(one->nameAt(n));
        });
    };
    for (const Return* one : group)
        if (one->state == Stage::back && freeAt(one->at)) return one->at;
    long n = 0;
    while (!freeAt(n))
        ++n;
    return n;
}

} // namespace

std::optional<File::Identity> identityAt(const FolderHandle& folder, const std::string& name) {
    struct stat status {};
    if (!folder || fstatat(folder.fd(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    return File::Identity{static_cast<int64_t>(status.st_size),
                          static_cast<uint64_t>(status.st_dev),
                          static_cast<uint64_t>(status.st_ino)};
}

ReturnPlaces::ReturnPlaces(const std::vector<URL>& scanFolders) {
    for (const auto& folder : scanFolders)
        scanPaths_.push_back(folder.path());
}

const ReturnPlaces::Judged& ReturnPlaces::judged(const UndoShelf::Entry::Folder& folder) {
    std::string key = folder.path;
    if (folder.identity)
        key += '\0' + std::to_string(folder.identity->device) + ':' +
               std::to_string(folder.identity->inode);
    auto [at, fresh] = judged_.try_emplace(std::move(key));
    if (!fresh) return at->second;
    Judged& judgement = at->second;
    const std::string& path = folder.path;
    if (!isPlainAbsolutePath(path)) {
        judgement.refusal =
            "the folder it was taken from, " + inQuotes(path) + ", is not a plain full path";
    } else if (std::find(scanPaths_.begin(), scanPaths_.end(), path) != scanPaths_.end()) {
        judgement.trusted = true;
    } else if (folder.identity) {
        auto now = folderIdentityAt(path);
        if (!now)
            judgement.refusal = "the folder it was taken from, " + inQuotes(path) + ", is gone";
        else if (now->device == folder.identity->device && now->inode == folder.identity->inode)
            judgement.trusted = true;
        else
            judgement.refusal = inQuotes(path) + " is no longer the folder it was taken from";
    }
    return judgement;
}

ReturnPlaces::Place ReturnPlaces::placeOf(const UndoShelf::Entry& entry, const File& file) {
    if (file.original.empty()) return {{}, "where it came from is not known"};
    // A place written with "..", "." or empty names could lead anywhere; it is not guessed.
    if (!isPlainAbsolutePath(file.original) || file.original == "/")
        return {{},
                "the place it came from, " + inQuotes(file.original) +
                    ", is not a plain full path"};
    const std::string* deepest = nullptr;
    const std::string* refusal = nullptr;
    size_t refusedDepth = 0;
    auto consider = [&](const std::string& folder, const Judged& judgement) {
        if (!isSameOrInside(file.original, folder) || file.original == folder) return;
        if (judgement.trusted) {
            if (!deepest || folder.size() > deepest->size()) deepest = &folder;
        } else if (!judgement.refusal.empty() && folder.size() >= refusedDepth) {
            refusal = &judgement.refusal;
            refusedDepth = folder.size();
        }
    };
    static const Judged kTrusted{true, {}};
    if (entry.scannedIn.empty())
        for (const auto& folder : scanPaths_)
            consider(folder, kTrusted);
    for (const auto& folder : entry.scannedIn)
        consider(folder.path, judged(folder));
    if (deepest) return {*deepest, {}};
    if (refusal) return {{}, *refusal};
    return {{},
            "the place it came from, " + inQuotes(file.original) +
                ", is outside the places this clean-up came from"};
}

std::string ReturnPlaces::refusal(const File& file, const std::string& why) {
    if (file.original.empty())
        return inQuotes(file.stored) + " can’t be put back: " + why +
               ". Show it in the file manager, or free it";
    return inQuotes(lastComponent(file.original)) + " can’t be put back: " + why;
}

void ReturnPlaces::judge(UndoShelf::Entry& entry) {
    entry.whyItStays.clear();
    entry.anyGoesBack = false;
    for (const auto& file : entry.files) {
        Place place = placeOf(entry, file);
        if (!place.folder.empty())
            entry.anyGoesBack = true;
        else if (entry.whyItStays.empty())
            entry.whyItStays = std::move(place.why);
    }
}

struct EntryPutBack::State {
    const FolderHandle& items;
    std::vector<Return> returns;
    std::vector<std::vector<Return*>> groups;
    std::size_t nextGroup = 0;
    FolderCache folders;

    explicit State(const FolderHandle& items) : items(items) {}

    void prepare(const File& file, ReturnPlaces& places, const UndoShelf::Entry& entry) {
        Return one;
        one.file = &file;
        one.base = lastComponent(file.original);
        ReturnPlaces::Place place = places.placeOf(entry, file);
        if (place.folder.empty())
            one.fail(ReturnPlaces::refusal(file, place.why));
        else if (!items.contains(file.stored))
            one.state = Stage::missing;
        one.place = std::move(place.folder);
        returns.push_back(std::move(one));
    }

    void reachFolder(Return& one) {
        if (one.state != Stage::ready && one.state != Stage::missing) return;
        std::string reason;
        one.folder = folders.reached(one.place, parentPath(one.file->original),
                                     one.state == Stage::ready, reason);
        if (!one.folder && one.state == Stage::ready) one.fail(reason);
    }

    void handle(const std::vector<Return*>& group) {
        for (Return* one : group) {
            reachFolder(*one);
            lookForItBack(*one);
        }
        long n = freeTry(group);
        for (Return* one : group) {
            if (one->state == Stage::ready) {
                FileResult moved = items.moveItem(one->file->stored, *one->folder, one->nameAt(n));
                if (moved)
                    one->state = Stage::restored;
                else
                    one->fail(moved.reason);
            }
            one->folder.reset();
            one->handled = true;
        }
    }
};

EntryPutBack::EntryPutBack(const FolderHandle& items, const UndoShelf::Entry& entry,
                           ReturnPlaces& places)
    : state_(std::make_unique<State>(items)) {
    state_->returns.reserve(entry.files.size());
    for (const auto& file : entry.files)
        state_->prepare(file, places, entry);
    state_->groups = groupsOf(state_->returns);
}

EntryPutBack::~EntryPutBack() = default;

std::size_t EntryPutBack::next() {
    if (state_->nextGroup >= state_->groups.size()) return 0;
    const auto& group = state_->groups[state_->nextGroup++];
    state_->handle(group);
    return group.size();
}

std::vector<File> EntryPutBack::stillStored() const {
    std::vector<File> stored;
    for (const auto& one : state_->returns)
        if (one.handled ? one.state == Stage::failed : one.state != Stage::missing)
            stored.push_back(*one.file);
    return stored;
}

EntryReturn EntryPutBack::result() const {
    EntryReturn result;
    result.stayed = stillStored();
    for (const auto& one : state_->returns) {
        if (!one.handled) continue;
        if (one.state == Stage::missing)
            result.missing.push_back(lastComponent(one.file->original));
        else if (one.state == Stage::failed)
            result.failed.push_back(one.reason);
    }
    return result;
}

} // namespace kelvora
