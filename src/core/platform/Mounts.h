#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvora {

// Where a file-system object lies: its disk and the mount it was reached through. A bind
// mount keeps the disk of what it shows but is a mount of its own, so only both together
// tell whether two folders are on one mount.
struct MountPlace {
    uint64_t device = 0; // as st_dev
    uint64_t mount = 0;  // the id /proc/self/mountinfo lists the mount under
    bool operator==(const MountPlace&) const = default;
};

std::optional<MountPlace> mountPlaceOf(int fd);
// Of a name inside an open folder, or of a path; a final link is never followed.
std::optional<MountPlace> mountPlaceAt(int folder, const std::string& name);
std::optional<MountPlace> mountPlaceAt(const std::string& path);

// The mount points a mount table (in the form of /proc/self/mountinfo) lists strictly
// below a folder.
std::vector<std::string> mountPointsBelow(const std::string& folder, const std::string& mountInfo);
// Where a path (links resolved) lies within its file system, as a mount table (in the form
// of /proc/self/mountinfo) tells: the device, and the path from that file system's own
// root, whichever mount shows it. A bind mount shows a folder again elsewhere; by these two
// it is still the same folder. None when no mount of the table holds the path.
struct FileSystemPath {
    std::string device; // "major:minor"
    std::string path;
    bool operator==(const FileSystemPath&) const = default;
};
std::optional<FileSystemPath> fileSystemPathOf(const std::string& realPath,
                                               const std::string& mountInfo);

// The mounts a mount table (in the form of /proc/self/mountinfo) lists, in its order.
struct MountEntry {
    std::string point;
    std::string type; // as the kernel names it: ext4, nfs4, autofs…
    bool operator==(const MountEntry&) const = default;
};
std::vector<MountEntry> mountEntries(const std::string& mountInfo);
// Where /etc/fstab (its text) mounts its file systems; swap and the root left out.
std::vector<std::string> fstabMountPoints(const std::string& fstab);

// Far above any real mount table; a larger one counts as unreadable.
inline constexpr size_t kMaxMountInfoBytes = 64 << 20;
// A mount table read from a file; empty when it cannot be read or is larger than any real one.
std::string readMountTable(const std::string& file);
// This process's mount table; empty when it cannot be read.
std::string liveMountInfo();

} // namespace kelvora
