#include "support/FixtureScanner.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

// A file whose blocks hold all of it, as most files' do.
DiskScanner::Candidate candidate(const std::string& path, int64_t size, Date modified,
                                 std::string inode = "", uint64_t links = 1) {
    return {URL::fileURL(path), size,     size, inode.empty() ? path : inode,
            modified,           modified, links};
}

std::vector<ScanItem> largeAndOld(std::vector<DiskScanner::Candidate> candidates,
                                  std::optional<Date> lastOpened = std::nullopt) {
    TempDir home;
    DiskScanner scanner = fixtureScanner(home);
    scanner.appUsage = [lastOpened](const URL&) {
        return lastOpened ? std::optional<AppUsage>(AppUsage{lastOpened, std::nullopt})
                          : std::nullopt;
    };
    return scanner.scanLargeAndOld(candidates, addSeconds(kFixtureNow, -scanner.oldAge));
}

} // namespace

TEST(LargeFiles, LargeAlwaysOldOnlyWhenUnusedSinceStrictlyBeforeTheCutoff) {
    auto items = largeAndOld({candidate("/u/huge", 1'000'000'000, daysAgo(1)),
                              candidate("/u/almost", 999'999'999, daysAgo(730)),
                              candidate("/u/recent", 999'999'999, daysAgo(90)),
                              candidate("/u/floor", 200'000'000, daysAgo(400)),
                              candidate("/u/below", 199'999'999, daysAgo(800)),
                              candidate("/u/edge", 300'000'000, daysAgo(365))});
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].location.path(), "/u/huge");
    EXPECT_EQ(items[0].largeFile()->reason, ScanItem::LargeFileInfo::Reason::large);
    EXPECT_EQ(items[1].location.path(), "/u/almost");
    EXPECT_EQ(items[1].largeFile()->reason, ScanItem::LargeFileInfo::Reason::old);
    EXPECT_FALSE(items[1].largeFile()->lastOpened);
    EXPECT_EQ(items[1].largeFile()->modified, daysAgo(730));
    EXPECT_EQ(items[2].location.path(), "/u/floor");
    EXPECT_EQ(items[0].baseVerdict, Verdict::youDecide);
    EXPECT_EQ(items[0].bytes, 1'000'000'000);
}

TEST(LargeFiles, ARecentOpeningOutweighsAnOldModification) {
    auto items = largeAndOld({candidate("/u/movie", 500'000'000, daysAgo(800))}, daysAgo(10));
    EXPECT_TRUE(items.empty());
    items = largeAndOld({candidate("/u/movie", 500'000'000, daysAgo(1))}, daysAgo(700));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].largeFile()->lastOpened, daysAgo(700));
}

TEST(LargeFiles, HardLinkedFileIsOneItemAndOnlyWhenEveryLinkIsACandidate) {
    auto both = largeAndOld({candidate("/u/a/film", 2'000'000'000, daysAgo(1), "7:1", 2),
                             candidate("/u/b/film", 2'000'000'000, daysAgo(1), "7:1", 2)});
    ASSERT_EQ(both.size(), 1u);
    EXPECT_EQ(both[0].targets,
              (std::vector<URL>{URL::fileURL("/u/a/film"), URL::fileURL("/u/b/film")}));
    EXPECT_EQ(both[0].bytes, 2'000'000'000);

    EXPECT_TRUE(largeAndOld({candidate("/u/a/film", 2'000'000'000, daysAgo(1), "7:1", 2)}).empty());
}

TEST(LargeFiles, NothingToFreeIsNotOffered) {
    auto sparse = candidate("/u/sparse", 2'000'000'000, daysAgo(1));
    sparse.allocated = 0;
    EXPECT_TRUE(largeAndOld({sparse}).empty());
}

// A file is as large as both its length and the blocks it takes: a sparse file of 2 GiB that
// holds 4 KB is not large, and neither is a file whose last block carries it over a size its
// length stays under.
TEST(LargeFiles, FilesAreJudgedByTheirLengthAndTheBlocksTheyTake) {
    using Reason = ScanItem::LargeFileInfo::Reason;
    struct Row {
        const char* name;
        int64_t size;
        int64_t allocated;
        double daysUnused;
        std::optional<Reason> offered;
    };
    const int64_t kGiB = 1'073'741'824;
    const std::vector<Row> rows = {
        {"sparse", 2 * kGiB, 4096, 800, std::nullopt},
        {"sparse-large-length", 2 * kGiB, 300'000'000, 800, Reason::old},
        {"sparse-recent", 2 * kGiB, 300'000'000, 10, std::nullopt},
        {"dense", 2 * kGiB, 2 * kGiB, 10, Reason::large},
        {"preallocated", 150'000'000, 1'100'000'000, 10, std::nullopt},
        {"preallocated-old", 150'000'000, 250'000'000, 800, std::nullopt},
        {"byte-short", 199'999'999, 200'003'584, 800, std::nullopt},
        {"at-the-size", 200'000'000, 200'003'584, 800, Reason::old},
        {"byte-short-of-large", 999'999'999, 1'000'001'536, 10, std::nullopt},
    };
    std::vector<DiskScanner::Candidate> candidates;
    for (const auto& row : rows) {
        candidates.push_back(
            candidate(std::string("/u/") + row.name, row.size, daysAgo(row.daysUnused)));
        candidates.back().allocated = row.allocated;
    }
    const auto items = largeAndOld(candidates);
    for (const auto& row : rows) {
        const auto item = std::find_if(items.begin(), items.end(), [&](const ScanItem& found) {
            return found.location.lastPathComponent() == row.name;
        });
        if (!row.offered) {
            EXPECT_EQ(item, items.end()) << row.name;
            continue;
        }
        ASSERT_NE(item, items.end()) << row.name;
        EXPECT_EQ(item->largeFile()->reason, *row.offered) << row.name;
        EXPECT_EQ(item->bytes, row.allocated) << row.name;
    }

    // The same from the disk: a sparse file of 2 GiB with 4 KB written.
    TempDir home;
    const std::string path = home.write("Documents/disk.img", std::string(4096, 's'));
    ASSERT_EQ(truncate(path.c_str(), 2 * kGiB), 0);
    sync();
    DiskScanner scanner = fixtureScanner(home);
    FileCounter counter;
    const auto found = scanner.userFiles({}, counter);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].size, 2 * kGiB);
    EXPECT_TRUE(scanner.scanLargeAndOld(found, kFixtureNow).empty());
}
