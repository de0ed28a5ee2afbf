#include "support/FixtureScanner.h"

#include <gtest/gtest.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

DiskScanner::Candidate candidate(const std::string& path, int64_t size, Date modified,
                                 std::string inode = "", uint64_t links = 1) {
    return {URL::fileURL(path), size,     4096, inode.empty() ? path : inode,
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
    EXPECT_EQ(items[0].largeFile->reason, ScanItem::LargeFileInfo::Reason::large);
    EXPECT_EQ(items[1].location.path(), "/u/almost");
    EXPECT_EQ(items[1].largeFile->reason, ScanItem::LargeFileInfo::Reason::old);
    EXPECT_FALSE(items[1].largeFile->lastOpened);
    EXPECT_EQ(items[1].largeFile->modified, daysAgo(730));
    EXPECT_EQ(items[2].location.path(), "/u/floor");
    EXPECT_EQ(items[0].baseVerdict, Verdict::youDecide);
    EXPECT_EQ(items[0].bytes, 4096);
}

TEST(LargeFiles, ARecentOpeningOutweighsAnOldModification) {
    auto items = largeAndOld({candidate("/u/movie", 500'000'000, daysAgo(800))}, daysAgo(10));
    EXPECT_TRUE(items.empty());
    items = largeAndOld({candidate("/u/movie", 500'000'000, daysAgo(1))}, daysAgo(700));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].largeFile->lastOpened, daysAgo(700));
}

TEST(LargeFiles, HardLinkedFileIsOneItemAndOnlyWhenEveryLinkIsACandidate) {
    auto both = largeAndOld({candidate("/u/a/film", 2'000'000'000, daysAgo(1), "7:1", 2),
                             candidate("/u/b/film", 2'000'000'000, daysAgo(1), "7:1", 2)});
    ASSERT_EQ(both.size(), 1u);
    EXPECT_EQ(both[0].targets,
              (std::vector<URL>{URL::fileURL("/u/a/film"), URL::fileURL("/u/b/film")}));
    EXPECT_EQ(both[0].bytes, 4096);

    EXPECT_TRUE(largeAndOld({candidate("/u/a/film", 2'000'000'000, daysAgo(1), "7:1", 2)}).empty());
}

TEST(LargeFiles, NothingToFreeIsNotOffered) {
    auto sparse = candidate("/u/sparse", 2'000'000'000, daysAgo(1));
    sparse.allocated = 0;
    EXPECT_TRUE(largeAndOld({sparse}).empty());
}
