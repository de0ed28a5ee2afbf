#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

namespace kelvora {

// What a file is, whichever path or link leads to it.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    auto operator<=>(const FileIdentity&) const = default;
};
// Of the file a path leads to, links followed; none when nothing is there.
std::optional<FileIdentity> identityOf(const std::string& path);

} // namespace kelvora
