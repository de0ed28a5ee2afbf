#include "app/support/IsolatedHome.h"
#include "scanners/ContentHash.h"
#include "support/FixtureScanner.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
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

// Contents that differ from block to block, so that equal edges prove nothing.
std::string patterned(size_t size, unsigned seed) {
    std::string content(size, '\0');
    unsigned value = seed;
    for (auto& byte : content) {
        value = value * 1103515245u + 12345u;
        byte = static_cast<char>(value >> 16);
    }
    return content;
}

// Bytes this process has read through read calls so far; -1 when not reported.
int64_t bytesRead() {
    std::ifstream io("/proc/self/io");
    std::string key;
    int64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:") return value;
    return -1;
}

} // namespace

// A data folder set inside Documents puts the Undo Shelf there. What it holds is the user's
// files put aside: a walk that met them would keep the shelved copy and offer the live one.
TEST(DuplicateScanner, TheUndoShelfIsNeverWalkedFromAUserFolder) {
    IsolatedHome env;
    const std::string documents = env.home() + "/Documents";
    setenv("XDG_DATA_HOME", (documents + "/app data").c_str(), 1);
    const std::string content = payload(3000, 'r');
    env.dir().write("home/Documents/report.pdf", content);
    env.dir().write("home/Documents/app data/Kelvora/Undo Shelf/2024-03-01T10-00-00-A1B2C3/"
                    "items/1-1-report.pdf",
                    content);
    DiskScanner scanner = fixtureScanner(TempDir());
    scanner.home = URL::fileURL(env.home(), true);
    scanner.duplicateFolders = {URL::fileURL(documents, true)};
    scanner.duplicateMinSize = 1000;
    FileCounter counter;
    const auto candidates = scanner.userFiles({}, counter);
    ASSERT_EQ(candidates.size(), 1u);
    EXPECT_EQ(candidates[0].url.path(), documents + "/report.pdf");
    EXPECT_TRUE(scanner.scanDuplicates(candidates).empty());
}

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
        ASSERT_TRUE(item.duplicate());
        EXPECT_EQ(item.duplicate()->keptCopy.path(), home / "Documents/a.pdf");
        EXPECT_EQ(item.duplicate()->copies, 3);
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
    EXPECT_EQ(items[0].duplicate()->keptCopy.path(), home / "Documents/x.mov");
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
    EXPECT_EQ(items[0].duplicate()->keptCopy.path(), second / "Documents/song.bin");
    EXPECT_EQ(items[0].duplicate()->copies, 2);
}

// Several groups of large files hashed on every worker at once: every identical
// set is found, and the files are read no further than the three stages allow:
// 128 KiB of each file that shares its size, the whole of each whose fingerprint
// another shares, nothing of the rest.
TEST(DuplicateScanner, GroupsOfLargeFilesHashedTogetherReadOnlyWhatTheStagesAllow) {
    if (bytesRead() < 0) GTEST_SKIP() << "no read counter for this process";
    TempDir home;
    const int64_t edges = 2 * 65536;
    const std::string film = patterned(3 * 1048576, 1);
    const std::string song = patterned(2 * 1048576 + 5, 2);
    std::string otherSong = song;
    otherSong[0] ^= 1;
    const std::string scan = patterned(1536 * 1024, 3);
    std::string editedScan = scan;
    editedScan[scan.size() / 2] ^= 1;
    home.write("Movies/film.mov", film);
    home.write("Downloads/film.mov", film);
    home.write("Desktop/film copy.mov", film);
    home.write("Music/song.wav", song);
    home.write("Documents/song.wav", song);
    home.write("Pictures/other song.wav", otherSong);
    home.write("Documents/scan.tif", scan);
    home.write("Documents/scan edited.tif", editedScan);
    home.write("Documents/alone.bin", patterned(4 * 1048576, 4));
    sync();
    // The hash library reads its configuration on first use; that is no file's content.
    contentSha256([](char*, size_t, int64_t) -> int64_t { return 0; });

    const int64_t probe = bytesRead();
    const int64_t before = bytesRead();
    const int64_t probeCost = before - probe; // reading the counter is a read too
    const auto items = duplicatesIn(home);
    const int64_t read = bytesRead() - before - probeCost;

    std::map<std::string, std::string> keptFor;
    for (const auto& item : items)
        keptFor[item.location.path()] = item.duplicate()->keptCopy.path();
    EXPECT_EQ(keptFor, (std::map<std::string, std::string>{
                           {home / "Downloads/film.mov", home / "Movies/film.mov"},
                           {home / "Desktop/film copy.mov", home / "Movies/film.mov"},
                           {home / "Documents/song.wav", home / "Music/song.wav"}}));
    const auto whole = [](const std::string& content) {
        return static_cast<int64_t>(content.size());
    };
    // The C library may read a byte of its own settings meanwhile; a file read where
    // the stages allow none would cost at least 64 KiB.
    EXPECT_NEAR(read, 8 * edges + 3 * whole(film) + 2 * whole(song) + 2 * whole(scan), 16);
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
