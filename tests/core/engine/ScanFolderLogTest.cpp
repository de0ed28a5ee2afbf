#include "engine/ScanFolderLog.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

using namespace kelvora;
using kelvora::testing::TempDir;

namespace {

void list(const std::string& path) {
    listFolder(URL::fileURL(path, true));
}

} // namespace

// The log notes a scan folder as the scan's listings saw it: never through a link below it
// (which leads elsewhere), also when a walk lists only the folders below its top, and, once
// the folder is swapped for another while the scan runs, as changed, for which of the two the
// scan offered from is unknown and no removal may start from it.
TEST(ScanFolderLog, NotesTheFolderTheListingsWentThroughAndMarksOneSwappedMeanwhile) {
    TempDir dir;
    dir.mkdir("home/Documents/a/b");
    const std::string folder = dir / "home/Documents";
    const URL url = URL::fileURL(folder, true);
    dir.mkdir("elsewhere/inner/deeper");
    ASSERT_EQ(symlink((dir / "elsewhere").c_str(), (folder + "/link").c_str()), 0);
    ScanFolderLog log({url});

    list(folder + "/link/inner");
    list(folder + "/link/inner/deeper");
    EXPECT_EQ(log.seen(url), std::nullopt) << "a listing through a link stood for the folder";

    list(folder + "/a/b");
    const auto first = folderIdentityAt(folder);
    ASSERT_TRUE(log.seen(url));
    EXPECT_EQ(log.seen(url)->identity, first);
    EXPECT_FALSE(log.seen(url)->changed);

    ASSERT_EQ(std::rename(folder.c_str(), (folder + ".old").c_str()), 0);
    dir.mkdir("home/Documents");
    list(folder);
    ASSERT_TRUE(log.seen(url));
    EXPECT_TRUE(log.seen(url)->changed);
    EXPECT_EQ(log.seen(url)->identity, first);
}
