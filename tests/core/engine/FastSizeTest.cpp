#include "engine/FastSize.h"
#include "engine/FolderWalk.h"
#include "support/DiskUsage.h"
#include "support/FixtureScanner.h"
#include "support/NestedTree.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

int64_t allocatedSize(const std::string& path) {
    struct stat status {};
    lstat(path.c_str(), &status);
    return static_cast<int64_t>(status.st_blocks) * 512;
}

URL fileURL(const std::string& path) {
    return URL::fileURL(path);
}

FastSize::Entry regularEntry(uint64_t id, uint32_t links, int64_t allocated,
                             std::optional<int64_t> privateSize = std::nullopt) {
    return {"f", FastSize::kRegularFile, 7, id, links, allocated, privateSize};
}

} // namespace

TEST(FastSizeTotal, PrivateSizeWinsOverAllocatedWhenReported) {
    FastSize::Total total;
    total.add(regularEntry(1, 1, 4096, 10));
    EXPECT_EQ(total.freed(), 10);
    total.add(regularEntry(2, 1, 4096));
    EXPECT_EQ(total.freed(), 4106);
    EXPECT_EQ(total.files, 2);
}

TEST(FastSizeTotal, HardLinkCountsOnceAllLinksAreSeenAcrossMerges) {
    FastSize::Total first;
    first.add(regularEntry(9, 2, 8192));
    EXPECT_EQ(first.freed(), 0);
    FastSize::Total second;
    second.add(regularEntry(9, 2, 8192));
    first.merge(second);
    EXPECT_EQ(first.freed(), 8192);
    EXPECT_EQ(first.files, 2);
}

TEST(FastSizeTotal, HugeSizesPinAtTheLargestFigureInsteadOfWrapping) {
    constexpr int64_t kHuge = std::numeric_limits<int64_t>::max();
    FastSize::Total first;
    first.add(regularEntry(1, 1, 4096, kHuge));
    first.add(regularEntry(2, 1, 4096, kHuge));
    first.add(regularEntry(3, 2, kHuge));
    FastSize::Total second;
    second.add(regularEntry(4, 1, 4096, kHuge));
    second.add(regularEntry(3, 2, kHuge));
    first.merge(second);
    EXPECT_EQ(first.freed(), kHuge);
}

TEST(FastSizeRead, ListsDirectEntriesWithTypesAndNeverFollowsLinks) {
    TempDir dir;
    dir.write("folder/file", std::string(5000, 'a'));
    dir.mkdir("folder/sub");
    ASSERT_EQ(symlink((dir / "folder/sub").c_str(), (dir / "folder/link").c_str()), 0);
    sync();
    auto entries = FastSize::read(dir / "folder");
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 3u);
    std::map<std::string, FastSize::Entry> byName;
    for (const auto& entry : *entries)
        byName[entry.name] = entry;
    EXPECT_EQ(byName["file"].type, FastSize::kRegularFile);
    EXPECT_EQ(byName["file"].allocated, allocatedSize(dir / "folder/file"));
    EXPECT_EQ(byName["file"].links, 1u);
    EXPECT_EQ(byName["sub"].type, FastSize::kDirectory);
    EXPECT_EQ(byName["link"].type, FastSize::kSymbolicLink);

    EXPECT_FALSE(FastSize::read(dir / "folder/link"));
    EXPECT_FALSE(FastSize::read(dir / "missing"));
}

TEST(FreedSizes, WalksFoldersAndFilesOfEachGroupAndCountsFilesLookedAt) {
    TempDir dir;
    const auto a = dir.write("a/one", std::string(10000, 'a'));
    const auto b = dir.write("a/deep/er/two", std::string(3000, 'b'));
    const auto c = dir.write("c", std::string(7000, 'c'));
    sync();
    DiskScanner scanner = fixtureScanner(dir);
    FileCounter counter;
    auto sizes = scanner.freedSizes({{fileURL(dir / "a")}, {fileURL(c)}, {}}, counter);
    ASSERT_EQ(sizes.size(), 3u);
    EXPECT_EQ(sizes[0], allocatedSize(a) + allocatedSize(b) + ownBlocks(dir / "a") +
                            ownBlocks(dir / "a/deep") + ownBlocks(dir / "a/deep/er"));
    EXPECT_EQ(sizes[1], allocatedSize(c));
    EXPECT_EQ(sizes[2], 0);
    EXPECT_EQ(counter.count, 3);
    EXPECT_TRUE(scanner.freedSizes({}, counter).empty());
}

