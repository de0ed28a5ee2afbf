#pragma once

#include "platform/Date.h"
#include "platform/FileIdentity.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// One item of a clean-up on the Undo Shelf, as its manifest records it.
struct ShelfEntry {
    struct File {
        // What was moved, as it stood on the shelf. Moving keeps it, so a file of the same
        // identity at the original place (or under a restored name beside it) is this one,
        // already back.
        struct Identity {
            int64_t size = 0;
            uint64_t device = 0;
            uint64_t inode = 0;
            bool operator==(const Identity&) const = default;
        };
        std::string original; // POSIX path the target had; where it is put back; empty
                              // when not known (a clean-up recovered from its items alone)
        std::string stored;   // its name inside the clean-up's "items" folder
        std::optional<Identity> identity; // absent in clean-ups shelved before it was noted
        bool operator==(const File&) const = default;
    };
    // A folder the scan found its targets in, and what it was (its device and inode) when
    // the item was shelved.
    struct Folder {
        using Identity = FileIdentity;
        std::string path;
        std::optional<Identity> identity; // absent in clean-ups shelved before it was noted
        bool operator==(const Folder&) const = default;
    };
    std::string id;
    std::string label;
    std::string kind;
    std::string location;
    int64_t bytes = 0;
    std::vector<File> files;
    // Put back reaches each file from the folder holding it, without crossing a link, and
    // takes it nowhere else. Empty in clean-ups shelved before they were noted.
    std::vector<Folder> scannedIn;
    // Its record could be read only in part (a field missing or of the wrong type, a file
    // whose place is not text): it stays past its hold, as it may never have been listed as it
    // was shelved, until the user puts it back or frees it.
    bool partlyRead = false;
    // As the shelf was last read: why a file of it cannot go back now (the first such one, in
    // words that follow "can’t be put back: "), empty when every file can, and whether any
    // can. Never stored; such an entry outlives its hold until the user frees it.
    std::string whyItStays;
    bool anyGoesBack = true;

    // Whether anything of it has a known place to go back to, and can go back now.
    bool canGoBack() const;
    bool operator==(const ShelfEntry&) const = default;
};

// One clean-up on the Undo Shelf: what a clean made and the shelf lists.
struct ShelfSweep {
    std::string id;
    Date date{};
    Date expires{};
    std::vector<ShelfEntry> entries;

    // The entries' bytes added up, pinned at the largest figure rather than wrapping.
    int64_t bytes() const;
    // Whole days until expiry, rounded up, never below 1.
    int daysLeft(Date now) const;
    bool operator==(const ShelfSweep&) const = default;
};

} // namespace kelvora

template <> struct std::hash<kelvora::ShelfEntry::File::Identity> {
    std::size_t operator()(const kelvora::ShelfEntry::File::Identity& v) const noexcept;
};
template <> struct std::hash<kelvora::ShelfEntry::Folder> {
    std::size_t operator()(const kelvora::ShelfEntry::Folder& v) const noexcept;
};
template <> struct std::hash<kelvora::ShelfEntry::File> {
    std::size_t operator()(const kelvora::ShelfEntry::File& v) const noexcept;
};
template <> struct std::hash<kelvora::ShelfEntry> {
    std::size_t operator()(const kelvora::ShelfEntry& v) const noexcept;
};
template <> struct std::hash<kelvora::ShelfSweep> {
    std::size_t operator()(const kelvora::ShelfSweep& v) const noexcept;
};
