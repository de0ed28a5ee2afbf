#include "scanners/ContentHash.h"
#include "support/FixtureScanner.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

std::vector<ScanItem> duplicatesIn(const TempDir& home) {
    DiskScanner scanner = fixtureScanner(home);
    scanner.duplicateMinSize = 1000;
    FileCounter counter;
    return scanner.scanDuplicates(scanner.userFiles({}, counter));
}

std::string payload(size_t size, char fill) {
    return std::string(size, fill);
}

} // namespace

TEST(DuplicateScanner, KeepsTheBestPlacedCopyAndOffersTheOthers) {
    TempDir home;
    const std::string content = payload(300'000, 'q');
    home.write("Downloads/a.pdf", content);
    home.write("Documents/a.pdf", content);
    home.write("Documents/a copy.pdf", content);
    home.write("Documents/other.pdf", payload(300'000, 'z'));
    sync();
    auto items = duplicatesIn(home);
    ASSERT_EQ(items.size(), 2u);
    for (const auto& item : items) {
        EXPECT_EQ(item.kind, JunkKind::duplicates);
        ASSERT_TRUE(item.duplicate);
        EXPECT_EQ(item.duplicate->keptCopy.path(), home / "Documents/a.pdf");
        EXPECT_EQ(item.duplicate->copies, 3);
        EXPECT_EQ(item.targets, std::vector<URL>{item.location});
        EXPECT_EQ(item.baseVerdict, Verdict::safe);
        EXPECT_GT(item.bytes, 0);
    }
}

TEST(DuplicateScanner, BackupFolderCopyLosesAndEqualEdgesAreToldApartByTheFullHash) {
    TempDir home;
    home.write("Documents/Backup/x.mov", payload(2000, 'x'));
    home.write("Documents/x.mov", payload(2000, 'x'));
    std::string left = payload(400'000, 'e');
    std::string right = left;
    right[200'000] = 'M';
    home.write("Pictures/left.raw", left);
    home.write("Pictures/right.raw", right);
    sync();
    auto items = duplicatesIn(home);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].location.path(), home / "Documents/Backup/x.mov");
    EXPECT_EQ(items[0].duplicate->keptCopy.path(), home / "Documents/x.mov");
}

TEST(DuplicateScanner, HardLinksAreOneFileAndOnlyWhollyInsideLinksAreOffered) {
    TempDir home;
    const std::string content = payload(5000, 'h');
    const auto original = home.write("Documents/report.bin", content);
    home.mkdir("Desktop");
    ASSERT_EQ(link(original.c_str(), (home / "Desktop/report.bin").c_str()), 0);
    sync();
    EXPECT_TRUE(duplicatesIn(home).empty());

    // A copy linked from outside the user's folders frees nothing when removed here.
    const auto outsideLinked = home.write("Downloads/report.bin", content);
    home.mkdir("Library");
    ASSERT_EQ(link(outsideLinked.c_str(), (home / "Library/keep.bin").c_str()), 0);
    sync();
    EXPECT_TRUE(duplicatesIn(home).empty());

    // A copy whose links all lie among the candidates is one item removing every link.
    TempDir second;
    second.write("Documents/song.bin", content);
    const auto copy = second.write("Downloads/song.bin", content);
    second.mkdir("Downloads/again");
    ASSERT_EQ(link(copy.c_str(), (second / "Downloads/again/song.bin").c_str()), 0);
    sync();
    auto items = duplicatesIn(second);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].targets.size(), 2u);
    EXPECT_EQ(items[0].duplicate->keptCopy.path(), second / "Documents/song.bin");
    EXPECT_EQ(items[0].duplicate->copies, 2);
}

TEST(DuplicateScanner, TiesGoToTheOlderThenTheShorterPath) {
    DiskScanner::Candidate older{
        URL::fileURL("/u/Documents/long-name.bin"), 10, 10, "1", daysAgo(10), daysAgo(10)};
    DiskScanner::Candidate newer{
        URL::fileURL("/u/Documents/a.bin"), 10, 10, "2", daysAgo(5), daysAgo(5)};
    DiskScanner::Candidate sameAge{
        URL::fileURL("/u/Documents/b.bin"), 10, 10, "3", daysAgo(10), daysAgo(10)};
    const URL downloads = URL::fileURL("/u/Downloads");
    EXPECT_EQ(&DiskScanner::bestCopy({&newer, &older}, downloads), &older);
    EXPECT_EQ(&DiskScanner::bestCopy({&older, &sameAge}, downloads), &sameAge);

    // Length is counted in characters: two accented letters are shorter than three plain ones.
    DiskScanner::Candidate accented{
        URL::fileURL("/u/Documents/\u00e9\u00e9.bin"), 10, 10, "4", daysAgo(10), daysAgo(10)};
    DiskScanner::Candidate plain{
        URL::fileURL("/u/Documents/abc.bin"), 10, 10, "5", daysAgo(10), daysAgo(10)};
    EXPECT_EQ(&DiskScanner::bestCopy({&plain, &accented}, downloads), &accented);
}

TEST(DuplicateScanner, BackupFolderNamesAreJudgedByWholeWords) {
    for (const char* name :
         {"Old Photos", "photos-backup-2023", "Backups2", "Copy of Taxes", "BAK"})
        EXPECT_TRUE(DiskScanner::looksLikeBackupFolder(name)) << name;
    for (const char* name : {"Bold", "Archived", "Photos", "copying"})
        EXPECT_FALSE(DiskScanner::looksLikeBackupFolder(name)) << name;
    // Accented letters belong to the word; dashes and dots outside ASCII still part words.
    for (const char* name : {"S\u00f8bak", "\u00c9old", "Caf\u00e9copies"})
        EXPECT_FALSE(DiskScanner::looksLikeBackupFolder(name)) << name;
    for (const char* name : {"Photos\u2013old", "Fotos\u00b7Backup"})
        EXPECT_TRUE(DiskScanner::looksLikeBackupFolder(name)) << name;
}

TEST(ContentHash, AReadErrorPartWayDropsTheFileInsteadOfHashingWhatWasRead) {
    const std::string data(3 * 1048576, 'd');
    const ReadAt whole = [&](char* buffer, size_t length, int64_t offset) -> int64_t {
        if (offset >= static_cast<int64_t>(data.size())) return 0;
        const size_t count = std::min(length, data.size() - static_cast<size_t>(offset));
        std::memcpy(buffer, data.data() + offset, count);
        return static_cast<int64_t>(count);
    };
    const ReadAt failsLate = [&](char* buffer, size_t length, int64_t offset) -> int64_t {
        if (offset >= 1048576) return -1;
        return whole(buffer, length, offset);
    };
    const ReadAt failsAtTail = [&](char* buffer, size_t length, int64_t offset) -> int64_t {
        if (offset > 0) return -1;
        return whole(buffer, length, offset);
    };
    EXPECT_TRUE(contentSha256(whole));
    EXPECT_FALSE(contentSha256(failsLate));
    EXPECT_TRUE(edgeFingerprint(whole, static_cast<int64_t>(data.size())));
    EXPECT_FALSE(edgeFingerprint(failsAtTail, static_cast<int64_t>(data.size())));
    EXPECT_EQ(contentSha256([](char*, size_t, int64_t) -> int64_t { return 0; }),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

TEST(ContentHash, HashingLeavesTheAccessTimeAsItWas) {
    TempDir dir;
    const std::string path = dir.write("film.bin", std::string(200'000, 'f'));
    const struct timespec times[2] = {{1'600'000'000, 0}, {1'500'000'000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    ASSERT_TRUE(DiskScanner::fingerprint(URL::fileURL(path), 200'000));
    ASSERT_TRUE(DiskScanner::contentDigest(URL::fileURL(path)));
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_atim.tv_sec, 1'600'000'000);
}