// A folder's figure is what du says it takes, its own blocks and those of every folder
// below included, less only the files also linked from outside it, which removing it does
// not free. Names beginning with two dots are ordinary names.
TEST(FreedSizes, FolderFiguresEqualDuOnANestedTree) {
    TempDir dir;
    const NestedTree tree = makeNestedTree(dir);
    ASSERT_GT(ownBlocks(tree.root + "/big"), 4 * 4096) << "the big folder's entry takes blocks";
    struct Row {
        std::string folder;
        int64_t linkedFromOutside;
        bool holdsNothing;
    };
    const std::vector<Row> rows = {
        {"", 0, false},
        {"small", 0, false},
        {"big", 0, false},
        {"inside", 0, false},
        {"inside/x", tree.insideLinked, true},
        {"outside", tree.outsideLinked, false},
        {"empty", 0, true},
        {"empty/a/b/c", 0, true},
        {"dots", 0, false},
        {"dots/..data", 0, false},
    };
    std::vector<std::vector<URL>> groups;
    for (const auto& row : rows)
        groups.push_back(
            {URL::fileURL(row.folder.empty() ? tree.root : tree.root + "/" + row.folder, true)});
    FileCounter counter;
    const auto measured = fixtureScanner(dir).measure(groups, counter);
    for (size_t i = 0; i < rows.size(); ++i) {
        const std::string path = groups[i].front().path();
        EXPECT_EQ(measured[i].bytes, duBytes(path) - rows[i].linkedFromOutside) << rows[i].folder;
        EXPECT_EQ(measured[i].freesNothing(), rows[i].holdsNothing) << rows[i].folder;
    }
}

// Deeper than the longest path the kernel takes in one call, every level is measured, from
// the top and from a folder whose own path is too long for one call.
TEST(FreedSizes, TreesDeeperThanTheLongestPathMeasureInFull) {
    TempDir dir;
    const DeepTree tree = makeDeepTree(dir, 240);
    ASSERT_EQ(tree.below.size(), 241u);
    const size_t deepLevel = 230;
    ASSERT_GT(tree.pathTo(deepLevel).size(), size_t{PATH_MAX});
    ASSERT_EQ(tree.below[0], duBytes(tree.top));
    FileCounter counter;
    const auto sizes = fixtureScanner(dir).freedSizes(
        {{URL::fileURL(tree.top, true)}, {URL::fileURL(tree.pathTo(deepLevel), true)}}, counter);
    EXPECT_EQ(sizes[0], tree.below[0]);
    EXPECT_EQ(sizes[1], tree.below[deepLevel]);
    EXPECT_EQ(counter.count, 241 + 11);
}

TEST(FreedSizes, HardLinkedFileFreesSpaceOnlyWhenEveryLinkIsInTheGroup) {
    TempDir dir;
    const auto file = dir.write("x/data", std::string(20000, 'd'));
    dir.mkdir("y");
    ASSERT_EQ(link(file.c_str(), (dir / "y/data").c_str()), 0);
    sync();
    const int64_t size = allocatedSize(file);
    const int64_t x = ownBlocks(dir / "x");
    const int64_t y = ownBlocks(dir / "y");
    DiskScanner scanner = fixtureScanner(dir);

    FileCounter counter;
    auto sizes = scanner.freedSizes({{fileURL(dir / "x"), fileURL(dir / "y")},
                                     {fileURL(dir / "x")},
                                     {fileURL(dir / "y/data")},
                                     {fileURL(dir / "x"), fileURL(dir / "y/data")}},
                                    counter);
    EXPECT_EQ(sizes[0], size + x + y);
    EXPECT_EQ(sizes[1], x);
    EXPECT_EQ(sizes[2], 0);
    EXPECT_EQ(sizes[3], size + x);
    EXPECT_EQ(counter.count, 6);
}

TEST(FreedSizes, SymbolicLinksAreNeitherFollowedNorCounted) {
    TempDir dir;
    dir.write("real/big", std::string(50000, 'r'));
    dir.mkdir("walked");
    ASSERT_EQ(symlink((dir / "real").c_str(), (dir / "walked/to-real").c_str()), 0);
    ASSERT_EQ(symlink((dir / "real/big").c_str(), (dir / "file-link").c_str()), 0);
    DiskScanner scanner = fixtureScanner(dir);
    FileCounter counter;
    auto sizes =
        scanner.freedSizes({{fileURL(dir / "walked")}, {fileURL(dir / "file-link")}}, counter);
    EXPECT_EQ(sizes, (std::vector<int64_t>{ownBlocks(dir / "walked"), 0}));
    EXPECT_EQ(counter.count, 0);
}

