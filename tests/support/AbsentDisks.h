#pragma once

#include "platform/FilePresence.h"
#include "platform/UnitFolders.h"
#include "support/TempDir.h"

#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace kelvora::testing {

// The ways a disk that is not mounted now shows in a test folder standing for the root: each
// lays out the folder `at` where the disk would be mounted, as it is while the disk is away,
// and whatever tells of it. A path onto any of them is unknown, never gone, while programs
// come and go in the test folder's `home`, `opt` and `usr/local`, where an empty folder is
// only empty.
struct AbsentDisk {
    const char* what;
    std::string at; // under the test folder
    std::function<void(const TempDir&, DiskPlaces&)> layOut;
};

// A path as systemd writes it in a unit's name.
inline std::string unitNameOf(const std::string& path, const std::string& type) {
    std::string name;
    for (char c : path.substr(1))
        name += c == '/' ? "-" : c == '-' ? "\\x2d" : std::string(1, c);
    return name + "." + type;
}

inline std::vector<AbsentDisk> absentDisks() {
    // A mount point may keep files of its own, hidden while the disk is mounted.
    std::vector<AbsentDisk> disks = {
        {"a share /etc/fstab mounts", "srv/fstab",
         [](const TempDir& dir, DiskPlaces& places) {
             places.fstab = "nas:/export " + dir.mkdir("srv/fstab") + " nfs4 defaults 0 0\n";
         }},
        {"a share a systemd mount unit mounts", "srv/unit",
         [](const TempDir& dir, DiskPlaces& places) {
             dir.write("srv/unit/.hidden-when-mounted");
             dir.write("units/nas.mount", "[Unit]\nDescription=NAS\n[Mount]\nWhat=nas:/export\n"
                                          "Where=" +
                                              dir / "srv/unit" + "\nType=nfs4\n");
             places.unitMountPoints = UnitFolders::mountPoints({dir / "units"});
         }},
        {"a disk an automount unit known by its name alone mounts", "srv/auto",
         [](const TempDir& dir, DiskPlaces& places) {
             dir.write("srv/auto/.hidden-when-mounted");
             const std::string wants = dir.mkdir("units/remote-fs.target.wants");
             symlink("/nowhere",
                     joinPath(wants, unitNameOf(dir / "srv/auto", "automount")).c_str());
             places.unitMountPoints = UnitFolders::mountPoints({dir / "units"});
         }},
        {"a disk mounted by hand, by sshfs or by rclone, named nowhere", "srv/hand",
         [](const TempDir& dir, DiskPlaces&) { dir.mkdir("srv/hand"); }},
        {"a removable disk unplugged", "media/usb",
         [](const TempDir& dir, DiskPlaces& places) {
             places.removableRoots = {dir.mkdir("media")};
         }},
        {"a disk away from its folder under /mnt", "mnt/backup",
         [](const TempDir& dir, DiskPlaces& places) {
             places.removableRoots = {dir.mkdir("mnt")};
         }},
        {"a disk /etc/fstab mounts only when asked", "srv/noauto",
         [](const TempDir& dir, DiskPlaces& places) {
             places.fstab = "UUID=7 " + dir.mkdir("srv/noauto") + " ext4 noauto,user 0 2\n";
         }},
    };
    for (AbsentDisk& disk : disks)
        disk.layOut = [layOut = std::move(disk.layOut)](const TempDir& dir, DiskPlaces& places) {
            places.programRoots = {dir / "home", dir / "opt", dir / "usr/local"};
            layOut(dir, places);
        };
    return disks;
}

} // namespace kelvora::testing
