#pragma once

#include <string>
#include <vector>

namespace kelvora {

// Whether a file that an entry, a unit or a list of apps names is there. A path that leads,
// itself or through a link on the way, onto a disk that is not attached now (an unplugged
// USB disk, a network share not mounted at the moment) is unknown, never gone: the file may
// well be on that disk. So is one that stops at an empty folder, which is what the place of
// a disk not mounted now looks like however it is mounted (by hand, sshfs, rclone), save in
// the places below where an empty folder is only empty; one that stops at a folder this user
// may not list; and one behind a folder this user may not search.
enum class Presence { present, gone, unknown };

// The places where a disk may be missing, and the mount tables that tell which are there.
struct DiskPlaces {
    // Folders under which the desktop and the administrator mount removable disks.
    std::vector<std::string> removableRoots = {"/media", "/run/media", "/mnt", "/Volumes"};
    // The running system's own folders: whatever is mounted among them is mounted at start by
    // a line or a unit that tells of it, never by hand, so an empty folder there is only empty.
    // /run is made anew at each start; its removable disks are among `removableRoots`.
    std::vector<std::string> systemRoots = {"/usr", "/etc",   "/bin", "/sbin",
                                            "/lib", "/lib64", "/run"};
    // Where programs are installed and removed: /opt, /usr/local and the home (which live()
    // adds). Removing the last program there leaves its folder empty, so an empty folder is
    // only empty; one this user may not list may still hide a disk's place. A root counts by
    // identity, so a home named through a link (/home leading to /var/home) holds its folders.
    std::vector<std::string> programRoots = {"/opt", "/usr/local"};
    std::string fstab;     // the text of /etc/fstab
    std::string mountInfo; // the text of /proc/self/mountinfo
    // Where systemd's .mount and .automount units mount, which count as fstab's lines do.
    std::vector<std::string> unitMountPoints;

    static DiskPlaces live();
};

// Follows the path's links one step at a time, as the kernel would.
Presence presenceOf(const std::string& path, const DiskPlaces& places);

} // namespace kelvora
