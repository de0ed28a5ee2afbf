#include "engine/PathRules.h"
#include "support/FixtureScanner.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

std::vector<std::string> locations(const std::vector<ScanItem>& items, const TempDir& home) {
    std::vector<std::string> paths;
    for (const auto& item : items) {
        const std::string& path = item.location.path();
        paths.push_back(path.rfind(home.path(), 0) == 0 ? path.substr(home.path().size() + 1)
                                                        : path);
    }
    return paths;
}

ScanItem itemAt(JunkKind kind, const std::string& path, std::vector<URL> targets = {}) {
    ScanItem item;
    item.kind = kind;
    item.location = URL::fileURL(path);
    item.targets = std::move(targets);
    return item;
}

} // namespace

TEST(ScanPipeline, ReportsElevenStepsInOrder) {
    TempDir home;
    std::vector<std::pair<std::string, int>> steps;
    fixtureScanner(home).scan(
        [&](const std::string& name, int index) { steps.emplace_back(name, index); });
    const std::vector<std::pair<std::string, int>> expected = {{"app caches", 0},
                                                               {"logs and temp files", 1},
                                                               {"apps", 2},
                                                               {"Downloads and the Trash", 3},
                                                               {"Mail and Messages", 4},
                                                               {"developer files", 5},
                                                               {"AI files", 6},
                                                               {"System Data", 7},
                                                               {"your files", 8},
                                                               {"duplicates", 9},
                                                               {"large files", 10}};
    EXPECT_EQ(steps, expected);
    EXPECT_EQ(DiskScanner::scanSteps().size(), 11u);
    fixtureScanner(home).scan();
}

TEST(ScanPipeline, SortsLargestFirstKeepingStepOrderForEqualSizes) {
    TempDir home;
    const std::string page(4096, 'p');
    home.write("Library/Caches/b.cache/x", page);
    home.write("Library/Caches/a.cache/x", page);
    home.write(".Trash/thrown", page);
    home.write("Library/Caches/big/x", std::string(40960, 'b'));
    writeAged(home, "Library/Logs/app.log", 8192, daysAgo(30));
    sync();
    const ScanResult result = fixtureScanner(home).scan();
    EXPECT_EQ(locations(result.items, home),
              (std::vector<std::string>{"Library/Caches/big", "Library/Logs/app.log",
                                        "Library/Caches/a.cache", "Library/Caches/b.cache",
                                        ".Trash/thrown"}));
    EXPECT_EQ(result.filesLookedAt, 6); // the log is listed, then measured
    EXPECT_EQ(result.trashAccess, FolderAccess::ok);
    EXPECT_GT(result.disk.total, 0);
    EXPECT_GE(result.duration, 0);
}

TEST(ScanPipeline, EarlierFindingsAreNeverOfferedAgainAsUserFiles) {
    TempDir home;
    const std::string content(5000, 'c');
    home.write("Library/Caches/tool/unpacked/copy.bin", content);
    home.write("Library/Caches/tool/unpacked/deeper/copy2.bin", content);
    home.write("Library/Keep/original.bin", content);
    DiskScanner scanner = fixtureScanner(home);
    scanner.duplicateMinSize = 1000;
    scanner.duplicateFolders = {home.url().appending("Library")};
    sync();
    const ScanResult result = scanner.scan();
    EXPECT_EQ(locations(result.items, home), std::vector<std::string>{"Library/Caches/tool"});
}

TEST(ScanPipeline, DuplicatesAndTheirKeptCopyAreNotOfferedAsLargeFiles) {
    TempDir home;
    const std::string content(6000, 'd');
    home.write("Documents/film.bin", content);
    home.write("Downloads/film.bin", content);
    home.write("Movies/alone.bin", std::string(7000, 'a'));
    DiskScanner scanner = fixtureScanner(home);
    scanner.duplicateMinSize = 1000;
    scanner.oldSize = 1000;
    scanner.largeSize = 1000;
    sync();
    const ScanResult result = scanner.scan();
    ASSERT_EQ(result.items.size(), 2u);
    EXPECT_EQ(result.itemsOf(JunkKind::duplicates).at(0).location.path(),
              home / "Downloads/film.bin");
    EXPECT_EQ(result.itemsOf(JunkKind::largeFiles).at(0).location.path(),
              home / "Movies/alone.bin");
}

TEST(NeverTouch, DropsItemsInsideOrHoldingAProtectedPathOnEitherForm) {
    TempDir home;
    home.write("Library/Caches/inside/keep/x", "x");
    home.write("Library/Caches/target/x", "x");
    home.write("Library/Caches/sibling-more/x", "x");
    home.write("Library/Caches/linked/x", "x");
    home.write("Library/Caches/free/x", "x");
    ASSERT_EQ(symlink((home / "Library/Caches/linked").c_str(), (home / "alias").c_str()), 0);
    DiskScanner scanner = fixtureScanner(home);
    scanner.neverTouch = {home / "Library/Caches/inside/keep", home / "Library/Caches/target/x",
                          home / "Library/Caches/sibling", home / "alias"};
    EXPECT_EQ(locations(scanner.scanCachesOnly(), home),
              (std::vector<std::string>{"Library/Caches/free", "Library/Caches/sibling-more"}));
    EXPECT_EQ(locations(scanner.scan().items, home),
              (std::vector<std::string>{"Library/Caches/free", "Library/Caches/sibling-more"}));

    scanner.neverTouch = {"/"};
    EXPECT_TRUE(scanner.scan().items.empty());
    EXPECT_TRUE(scanner.scanCachesOnly().empty());
}

