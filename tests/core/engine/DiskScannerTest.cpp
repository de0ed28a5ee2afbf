#include "engine/DiskScanner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace kelvora;
using kelvora::testing::TempDir;

namespace {
DiskScanner fixtureScanner(const TempDir& home) {
    return DiskScanner(
        home.url(), URL::fileURL("/tmp", true), std::nullopt,
        [] { return std::vector<RunningApp>{}; },
        [](const URL&) { return std::optional<AppUsage>(); },
        [] { return dateFromEpochSeconds(1'800'000'000); });
}
} // namespace

TEST(ScannerSettings, DefaultsFollowTheHomeGivenAtCreation) {
    TempDir home;
    DiskScanner scanner = fixtureScanner(home);
    ASSERT_EQ(scanner.applicationFolders.size(), 2u);
    EXPECT_EQ(scanner.applicationFolders[0].path(), "/Applications");
    EXPECT_EQ(scanner.applicationFolders[1].path(), home / "Applications");
    EXPECT_EQ(scanner.downloadsFolder.path(), home / "Downloads");
    EXPECT_EQ(scanner.duplicateFolders.size(), 6u);
    EXPECT_EQ(scanner.duplicateMinSize, 1'000'000);
    EXPECT_EQ(scanner.logAge, 604800);
    EXPECT_TRUE(scanner.privateFoldersAllowed);
    EXPECT_FALSE(scanner.includeDocker);
}

TEST(ScannerPrivacy, PrivateFoldersAreRefusedOnlyWhenNotAllowed) {
    TempDir home;
    DiskScanner scanner = fixtureScanner(home);
    URL documents = URL::fileURL(home / "Documents/report.pdf");
    EXPECT_TRUE(scanner.mayRead(documents));
    scanner.privateFoldersAllowed = false;
    EXPECT_FALSE(scanner.mayRead(documents));
    EXPECT_FALSE(scanner.mayRead(URL::fileURL(home / "Documents")));
    EXPECT_FALSE(scanner.mayRead(URL::fileURL(home / "Desktop/../Documents/x")));
    EXPECT_TRUE(scanner.mayRead(URL::fileURL(home / "Documents Old/x")));
    EXPECT_TRUE(scanner.mayRead(home.url()));
}

TEST(ScannerListing, RegularFilesSkipLinksAndCountWhatTheyReturn) {
    TempDir home;
    home.write("tree/a", "1");
    home.write("tree/deep/b", "2");
    home.write(".hidden/c", "3");
    ASSERT_EQ(symlink((home / "tree").c_str(), (home / "tree/deep/loop").c_str()), 0);
    ASSERT_EQ(symlink((home / "tree/a").c_str(), (home / "file-link").c_str()), 0);
    DiskScanner scanner = fixtureScanner(home);

    FileCounter counter;
    auto files = scanner.regularFiles(URL::fileURL(home / "tree"), counter);
    EXPECT_EQ(files.size(), 2u);
    EXPECT_EQ(counter.count, 2);
    EXPECT_TRUE(scanner.regularFiles(URL::fileURL(home / "file-link"), counter).empty());
    EXPECT_EQ(scanner.regularFiles(URL::fileURL(home / "tree/a"), counter).size(), 1u);
    EXPECT_EQ(counter.count, 3);
    EXPECT_EQ(scanner.regularFiles(home.url(), counter).size(), 3u);

    auto newest = scanner.newestChange(URL::fileURL(home / "tree"), counter);
    ASSERT_TRUE(newest);
    EXPECT_FALSE(scanner.modificationDate(URL::fileURL(home / "missing")));
    EXPECT_TRUE(scanner.modificationDate(URL::fileURL(home / "file-link")));
}

TEST(ScannerDiskSpace, UnreadableVolumeIsZero) {
    EXPECT_EQ(DiskScanner::diskSpace(URL::fileURL("/no/such/place")), (DiskSpace{0, 0}));
    DiskSpace root = DiskScanner::diskSpace(URL::fileURL("/"));
    EXPECT_GT(root.total, 0);
    EXPECT_LE(root.available, root.total);
}

TEST(ScannerSettings, UserDirsDriveDownloadsTheUserFilesWalkAndThePrivateFolders) {
    TempDir home;
    home.write(".config/user-dirs.dirs", "XDG_DOWNLOAD_DIR=\"$HOME/Téléchargements\"\n"
                                         "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n"
                                         "XDG_PICTURES_DIR=\"$HOME/\"\n");
    home.write("Téléchargements/Foo.zip", std::string(3000, 'z'));
    home.mkdir("Téléchargements/Foo");
    home.write("Dokumente/report.bin", std::string(3000, 'r'));
    home.write("loose.bin", std::string(3000, 'l'));
    DiskScanner scanner = fixtureScanner(home);
    scanner.duplicateMinSize = 1000;

    EXPECT_EQ(scanner.downloadsFolder.path(), home / "Téléchargements");
    std::vector<std::string> walked;
    for (const auto& folder : scanner.duplicateFolders)
        walked.push_back(folder.lastPathComponent());
    EXPECT_EQ(walked, (std::vector<std::string>{"Desktop", "Dokumente", "Téléchargements", "Movies",
                                                "Music", "Pictures"}));
    std::vector<std::string> shots;
    for (const auto& folder : scanner.screenshotFolders())
        shots.push_back(folder.lastPathComponent());
    EXPECT_EQ(shots,
              (std::vector<std::string>{"Desktop", "Téléchargements", "Dokumente", "Pictures"}));

    FileCounter counter;
    auto [downloads, access] = scanner.scanDownloads(counter);
    ASSERT_EQ(downloads.size(), 1u);
    EXPECT_EQ(downloads[0].location.path(), home / "Téléchargements/Foo.zip");
    std::vector<std::string> found;
    for (const auto& candidate : scanner.userFiles({}, counter))
        found.push_back(candidate.url.path());
    EXPECT_EQ(found, (std::vector<std::string>{home / "Dokumente/report.bin",
                                               home / "Téléchargements/Foo.zip"}));

    scanner.privateFoldersAllowed = false;
    EXPECT_FALSE(scanner.mayRead(URL::fileURL(home / "Dokumente/report.bin")));
    EXPECT_FALSE(scanner.mayRead(URL::fileURL(home / "Téléchargements")));
    EXPECT_TRUE(scanner.mayRead(URL::fileURL(home / "Documents/x")));
    EXPECT_EQ(scanner.scanDownloads(counter).second, FolderAccess::blocked);
    EXPECT_TRUE(scanner.userFiles({}, counter).empty());
}
