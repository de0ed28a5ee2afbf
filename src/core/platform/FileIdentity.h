#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

namespace kelvora {

// A file or folder as the kernel tells them apart: its device and inode, the same on every
// path that reaches it, through links, bind mounts and other mount namespaces alike.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    auto operator<=>(const FileIdentity&) const = default;
};

// Of what a path names, a final link itself rather than what it leads to; none when
// nothing is there.
std::optional<FileIdentity> identityAt(const std::string& path);
// Of what an open descriptor stands for.
std::optional<FileIdentity> identityOf(int fd);

} // namespace kelvora