TEST(NeverTouch, ItemsWithoutAFileLocationStayInTheScan) {
    const NeverTouch everything({"/"});
    ScanItem purgeable;
    purgeable.kind = JunkKind::systemData;
    purgeable.location = *URL::parse("kelvora-system:purgeable");
    EXPECT_FALSE(everything.covers(purgeable, true));
    EXPECT_TRUE(everything.covers(itemAt(JunkKind::trash, "/home/u/.Trash/x"), true));
    EXPECT_FALSE(NeverTouch({""}).covers(itemAt(JunkKind::trash, "/home/u/.Trash/x"), true));
}

TEST(PrivateFolders, ALinkIntoAPrivateFolderIsRefusedToo) {
    TempDir home;
    home.mkdir("Documents/taxes");
    ASSERT_EQ(symlink((home / "Documents").c_str(), (home / "Shortcut").c_str()), 0);
    DiskScanner scanner = fixtureScanner(home);
    scanner.privateFoldersAllowed = false;
    EXPECT_FALSE(scanner.mayRead(URL::fileURL(home / "Shortcut/taxes")));
    EXPECT_FALSE(scanner.mayRead(URL::fileURL(home / "Shortcut")));
    EXPECT_TRUE(scanner.mayRead(URL::fileURL(home / "Pictures")));
}

TEST(ScanPipeline, AnAIItemStandsInForTheCacheFolderItCovers) {
    TempDir home;
    home.mkdir("Library/Caches/model-cache");
    ASSERT_EQ(symlink((home / "Library/Caches/model-cache").c_str(), (home / "tool-cache").c_str()),
              0);
    std::vector<ScanItem> items = {
        itemAt(JunkKind::caches, home / "Library/Caches/model-cache"),
        itemAt(JunkKind::caches, home / "Library/Caches/other"),
        itemAt(JunkKind::developer, home / "Library/Caches/model-cache")};
    removeCachesCoveredBy({itemAt(JunkKind::ai, home / "tool-cache")}, items);
    EXPECT_EQ(locations(items, home),
              (std::vector<std::string>{"Library/Caches/other", "Library/Caches/model-cache"}));
}

TEST(ScanPipeline, UserFoldersThatAreLinksGiveTheSameItemsAsRealOnes) {
    // The same user folders twice: in the home, and kept elsewhere with links in the home.
    // A link inside a user folder is never followed, in either home.
    TempDir outside;
    writeAged(outside, "hidden/secret.bin", 6000, daysAgo(400));
    const auto fill = [&](const TempDir& home, const std::string& at) {
        writeAged(home, at + "Downloads/Foo.zip", 7000, daysAgo(20));
        home.mkdir(at + "Downloads/Foo");
        writeAged(home, at + "Documents/a.bin", 6000, daysAgo(400));
        writeAged(home, at + "Documents/old.bin", 8000, daysAgo(400));
        writeAged(home, at + "Desktop/a copy.bin", 6000, daysAgo(400));
        writeAged(home, at + "Desktop/Screenshot 2025-01-05 at 10.00.00.png", 3000, daysAgo(60));
        symlink((outside / "hidden").c_str(), (home / (at + "Downloads/shortcut")).c_str());
    };
    const auto scanned = [](const TempDir& home) {
        DiskScanner scanner = fixtureScanner(home);
        scanner.duplicateMinSize = 1000;
        scanner.oldSize = 1000;
        sync();
        std::vector<std::string> found;
        for (const auto& item : scanner.scan().items) {
            std::string line = JunkKinds::rawValue(item.kind) + " " + std::to_string(item.bytes);
            for (const auto& target : item.targets)
                line += " " + target.path().substr(home.path().size());
            found.push_back(line);
        }
        std::sort(found.begin(), found.end());
        return found;
    };

    TempDir real;
    fill(real, "");
    TempDir linked;
    fill(linked, "disk/");
    for (const char* name : {"Downloads", "Documents", "Desktop"})
        ASSERT_EQ(
            symlink((linked / ("disk/" + std::string(name))).c_str(), (linked / name).c_str()), 0);

    const auto expected = scanned(real);
    EXPECT_EQ(expected.size(), 4u) << "download, duplicate, old file, screenshots";
    EXPECT_EQ(scanned(linked), expected);
    for (const auto& line : expected)
        EXPECT_EQ(line.find("secret"), std::string::npos) << line;
}
