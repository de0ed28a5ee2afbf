#include "platform/FilePresence.h"

#include "platform/Mounts.h"
#include "support/AbsentDisks.h"
#include "support/FixtureScanner.h"
#include "support/MountNamespace.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace kelvora;
using kelvora::testing::AbsentDisk;
using kelvora::testing::TempDir;

namespace {

struct PresenceCase {
    const char* what;
    const char* path; // under the test folder
    Presence expected;
};

} // namespace

// A test folder stands for the root: `media` for the removable disks' folder, `srv/nas` for
// a share /etc/fstab mounts and `auto` for an automounter's place. Only `media/usb` and
// `srv/nas` hold a disk now, as the mount table says.
TEST(FilePresence, AFileOnADiskThatIsNotThereNowIsUnknownNeverGone) {
    TempDir root;
    root.write("usr/bin/tool");
    root.write("media/usb/bin/there");
    root.mkdir("media/unplugged");
    root.mkdir("mnt/nas-off");
    root.mkdir("auto");
    root.write("srv/nas/bin/there");
    root.mkdir("srv/backup");
    root.mkdir("home/.local/bin");
    symlink((root / "media/unplugged/bin/tool").c_str(), (root / "home/bin-link").c_str());
    symlink((root / "media/unplugged/app").c_str(), (root / "home/.local/bin/app").c_str());
    symlink("../../../usr/bin/tool", (root / "home/.local/bin/relative").c_str());
    symlink((root / "nowhere/tool").c_str(), (root / "home/.local/bin/dangling").c_str());
    symlink((root / "srv/backup/tool").c_str(), (root / "home/.local/bin/on-share").c_str());
    symlink("loop", (root / "home/.local/bin/loop").c_str());
    root.write("home/file");

    DiskPlaces places;
    places.removableRoots = {root / "media", root / "mnt"};
    places.fstab = "# the shares\nnas:/export " + root / "srv/nas" + " nfs4 defaults 0 0\n" +
                   "nas:/backup " + root / "srv/backup" + " nfs4 noauto 0 0\n" +
                   "UUID=1 / ext4 defaults 0 1\nUUID=2 none swap sw 0 0\n";
    places.mountInfo = "22 1 254:0 / / rw - ext4 /dev/vda rw\n"
                       "30 22 8:1 / " +
                       root / "media/usb" +
                       " rw - vfat /dev/sdb1 rw\n"
                       "31 22 0:50 / " +
                       root / "srv/nas" +
                       " rw - nfs4 nas:/export rw\n"
                       "32 22 0:51 / " +
                       root / "auto" + " rw - autofs systemd-1 rw\n";

    const PresenceCase cases[] = {
        {"a program that is there", "usr/bin/tool", Presence::present},
        {"a program that is not", "usr/bin/other", Presence::gone},
        {"a file taken for a folder", "home/file/tool", Presence::gone},
        {"on a removable disk that is plugged in", "media/usb/bin/there", Presence::present},
        {"missing from a removable disk that is plugged in", "media/usb/bin/gone", Presence::gone},
        {"on a removable disk that is unplugged", "media/unplugged/bin/tool", Presence::unknown},
        {"whose removable disk's folder is gone too", "media/away/tool", Presence::unknown},
        {"under /mnt with no disk mounted", "mnt/nas-off/tool", Presence::unknown},
        {"a link leading onto an unplugged disk", "home/bin-link", Presence::unknown},
        {"a link in a folder leading onto an unplugged disk", "home/.local/bin/app",
         Presence::unknown},
        {"a relative link to a program that is there", "home/.local/bin/relative",
         Presence::present},
        {"a dangling link leading nowhere special", "home/.local/bin/dangling", Presence::gone},
        {"a link onto a share fstab mounts, not mounted now", "home/.local/bin/on-share",
         Presence::unknown},
        {"on a share fstab mounts that is mounted", "srv/nas/bin/there", Presence::present},
        {"missing from a share that is mounted", "srv/nas/bin/gone", Presence::gone},
        {"under an automounter's place with nothing mounted", "auto/disk/tool", Presence::unknown},
        {"a link that leads to itself", "home/.local/bin/loop", Presence::unknown},
    };
    for (const PresenceCase& c : cases)
        EXPECT_EQ(presenceOf(root / c.path, places), c.expected) << c.what;
    EXPECT_EQ(presenceOf("relative/tool", places), Presence::unknown);
}

// A folder that may be searched but not listed (0711) may hide a disk's place even where
// programs are installed and removed, /usr/local among them: nothing says it is not empty.
TEST(FilePresence, AFileInAFolderThisUserMayNotSearchOrListIsUnknown) {
    TempDir root;
    chmod(root.path().c_str(), 0755);
    root.write("open/tool");
    root.write("locked/tool");
    chmod((root / "locked").c_str(), 0700);
    root.mkdir("home/emptied");
    const char* unlisted[] = {"srv/unlisted", "home/unlisted", "usr/local/unlisted"};
    for (const char* folder : unlisted)
        chmod(root.mkdir(folder).c_str(), 0711);
    DiskPlaces places;
    places.systemRoots = {root / "usr"};
    places.programRoots = {root / "home", root / "usr/local"};
    EXPECT_TRUE(kelvora::testing::asNobody([&] {
        bool judged = presenceOf(root / "locked/tool", places) == Presence::unknown &&
                      presenceOf(root / "open/gone", places) == Presence::gone &&
                      presenceOf(root / "home/emptied/tool", places) == Presence::gone;
        for (const char* folder : unlisted)
            judged = judged && presenceOf(root / folder + "/tool", places) == Presence::unknown;
        return judged;
    }));
}

