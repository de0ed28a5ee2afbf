#include "platform/Mounts.h"

#include <gtest/gtest.h>

using namespace kelvora;

TEST(Mounts, TheMountPointsBelowAFolderComeFromTheMountTable) {
    const std::string table = "22 1 254:0 / / rw - ext4 /dev/vda rw\n"
                              "40 22 0:40 / /home/ann/.cache/doc rw - fuse.portal portal rw\n"
                              "41 22 254:0 /data /home/ann/My\\040Disk rw - ext4 /dev/vda rw\n"
                              "42 22 254:1 / /home/annex rw - ext4 /dev/vdb rw\n";
    using Paths = std::vector<std::string>;
    EXPECT_EQ(mountPointsBelow("/home/ann", table),
              (Paths{"/home/ann/.cache/doc", "/home/ann/My Disk"}));
    EXPECT_EQ(mountPointsBelow("/home/ann/.cache", table), Paths{"/home/ann/.cache/doc"});
    EXPECT_EQ(mountPointsBelow("/home/annex", table), Paths{});
}

// A bind mount shows a folder of its file system again elsewhere: by where it lies in that
// file system it is still the folder it shows.
TEST(Mounts, AFolderIsPlacedInItsFileSystemWhicheverMountShowsIt) {
    const std::string table = "22 1 254:0 / / rw - ext4 /dev/vda rw\n"
                              "40 22 254:0 /home/ann/Documents /home/ann/.cache rw - ext4 a rw\n"
                              "41 22 0:40 / /home/ann/.cache rw - tmpfs none rw\n"
                              "42 22 254:1 / /home/annex rw - ext4 /dev/vdb rw\n"
                              "43 22 254:0 /srv/my\\040files /mnt/x rw - ext4 /dev/vda rw\n";
    using Place = std::optional<FileSystemPath>;
    EXPECT_EQ(fileSystemPathOf("/home/ann/Documents/letter", table),
              (Place{{"254:0", "/home/ann/Documents/letter"}}));
    // The last mount at a place hides those before it.
    EXPECT_EQ(fileSystemPathOf("/home/ann/.cache/x", table), (Place{{"0:40", "/x"}}));
    EXPECT_EQ(fileSystemPathOf("/home/annex/a", table), (Place{{"254:1", "/a"}}));
    EXPECT_EQ(fileSystemPathOf("/home/ann", table), (Place{{"254:0", "/home/ann"}}));
    EXPECT_EQ(fileSystemPathOf("/mnt/x/sub", table), (Place{{"254:0", "/srv/my files/sub"}}));
    EXPECT_EQ(fileSystemPathOf("/mnt/x", table), (Place{{"254:0", "/srv/my files"}}));
    EXPECT_EQ(fileSystemPathOf("relative", table), std::nullopt);
}
