#include "platform/Mounts.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/Url.h"

#include <algorithm>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace kelvora {

namespace {

// What the kernel says of one descriptor: a few lines.
constexpr size_t kMaxFdInfoBytes = 1 << 20;

// Kernels before 5.8 give no mount id through statx; the descriptor's entry in
// /proc/self/fdinfo gives the same number.
std::optional<uint64_t> mountIdFromFdinfo(int fd) {
    BoundedRead text = readFileAtMost("/proc/self/fdinfo/" + std::to_string(fd), kMaxFdInfoBytes);
    if (!text.ok()) return std::nullopt;
    std::istringstream lines(text.bytes);
    for (std::string line; std::getline(lines, line);)
        if (startsWith(line, "mnt_id:")) {
            const std::string digits = trimmed(line.substr(7));
            if (digits.empty() || digits.size() > 19 ||
                digits.find_first_not_of("0123456789") != std::string::npos)
                return std::nullopt;
            return std::stoull(digits);
        }
    return std::nullopt;
}

std::optional<MountPlace> placeAt(int folder, const char* name, int flags) {
    struct statx status {};
    if (statx(folder, name, flags | AT_NO_AUTOMOUNT, STATX_INO | STATX_MNT_ID, &status) != 0)
        return std::nullopt;
    MountPlace place{makedev(status.stx_dev_major, status.stx_dev_minor), status.stx_mnt_id};
    if (status.stx_mask & STATX_MNT_ID) return place;
    int fd = (flags & AT_EMPTY_PATH) ? fcntl(folder, F_DUPFD_CLOEXEC, 0)
                                     : openat(folder, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    auto mount = mountIdFromFdinfo(fd);
    close(fd);
    if (!mount) return std::nullopt;
    place.mount = *mount;
    return place;
}

// Mount tables write blanks, tabs, line ends and backslashes in a path as octal escapes.
std::string unescaped(const std::string& field) {
    std::string path;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string digits = field.substr(i + 1, 3);
            if (digits.find_first_not_of("01234567") == std::string::npos) {
                path += static_cast<char>(std::stoi(digits, nullptr, 8));
                i += 3;
                continue;
            }
        }
        path += field[i];
    }
    return path;
}

} // namespace

std::optional<MountPlace> mountPlaceOf(int fd) {
    return placeAt(fd, "", AT_EMPTY_PATH);
}

std::optional<MountPlace> mountPlaceAt(int folder, const std::string& name) {
    return placeAt(folder, name.c_str(), AT_SYMLINK_NOFOLLOW);
}

std::optional<MountPlace> mountPlaceAt(const std::string& path) {
    return placeAt(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW);
}

std::vector<std::string> mountPointsBelow(const std::string& folder, const std::string& mountInfo) {
    const std::string prefix = folder == "/" ? "/" : folder + "/";
    std::vector<std::string> found;
    for (const MountEntry& mount : mountEntries(mountInfo))
        if (mount.point.size() > prefix.size() && startsWith(mount.point, prefix))
            found.push_back(mount.point);
    return found;
}

std::optional<FileSystemPath> fileSystemPathOf(const std::string& realPath,
                                               const std::string& mountInfo) {
    std::optional<FileSystemPath> found;
    size_t deepest = 0;
    std::istringstream lines(mountInfo);
    for (std::string line; std::getline(lines, line);) {
        const auto fields = splitNonEmpty(line, ' ');
        if (fields.size() < 5) continue;
        const std::string point = unescaped(fields[4]);
        // The last of the mounts at one place hides those before it.
        if (!isSameOrInside(realPath, point) || (found && point.size() < deepest)) continue;
        const std::string below = realPath.substr(point == "/" ? 1 : point.size());
        std::string inside = unescaped(fields[3]);
        if (!below.empty() && below != "/")
            inside = joinPath(inside, below.front() == '/' ? below.substr(1) : below);
        found = FileSystemPath{fields[2], standardizedPath(inside)};
        deepest = point.size();
    }
    return found;
}

std::vector<MountEntry> mountEntries(const std::string& mountInfo) {
    std::vector<MountEntry> entries;
    std::istringstream lines(mountInfo);
    for (std::string line; std::getline(lines, line);) {
        // Mount id, parent id, device, root, the mount point, then optional fields ending
        // with a lone "-" and the file system's type. A line without a type still counts as
        // a mount, so that no mount point is ever missed.
        const auto fields = splitNonEmpty(line, ' ');
        if (fields.size() < 5) continue;
        auto separator = std::find(fields.begin() + 5, fields.end(), "-");
        const bool typed = separator != fields.end() && separator + 1 != fields.end();
        entries.push_back({unescaped(fields[4]), typed ? *(separator + 1) : std::string()});
    }
    return entries;
}

std::vector<std::string> fstabMountPoints(const std::string& fstab) {
    std::vector<std::string> points;
    std::istringstream lines(fstab);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string device, point, type;
        if (!(words >> device >> point >> type) || device.front() == '#') continue;
        point = unescaped(point);
        if (point.front() != '/' || point == "/" || type == "swap") continue;
        points.push_back(standardizedPath(point));
    }
    return points;
}

std::string readMountTable(const std::string& file) {
    BoundedRead table = readFileAtMost(file, kMaxMountInfoBytes);
    return table.ok() ? std::move(table.bytes) : std::string();
}

std::string liveMountInfo() {
    return readMountTable("/proc/self/mountinfo");
}

} // namespace kelvora
