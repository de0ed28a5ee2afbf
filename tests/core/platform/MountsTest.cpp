#include "platform/Mounts.h"

#include <gtest/gtest.h>

using namespace kelvora;

TEST(Mounts, TheMountPointsBelowAFolderComeFromTheMountTable) {
    const std::string table = "22 1 254:0 / / rw - ext4 /dev/vda rw\n"
                              "40 22 0:40 / /home/ann/.cache/doc rw - fuse.portal portal rw\n"
                              "41 22 254:0 /data /home/ann/My\\040Disk rw - ext4 /dev/vda rw\n";
    using Paths = std::vector<std::string>;
    EXPECT_EQ(mountPointsBelow("/home/ann", table),
              (Paths{"/home/ann/.cache/doc", "/home/ann/My Disk"}));
    EXPECT_EQ(mountPointsBelow("/home/ann/.cache", table), Paths{"/home/ann/.cache/doc"});
}
