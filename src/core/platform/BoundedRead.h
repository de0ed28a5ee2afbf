#pragma once

#include <cstdint>
#include <string>

namespace kelvora {

// A file read whole only while it stays within a limit. What the application reads back of
// its own (settings, manifests, plans) lies where other programs can write too: a huge or
// sparse file there must not cost its size in memory.
struct BoundedRead {
    enum class Outcome { read, missing, tooLarge, unreadable };
    Outcome outcome = Outcome::missing;
    std::string bytes;  // read only
    std::string reason; // unreadable: why, in plain words

    bool ok() const { return outcome == Outcome::read; }
};

// Reads a regular file of at most `limit` bytes. A folder, pipe or device is unreadable, and
// a file that grows past the limit while it is read is too large.
BoundedRead readFileAtMost(const std::string& path, int64_t limit);

} // namespace kelvora
