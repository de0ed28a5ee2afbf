#pragma once

#include "platform/Date.h"
#include "platform/Url.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kelvora {

// The Undo Shelf: a folder of clean-ups, each of which can be put back until it expires.
struct UndoShelf {
    struct Entry {
        struct File {
            std::string original; // POSIX path the target had; where it is put back
            std::string stored;   // its name inside the clean-up's "items" folder
            bool operator==(const File&) const = default;
        };
        std::string id;
        std::string label;
        std::string kind;
        std::string location;
        int64_t bytes = 0;
        std::vector<File> files;
        bool operator==(const Entry&) const = default;
    };

    struct Sweep {
        std::string id;
        Date date{};
        Date expires{};
        std::vector<Entry> entries;

        int64_t bytes() const {
            int64_t total = 0;
            for (const auto& entry : entries)
                total += entry.bytes;
            return total;
        }
        // Whole days until expiry, rounded up, never below 1.
        int daysLeft(Date now) const;
        bool operator==(const Sweep&) const = default;
    };

    URL root;
    int holdDays = 7;

    UndoShelf() = default;
    explicit UndoShelf(URL root) : root(std::move(root)) {}
    UndoShelf(URL root, int holdDays) : root(std::move(root)), holdDays(holdDays) {}
};

} // namespace kelvora

template <> struct std::hash<kelvora::UndoShelf::Entry::File> {
    std::size_t operator()(const kelvora::UndoShelf::Entry::File& v) const noexcept;
};
template <> struct std::hash<kelvora::UndoShelf::Entry> {
    std::size_t operator()(const kelvora::UndoShelf::Entry& v) const noexcept;
};
template <> struct std::hash<kelvora::UndoShelf::Sweep> {
    std::size_t operator()(const kelvora::UndoShelf::Sweep& v) const noexcept;
};
