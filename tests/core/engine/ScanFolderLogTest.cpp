#include "engine/ScanFolderLog.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

using namespace kelvora;
using kelvora::testing::TempDir;

namespace {

struct ScanFolderLogTest : ::testing::Test {
    TempDir dir;
    const std::string folder = dir.mkdir("home/Documents");
    const URL url = URL::fileURL(folder, true);

    static void list(const std::string& path) { listFolder(URL::fileURL(path, true)); }
};

} // namespace

// A link below the folder leads the listing elsewhere: what it went through is not the
// folder the scan looks in, and must not stand for it.
TEST_F(ScanFolderLogTest, AListingThroughALinkIsNotTakenForTheFolder) {
    dir.mkdir("elsewhere/inner/deeper");
    ASSERT_EQ(symlink((dir / "elsewhere").c_str(), (folder + "/link").c_str()), 0);
    ScanFolderLog log({url});
    list(folder + "/link/inner");
    list(folder + "/link/inner/deeper");
    EXPECT_EQ(log.seen(url), std::nullopt);
    list(folder);
    ASSERT_TRUE(log.seen(url));
    EXPECT_EQ(log.seen(url)->identity, folderIdentityAt(folder));
}

// Walks list the folders below a scan folder without always listing its top: the folder the
// listing went up through is the scan folder, seen as it was then.
TEST_F(ScanFolderLogTest, AFolderListedOnlyBelowItsTopIsStillNoted) {
    dir.mkdir("home/Documents/a/b");
    ScanFolderLog log({url});
    list(folder + "/a/b");
    ASSERT_TRUE(log.seen(url));
    EXPECT_EQ(log.seen(url)->identity, folderIdentityAt(folder));
    EXPECT_FALSE(log.seen(url)->changed);
}

// Swapped for another folder while the scan ran: which of the two the scan offered from is
// unknown, so the folder is marked as changed and no removal starts from it.
TEST_F(ScanFolderLogTest, AFolderSwappedDuringTheScanIsMarkedChanged) {
    ScanFolderLog log({url});
    list(folder);
    const auto first = folderIdentityAt(folder);
    ASSERT_EQ(std::rename(folder.c_str(), (folder + ".old").c_str()), 0);
    dir.mkdir("home/Documents");
    list(folder);
    ASSERT_TRUE(log.seen(url));
    EXPECT_TRUE(log.seen(url)->changed);
    EXPECT_EQ(log.seen(url)->identity, first);
}
