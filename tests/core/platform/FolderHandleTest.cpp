#include "platform/FolderHandle.h"

#include "support/TempDir.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace kelvora;
using kelvora::testing::TempDir;

TEST(FolderHandles, RemovalReachesAnyDepthAndNeverLeavesThroughALink) {
    TempDir dir;
    std::string outside = dir.write("outside/keep.txt", "keep");
    std::string deep = dir.deepChain("deep", 400); // some 5,000 bytes of path
    dir.write("deep/wide/a/x", "1");
    dir.write("deep/wide/b/y", "2");
    ASSERT_EQ(symlink((dir / "outside").c_str(), (deep + "/deeper-level/out").c_str()), 0);

    FileResult removed = removeItem(deep);
    EXPECT_TRUE(removed.ok) << removed.reason;
    EXPECT_FALSE(fileExists(deep));
    EXPECT_EQ(readFile(outside), "keep");
}

TEST(FolderHandles, BeneathCrossesNoLinkWhicheverWayItChecks) {
    TempDir dir;
    dir.mkdir("a/b/c");
    dir.mkdir("elsewhere/c");
    ASSERT_EQ(symlink((dir / "elsewhere").c_str(), (dir / "a/linked").c_str()), 0);
    ASSERT_EQ(symlink((dir / "a/b/c").c_str(), (dir / "a/b/last").c_str()), 0);
    FolderHandle top = FolderHandle::open(dir.path());
    ASSERT_TRUE(top);
    struct Case {
        const char* relative;
        int error; // 0 when it opens
    } cases[] = {{"a/b/c", 0},          {"", 0},
                 {"a/linked/c", ELOOP}, {"a/b/last", ELOOP},
                 {"a/missing", ENOENT}, {"a/../a", EINVAL}};
    for (auto check : {FolderHandle::LinkCheck::kernel, FolderHandle::LinkCheck::walk})
        for (const auto& c : cases) {
            FolderHandle opened = top.beneath(c.relative, check);
            EXPECT_EQ(opened.valid(), c.error == 0) << c.relative;
            EXPECT_EQ(opened.error(), c.error) << c.relative;
        }
}
