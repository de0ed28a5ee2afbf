#include "clean/ShelfPutBack.h"

#include "clean/ShelfNames.h"
#include "engine/PathRules.h"
#include "platform/Text.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unordered_map>

namespace kelvora {

namespace {

using File = UndoShelf::Entry::File;

// The Trash keeps a record of each thrown item as "info/<name>.trashinfo" beside
// "files/<name>"; the two come back under one name, or a file manager loses the record.
const std::string kRecordSuffix = ".trashinfo";

enum class State { ready, restored, back, missing, failed };

struct Return {
    const File* file = nullptr;
    std::string base;                 // the name its restored names are made from
    std::string suffix;               // kept after each of them (a Trash record's)
    std::size_t room = kMaxNameBytes; // for the base with its mark
    FolderHandle folder;              // where it goes back, reached without links
    State state = State::ready;
    std::string reason;
    long at = 0; // the try it went back, or was found back, under

    std::string nameAt(long n) const { return restoredName(base, n, room) + suffix; }
    void fail(std::string why) {
        state = State::failed;
        reason = std::move(why);
    }
};

std::string inQuotes(const std::string& text) {
    return "“" + text + "”";
}

// The folders an entry's files may go back below: those noted when it was shelved, each
// only while a scan still looks in it, so a hand-edited place cannot send a file anywhere a
// clean-up never takes one from. A clean-up shelved before they were noted came from the
// folders a scan looks in.
std::vector<std::string> placesOf(const UndoShelf::Entry& entry,
                                  const std::vector<URL>& scanFolders) {
    std::vector<std::string> places;
    if (entry.scannedIn.empty()) {
        for (const auto& folder : scanFolders)
            places.push_back(folder.path());
        return places;
    }
    for (const auto& place : entry.scannedIn)
        if (isPlainAbsolutePath(place) &&
            std::any_of(scanFolders.begin(), scanFolders.end(),
                        [&](const URL& folder) { return isSameOrInside(place, folder.path()); }))
            places.push_back(place);
    return places;
}

std::optional<std::string> placeOf(const std::string& original,
                                   const std::vector<std::string>& places) {
    const std::string* deepest = deepestHolding(
        original, places, [](const std::string& place) -> const std::string& { return place; });
    return deepest ? std::optional<std::string>(*deepest) : std::nullopt;
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

Return prepared(const FolderHandle& items, const File& file,
                const std::vector<std::string>& places) {
    Return one;
    one.file = &file;
    one.base = lastComponent(file.original);
    if (file.original.empty()) {
        one.fail(inQuotes(file.stored) +
                 " can’t be put back: where it came from is not known. Show it in the file "
                 "manager, or free it");
        return one;
    }
    // A place written with "..", "." or empty names could lead anywhere; it is not guessed.
    if (!isPlainAbsolutePath(file.original) || file.original == "/") {
        one.fail(inQuotes(one.base) + " can’t be put back: the place it came from, " +
                 inQuotes(file.original) + ", is not a plain full path");
        return one;
    }
    auto place = placeOf(file.original, places);
    if (!place) {
        one.fail(inQuotes(one.base) + " can’t be put back: the place it came from, " +
                 inQuotes(file.original) + ", is outside the places this clean-up came from");
        return one;
    }
    bool stored = items.contains(file.stored);
    std::string reason;
    one.folder = reach(*place, parentPath(file.original), stored, reason);
    if (!stored)
        one.state = State::missing;
    else if (!one.folder)
        one.fail(reason);
    return one;
}

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
    if (one.state != State::missing || !one.file->identity || !one.folder) return;
    for (long n = 0;; ++n) {
        auto there = identityAt(one.folder, one.nameAt(n));
        if (!there) return;
        if (*there == *one.file->identity) {
            one.state = State::back;
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
            return one->state == State::ready && one->folder.contains(one->nameAt(n));
        });
    };
    for (const Return* one : group)
        if (one->state == State::back && freeAt(one->at)) return one->at;
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

EntryReturn returnEntry(const FolderHandle& items, const UndoShelf::Entry& entry,
                        const std::vector<URL>& scanFolders) {
    const std::vector<std::string> places = placesOf(entry, scanFolders);
    std::vector<Return> returns;
    returns.reserve(entry.files.size());
    for (const auto& file : entry.files)
        returns.push_back(prepared(items, file, places));
    for (const auto& group : groupsOf(returns)) {
        for (Return* one : group)
            lookForItBack(*one);
        long n = freeTry(group);
        for (Return* one : group) {
            if (one->state != State::ready) continue;
            FileResult moved = items.moveItem(one->file->stored, one->folder, one->nameAt(n));
            if (moved)
                one->state = State::restored;
            else
                one->fail(moved.reason);
        }
    }
    EntryReturn result;
    for (const auto& one : returns) {
        if (one.state == State::missing)
            result.missing.push_back(lastComponent(one.file->original));
        if (one.state != State::failed) continue;
        result.stayed.push_back(*one.file);
        result.failed.push_back(one.reason);
    }
    return result;
}

} // namespace kelvora
