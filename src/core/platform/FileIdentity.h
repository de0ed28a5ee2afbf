#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

namespace kelvora {

// What a file is, whichever path or link leads to it: its device and inode, the same on
// every path that reaches it, through links, bind mounts and other mount namespaces alike.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    auto operator<=>(const FileIdentity&) const = default;
};
// Of the file a path leads to, links followed; none when nothing is there.
std::optional<FileIdentity> identityOf(const std::string& path);
// Of what a path names, a final link itself rather than what it leads to.
std::optional<FileIdentity> identityAt(const std::string& path);

} // namespace kelvora
