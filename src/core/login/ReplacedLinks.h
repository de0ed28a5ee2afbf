#pragma once

#include "platform/FileSystem.h"

#include <cstddef>
#include <map>
#include <string>

namespace kelvora {

// Kelvora's note of the links to menu entries it put files of the autostart folder's own in
// place of, so that switching back on can give each link back exactly as it was: by the
// autostart entry's path, what the link held and what Kelvora wrote in its place.
struct ReplacedLinks {
    struct Link {
        std::string target; // as the link held it, relative or not
        std::string written;
        bool operator==(const Link&) const = default;
    };
    std::map<std::string, Link> byEntry;

    // A few entries of a few kilobytes; a larger note counts as damaged.
    static constexpr std::size_t kMaxFileBytes = 4 << 20;

    static std::string defaultFile(); // in Kelvora's data folder
    // A missing, damaged or too large note reads as empty: no link is given back.
    static ReplacedLinks load(const std::string& file);
    // Each changes the note on disk under a lock, written atomically.
    static FileResult note(const std::string& file, const std::string& entry, const Link& link);
    static FileResult forget(const std::string& file, const std::string& entry);
};

} // namespace kelvora