TEST(FreedSizes, OverlappingURLsInOneGroupCountOnce) {
    TempDir dir;
    const auto inner = dir.write("top/inner/file", std::string(30000, 'i'));
    const auto other = dir.write("top/other", std::string(9000, 'o'));
    const auto sibling = dir.write("top-b", std::string(5000, 's'));
    ASSERT_EQ(symlink((dir / "top").c_str(), (dir / "alias").c_str()), 0);
    sync();
    const int64_t whole = allocatedSize(inner) + allocatedSize(other) + ownBlocks(dir / "top") +
                          ownBlocks(dir / "top/inner");
    DiskScanner scanner = fixtureScanner(dir);
    FileCounter counter;
    auto sizes = scanner.freedSizes({{fileURL(dir / "top/inner/file"), fileURL(dir / "top"),
                                      fileURL(dir / "top-b"), fileURL(dir / "top/inner")},
                                     {fileURL(dir / "top"), fileURL(dir / "top/./other")},
                                     {fileURL(dir / "top"), fileURL(dir / "alias/other")}},
                                    counter);
    EXPECT_EQ(sizes[0], whole + allocatedSize(sibling));
    EXPECT_EQ(sizes[1], whole);
    EXPECT_EQ(sizes[2], whole);
    EXPECT_EQ(counter.count, 7);
}

TEST(FreedSizes, UnreadableFolderAddsNothingForWhatItHides) {
    TempDir dir;
    chmod(dir.path().c_str(), 0755);
    const auto open = dir.write("tree/open", std::string(6000, 'o'));
    dir.write("tree/closed/secret", std::string(6000, 's'));
    chmod((dir / "tree/closed").c_str(), 0700);
    sync();
    // Its own blocks count: removing the folder frees them, though not what it hides.
    const int64_t expected = allocatedSize(open) + ownBlocks(dir / "tree");
    DiskScanner scanner = fixtureScanner(dir);
    EXPECT_TRUE(asNobody([&] {
        FileCounter counter;
        auto sizes = scanner.freedSizes({{URL::fileURL(dir / "tree")}}, counter);
        return sizes[0] == expected && counter.count == 1;
    }));
}

TEST(FastSizeWalk, ManyFoldersAcrossGroupsMatchASerialCount) {
    TempDir dir;
    int64_t expected[2] = {0, 0};
    for (int group = 0; group < 2; ++group) {
        for (int folder = 0; folder < 30; ++folder) {
            for (int file = 0; file < 5; ++file) {
                const auto path =
                    dir.write("g" + std::to_string(group) + "/d" + std::to_string(folder) + "/n" +
                                  std::to_string(folder % 3) + "/f" + std::to_string(file),
                              std::string(100 * (file + 1), 'w'));
                (void)path;
            }
        }
    }
    sync();
    for (int group = 0; group < 2; ++group)
        expected[group] = duBytes(dir / ("g" + std::to_string(group)));
    auto totals = FastSize::walk({{dir / "g0"}, {dir / "g1"}});
    ASSERT_EQ(totals.size(), 2u);
    EXPECT_EQ(totals[0].freed(), expected[0]);
    EXPECT_EQ(totals[1].freed(), expected[1]);
    EXPECT_EQ(totals[0].files, 150);
    EXPECT_EQ(totals[1].files, 150);
}

// One folder of several batches whose hard-linked pairs land, in the order the
// folder lists them, on either side of batch boundaries; some have their second
// link in another folder. Every worker may stat some of them, and each pair must
// still count once, only in a group that holds both links.
TEST(FastSizeWalk, BatchesOfOneLargeFolderCountSplitHardLinksOnce) {
    TempDir dir;
    int64_t singles = 0;
    int64_t pairs = 0;
    int64_t sharedWithOther = 0;
    const size_t entries = 3 * FolderWalk::kBatch + 17;
    size_t made = 0;
    for (int i = 0; made < entries; ++i) {
        const std::string name = "big/" + std::to_string(i);
        const auto path = dir.write(name, std::string(700 * (i % 9 + 1), 'h'));
        if (i % 3 == 0) {
            singles += allocatedSize(path);
            made += 1;
        } else if (i % 3 == 1) {
            ASSERT_EQ(link(path.c_str(), (path + "-again").c_str()), 0);
            pairs += allocatedSize(path);
            made += 2;
        } else {
            dir.mkdir("other");
            ASSERT_EQ(link(path.c_str(), (dir / ("other/" + std::to_string(i))).c_str()), 0);
            sharedWithOther += allocatedSize(path);
            made += 1;
        }
    }
    sync();
    const std::string big = dir / "big";
    const std::string other = dir / "other";
    const auto totals = FastSize::walk({{big}, {big, other}, {other}});
    ASSERT_EQ(totals.size(), 3u);
    EXPECT_EQ(totals[0].freed(), singles + pairs + ownBlocks(big));
    EXPECT_EQ(totals[1].freed(),
              singles + pairs + sharedWithOther + ownBlocks(big) + ownBlocks(other));
    EXPECT_EQ(totals[2].freed(), ownBlocks(other));
    EXPECT_EQ(totals[0].files, static_cast<int64_t>(made));
    EXPECT_EQ(totals[1].files - totals[0].files, totals[2].files);
}
