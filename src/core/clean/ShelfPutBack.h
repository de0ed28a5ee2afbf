#pragma once

#include "clean/UndoShelf.h"
#include "platform/FolderHandle.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace kelvora {

// The folders the files of a clean-up may go back below, each judged once. A folder an entry
// noted is trusted while it is the folder it was when the item was shelved (its device and
// inode unchanged), or while it is one a scan looks in now (made again when missing). So a
// file goes back even after the user folders were renamed, and a hand-edited place cannot
// send it anywhere a clean-up never took one from. A clean-up shelved before its folders were
// noted came from the folders a scan looks in.
class ReturnPlaces {
public:
    explicit ReturnPlaces(const std::vector<URL>& scanFolders);

    struct Place {
        std::string folder; // below which the file goes back
        std::string why;    // it cannot, when `folder` is empty
    };
    Place placeOf(const UndoShelf::Entry& entry, const UndoShelf::Entry::File& file);
    // Notes on the entry why a file of it cannot go back now, and whether any can.
    void judge(UndoShelf::Entry& entry);
    // "“name” can’t be put back: " and why.
    static std::string refusal(const UndoShelf::Entry::File& file, const std::string& why);

private:
    struct Judged {
        bool trusted = false;
        std::string refusal;
    };
    const Judged& judged(const UndoShelf::Entry::Folder& folder);

    std::vector<std::string> scanPaths_;
    std::unordered_map<std::string, Judged> judged_;
};

// How putting back the files of one entry went.
struct EntryReturn {
    std::vector<UndoShelf::Entry::File> stayed; // still on the shelf, in the entry's order
    std::vector<std::string> failed;            // why each that was tried stayed
    std::vector<std::string> missing;           // names no longer on the shelf, nor found back
};

// Puts the files of an entry back where they came from, one at a time (a Trash item with its
// record), so that a stop is seen between them and progress can be saved. Each goes back only
// below a folder it may go back to, entered one name at a time without crossing a link and
// made where missing, under its own name or, where that is taken, a restored one (a Trash
// item and its record take the same). A file no longer on the shelf whose identity stands at
// its place is back already (a put back cut short) and is not missed. Only a few destination
// folders are held open at once, however many files the entry has.
class EntryPutBack {
public:
    EntryPutBack(const FolderHandle& items, const UndoShelf::Entry& entry, ReturnPlaces& places);
    ~EntryPutBack();
    EntryPutBack(const EntryPutBack&) = delete;
    EntryPutBack& operator=(const EntryPutBack&) = delete;

    // Handles the next file (or Trash item with its record); how many files it handled, 0
    // once every file has been.
    std::size_t next();
    // The files still on the shelf: those that stayed and those not reached yet.
    std::vector<UndoShelf::Entry::File> stillStored() const;
    EntryReturn result() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The identity of what is stored under a name, to be noted when it is shelved.
std::optional<UndoShelf::Entry::File::Identity> identityAt(const FolderHandle& folder,
                                                           const std::string& name);

} // namespace kelvora
