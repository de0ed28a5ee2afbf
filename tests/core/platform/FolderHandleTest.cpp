#include "platform/FolderHandle.h"

#include "support/MountNamespace.h"
#include "support/TempDir.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace kelvora;
using kelvora::testing::inMountNamespace;
using kelvora::testing::kNoMountNamespace;
using kelvora::testing::mountAt;
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
    EXPECT_EQ(fileText(outside), "keep");
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

// A file system mounted at or inside what is removed stays whole with its files, whether it
// is another disk or a bind mount of the same one (which keeps the disk's device number),
// and the removal says why it stopped.
TEST(FolderHandles, RemovalLeavesEveryMountedFileSystemWhole) {
    for (const char* at : {"item/sub/mounted", "item"}) {
        for (bool bind : {false, true}) {
            TempDir dir;
            dir.write("item/sub/plain.txt");
            dir.mkdir(at);
            const std::string bound = dir.mkdir("bound");
            auto report = inMountNamespace([&]() -> std::string {
                if (!mountAt(dir / at, bind ? bound : "")) return "could not mount\n";
                dir.write(std::string(at) + "/keep.txt", "seed");
                FileResult removed = removeItem(dir / "item");
                const bool inside = at != std::string("item");
                const char* said = inside ? "is mounted at" : "is mounted there";
                std::string problems;
                if (removed.ok || removed.reason.find(said) == std::string::npos)
                    problems += "removal said: " + (removed.ok ? "done" : removed.reason) + "\n";
                if (fileText(dir / at + "/keep.txt") != "seed") problems += "emptied the mount\n";
                if (inside && fileExists(dir / "item/sub/plain.txt"))
                    problems += "what lay beside the mount was not removed\n";
                return problems;
            });
            if (report == kNoMountNamespace) GTEST_SKIP() << "no mount namespace here";
            EXPECT_EQ(report, 0) << at << (bind ? " (bind mount)" : "");
        }
    }
}
