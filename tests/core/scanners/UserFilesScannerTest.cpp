#include "support/FixtureScanner.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

std::vector<std::string> relativePaths(const TempDir& home,
                                       const std::vector<DiskScanner::Candidate>& candidates) {
    std::vector<std::string> paths;
    for (const auto& candidate : candidates)
        paths.push_back(candidate.url.path().substr(home.path().size() + 1));
    std::sort(paths.begin(), paths.end());
    return paths;
}

DiskScanner smallFileScanner(const TempDir& home) {
    DiskScanner scanner = fixtureScanner(home);
    scanner.duplicateMinSize = 1000;
    return scanner;
}

} // namespace

TEST(UserFiles, CollectsLargeEnoughFilesOutsideToolAndLibraryFolders) {
    TempDir home;
    home.write("Documents/keep.bin", std::string(1000, 'k'));
    home.write("Documents/small.bin", std::string(999, 's'));
    home.write("Documents/.hidden.bin", std::string(2000, 'h'));
    home.write("Documents/.hiddenfolder/inside.bin", std::string(2000, 'h'));
    home.write("Documents/web/node_modules/lib.bin", std::string(2000, 'n'));
    home.write("Documents/repo/.git/HEAD", "ref");
    home.write("Documents/repo/data.bin", std::string(2000, 'r'));
    home.write("Music/Music/song.bin", std::string(2000, 'm'));
    home.write("Music/mine/song.bin", std::string(2000, 'm'));
    home.write("Pictures/Album.photoslibrary/photo.bin", std::string(2000, 'p'));
    home.write("Desktop/deep/er/still.bin", std::string(3000, 'd'));
    ASSERT_EQ(symlink((home / "Documents/keep.bin").c_str(), (home / "Desktop/link.bin").c_str()),
              0);
    FileCounter counter;
    auto candidates = smallFileScanner(home).userFiles({}, counter);
    EXPECT_EQ(relativePaths(home, candidates),
              (std::vector<std::string>{"Desktop/deep/er/still.bin", "Documents/keep.bin",
                                        "Music/mine/song.bin"}));
    EXPECT_EQ(counter.count, 3);
    const auto& keep = *std::find_if(candidates.begin(), candidates.end(), [&](const auto& c) {
        return c.url.path() == home / "Documents/keep.bin";
    });
    EXPECT_EQ(keep.size, 1000);
    EXPECT_EQ(keep.links, 1u);
}

TEST(UserFiles, PrivateFoldersAreLeftAloneWhenNotAllowed) {
    TempDir home;
    for (const char* folder : {"Desktop", "Documents", "Downloads", "Movies", "Music", "Pictures"})
        home.write(std::string(folder) + "/file.bin", std::string(1500, 'f'));
    DiskScanner scanner = smallFileScanner(home);
    scanner.privateFoldersAllowed = false;
    FileCounter counter;
    EXPECT_EQ(relativePaths(home, scanner.userFiles({}, counter)),
              (std::vector<std::string>{"Movies/file.bin", "Music/file.bin", "Pictures/file.bin"}));
}

TEST(UserFiles, FilesInsideAnAlreadyReportedFolderAreNotCandidates) {
    TempDir home;
    home.write("Documents/project/build/out.bin", std::string(2000, 'o'));
    home.write("Documents/project/build/deep/more.bin", std::string(2000, 'o'));
    home.write("Downloads/unpacked/setup.bin", std::string(2000, 'u'));
    home.write("Downloads/reported.bin", std::string(2000, 'r'));
    home.write("Documents/project/source.bin", std::string(2000, 's'));
    home.write("Documents/project/build-notes.bin", std::string(2000, 'n'));
    FileCounter counter;
    auto candidates = smallFileScanner(home).userFiles({home / "Documents/project/build",
                                                        home / "Downloads/unpacked",
                                                        home / "Downloads/reported.bin"},
                                                       counter);
    EXPECT_EQ(relativePaths(home, candidates),
              (std::vector<std::string>{"Documents/project/build-notes.bin",
                                        "Documents/project/source.bin"}));
}

TEST(UserFiles, CandidatesComeInWalkOrderFolderByFolder) {
    TempDir home;
    for (const char* path : {"Pictures/a-b.bin", "Pictures/a/y/z.bin", "Pictures/a/x.bin",
                             "Desktop/later.bin", "Pictures/B.bin"})
        home.write(path, std::string(1500, 'w'));
    FileCounter counter;
    std::vector<std::string> order;
    for (const auto& candidate : smallFileScanner(home).userFiles({}, counter))
        order.push_back(candidate.url.path().substr(home.path().size() + 1));
    EXPECT_EQ(order,
              (std::vector<std::string>{"Desktop/later.bin", "Pictures/B.bin", "Pictures/a/x.bin",
                                        "Pictures/a/y/z.bin", "Pictures/a-b.bin"}));
}