// However a disk is mounted, while it is away a path onto it, or a link leading there, is
// unknown; once it is mounted (in a mount namespace of the test's own), a file missing from
// it is gone, even from its empty root.
TEST(FilePresence, APathOntoADiskThatIsAwayIsUnknownHoweverTheDiskIsMounted) {
    for (const AbsentDisk& disk : kelvora::testing::absentDisks()) {
        SCOPED_TRACE(disk.what);
        TempDir root;
        root.write("home/notes");
        DiskPlaces places;
        disk.layOut(root, places);
        const std::string tool = root / (disk.at + "/bin/tool");
        symlink(tool.c_str(), (root / "home/tool").c_str());
        EXPECT_EQ(presenceOf(tool, places), Presence::unknown);
        EXPECT_EQ(presenceOf(root / "home/tool", places), Presence::unknown);
        EXPECT_EQ(presenceOf(root / "home/gone", places), Presence::gone);

        const int status = kelvora::testing::inMountNamespace([&]() -> std::string {
            if (!createDirectories(root / disk.at) || !kelvora::testing::mountAt(root / disk.at))
                return "could not mount\n";
            places.mountInfo = liveMountInfo();
            if (presenceOf(root / (disk.at + "/tool"), places) != Presence::gone)
                return "a file missing from the empty disk is not gone\n";
            root.write(disk.at + "/bin/other");
            return presenceOf(tool, places) == Presence::gone &&
                           presenceOf(root / "home/tool", places) == Presence::gone &&
                           presenceOf(root / (disk.at + "/bin/other"), places) == Presence::present
                       ? ""
                       : "a file missing from the mounted disk is not gone\n";
        });
        if (status == kelvora::testing::kNoMountNamespace) GTEST_SKIP() << "no mount namespace";
        EXPECT_EQ(status, 0);
    }
}

// A folder that holds nothing is what an unmounted disk's place looks like: a path that
// stops there is unknown, one that stops in a folder holding anything is gone, and so is one
// that stops at an empty folder of the system's own, where nothing is mounted by hand, or
// where programs are installed and removed (/opt, /usr/local, the home), as the removal of
// the last one leaves its folder. The home here is named through a link, as /home may be.
TEST(FilePresence, APathThatStopsAtAnEmptyFolderIsUnknown) {
    TempDir root;
    root.mkdir("srv/nas");
    root.write("usr/bin/tool");
    root.mkdir("usr/games");
    root.mkdir("usr/local/bin");
    root.mkdir("opt");
    for (const char* emptied : {"Applications", "AppImages", ".local/bin", "bin"})
        root.mkdir(std::string("var/home/me/") + emptied);
    symlink((root / "var/home").c_str(), (root / "home").c_str());
    DiskPlaces places;
    places.systemRoots = {root / "usr"};
    places.programRoots = {root / "opt", root / "usr/local", root / "home/me"};
    const PresenceCase cases[] = {
        {"in an empty folder", "srv/nas/tool", Presence::unknown},
        {"below an empty folder", "srv/nas/bin/tool", Presence::unknown},
        {"beside a file", "usr/bin/other", Presence::gone},
        {"below a missing folder beside others", "srv/backup/bin/tool", Presence::gone},
        {"a file taken for a folder", "usr/bin/tool/more", Presence::gone},
        {"in an empty folder of the system's", "usr/games/tool", Presence::gone},
        {"in an empty /usr/local/bin", "usr/local/bin/tool", Presence::gone},
        {"below an empty /opt", "opt/editor/bin/editor", Presence::gone},
        {"in an emptied ~/Applications", "home/me/Applications/Tool.AppImage", Presence::gone},
        {"in an emptied ~/AppImages", "home/me/AppImages/Tool.AppImage", Presence::gone},
        {"in an emptied ~/.local/bin", "home/me/.local/bin/tool", Presence::gone},
        {"below an emptied ~/bin", "home/me/bin/scripts/run", Presence::gone},
        {"in the home through its own path", "var/home/me/bin/run", Presence::gone},
    };
    for (const PresenceCase& c : cases)
        EXPECT_EQ(presenceOf(root / c.path, places), c.expected) << c.what;
}

// systemd's runtime folders under /run (transient units, generators) are mostly empty, and
// nothing is mounted there by hand: a unit missing from them is only missing, so the search
// path goes on to the folders that may hold it.
TEST(FilePresence, AnEmptyFolderOfTheRuntimeTreeIsOnlyEmpty) {
    if (access("/run", W_OK) != 0) GTEST_SKIP() << "/run cannot be written here";
    TempDir run("/run");
    run.mkdir("systemd/transient");
    EXPECT_EQ(presenceOf(run / "systemd/transient/agent.service", DiskPlaces{}), Presence::gone);
}
