#pragma once

#include "clean/UndoShelf.h"

#include <cstddef>
#include <optional>
#include <string>

namespace kelvora {

// The file that describes one clean-up on the Undo Shelf.
inline constexpr const char* kManifestName = "manifest.json";
inline constexpr const char* kItemsFolderName = "items";
// A clean-up's plan, written before anything moves and removed once its manifest is
// whole: every entry with every file it is about to move. A clean-up cut short is read
// back from it and from what its items folder holds.
inline constexpr const char* kJournalName = "journal.json";
// The most a manifest or plan may hold: hundreds of thousands of entries fit many times over.
// A larger file is damaged (or hostile, such as a sparse file of gigabytes) and is not read.
inline constexpr std::size_t kMaxManifestBytes = std::size_t{256} << 20;

// Pretty-printed JSON with ISO-8601 dates in UTC to the second and its keys sorted, so the
// date comes before the entries; a record cut short in them has lost its identifier and hold,
// which its folder's name stands in for.
// Fails (with the reason) when a text other than a stored name is not valid UTF-8 and so
// cannot be written. A stored name that is not is written readable, beside its bytes.
struct EncodedManifest {
    std::optional<std::string> text;
    std::string error;
};
// The plan is written compactly: it is never meant to be read by a person.
EncodedManifest encodeManifest(const UndoShelf::Sweep& sweep, bool pretty = true);

struct DecodedManifest {
    // The entries that could be read, each with every field of it that could: one read only
    // in part is marked so.
    UndoShelf::Sweep sweep;
    // Entries left out because no stored name of theirs could be read (not a single plain
    // file name, not text, missing, of the wrong type): what they stored is still in the
    // items folder.
    std::size_t unreadableEntries = 0;
    // Whether everything was read as written: no entry left out or read in part, no byte
    // that is not text, and not cut short. A file that was not is never written over.
    bool whole = true;
    // The record ends part way, as a write cut short leaves it: the entries before the cut
    // that could be read whole are read, and those after it are not known. Of the clean-up's
    // own fields, one after the cut is not read: an identifier so is left empty.
    bool cutShort = false;
    bool dateRead = true;
    bool expiresRead = true;

    // Whether stored items may belong to entries it does not list.
    bool leavesOutEntries() const { return unreadableEntries > 0 || cutShort; }
};

// None when the text is not JSON, or the clean-up's own keys are missing (but for a record cut
// short, which needs only its identifier or its date), of the wrong type, or its identifier is
// not a single plain file name (it would reach outside its folder). Either order of the keys
// is read. An original path is taken as written; putting back judges it. The entries are read
// one at a time, so no tree of the whole file is ever held.
std::optional<DecodedManifest> decodeManifest(const std::string& text);

// Whether the text can be written into a manifest (valid UTF-8). A path that cannot be
// recorded could never be put back, so it is never moved onto the shelf.
bool isRecordable(const std::string& text);

// Two lower-case hexadecimal digits per byte.
std::string hexText(const std::string& bytes);
// The identifier of an entry known by its stored name alone: the name, or where it is not
// text, its bytes in hexadecimal.
std::string storedNameID(const std::string& stored);

// A name usable as one path component inside the shelf: not empty, no "/", not "." or "..".
bool isSingleComponent(const std::string& name);

} // namespace kelvora
