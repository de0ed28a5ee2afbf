#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
// Whether a link leads into one of `folders` or below: the file it finally leads to lies
// there, or a link on the way does. Folders are compared by identity, so that one named by a
// path through a link or a bind mount still holds what lies in it. A link that leads nowhere
// leads into none.
bool leadsInto(const std::string& path, const std::vector<std::string>& folders);

} // namespace kelvora
