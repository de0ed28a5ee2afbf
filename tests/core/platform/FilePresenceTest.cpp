#include "platform/FilePresence.h"

#include "support/FixtureScanner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace kelvora;
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

TEST(FilePresence, AFileBehindAFolderThisUserMayNotSearchIsUnknown) {
    TempDir root;
    chmod(root.path().c_str(), 0755);
    root.write("open/tool");
    root.write("locked/tool");
    chmod((root / "locked").c_str(), 0700);
    EXPECT_TRUE(kelvora::testing::asNobody([&] {
        return presenceOf(root / "locked/tool", DiskPlaces{}) == Presence::unknown &&
               presenceOf(root / "open/gone", DiskPlaces{}) == Presence::gone;
    }));
}
