#include "app/support/IsolatedHome.h"
#include "catalog/Catalog.h"
#include "platform/Calendar.h"
#include "platform/Plist.h"
#include "search/PlainQuery.h"
#include "support/FixtureScanner.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

std::vector<std::string> targetNames(const std::vector<ScanItem>& items) {
    std::vector<std::string> names;
    for (const auto& item : items)
        for (const auto& target : item.targets)
            names.push_back(target.lastPathComponent());
    return names;
}

std::vector<ScanItem> screenshots(const DiskScanner& scanner, int64_t* counted = nullptr) {
    FileCounter counter;
    auto items = scanner.scanScreenshots(counter);
    if (counted) *counted = counter.count;
    return items;
}

void saveScreenshotsTo(const TempDir& home, const std::string& location) {
    home.mkdir("Library/Preferences");
    ASSERT_TRUE(writePlist(Json{{"location", location}},
                           home / "Library/Preferences/com.apple.screencapture.plist"));
}

} // namespace

TEST(ScreenshotsScanner, FindsOldScreenshotsByNameTypeAndAge) {
    TempDir home;
    writeAged(home, "Desktop/Screenshot 2024-01-05 at 10.00.00.png", 100, daysAgo(31));
    writeAged(home, "Desktop/Screenshot fresh.png", 100, daysAgo(29));
    writeAged(home, "Desktop/Screenshot edge.png", 100, daysAgo(30));
    writeAged(home, "Desktop/screenshot 2024.png", 100, daysAgo(90));
    writeAged(home, "Desktop/Screenshot.png", 100, daysAgo(90));
    writeAged(home, "Desktop/Screenshot notes.txt", 100, daysAgo(90));
    writeAged(home, "Downloads/Screen Recording 2024.MOV", 100, daysAgo(31));
    writeAged(home, "Desktop/Screenshots/CleanShot one.jpg", 100, daysAgo(31));
    writeAged(home, "Desktop/Screenshots/Old/Shottr deep.png", 100, daysAgo(31));
    home.mkdir("Pictures");
    ASSERT_EQ(symlink((home / "Desktop/Screenshot 2024-01-05 at 10.00.00.png").c_str(),
                      (home / "Pictures/Screenshot link.png").c_str()),
              0);
    sync();
    int64_t counted = 0;
    auto items = screenshots(fixtureScanner(home), &counted);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(targetNames(items),
              (std::vector<std::string>{"CleanShot one.jpg", "Screen Recording 2024.MOV",
                                        "Screenshot 2024-01-05 at 10.00.00.png"}));
    EXPECT_EQ(items[0].photo()->count, 3);
    EXPECT_EQ(items[0].photo()->recordings, 1);
    EXPECT_EQ(items[0].baseVerdict, Verdict::youDecide);
    EXPECT_EQ(counted, 3 + 3);
}

TEST(ScreenshotsScanner, OneItemPerMonthNewestFirst) {
    TempDir home;
    const Date january = Calendar::fromLocal({2025, 1, 15, 12});
    const Date december = Calendar::fromLocal({2024, 12, 15, 12});
    writeAged(home, "Pictures/Screenshot b.png", 4096, january);
    writeAged(home, "Pictures/Screenshot a.png", 4096, january);
    writeAged(home, "Pictures/Screen Shot c.png", 4096, december);
    sync();
    auto items = screenshots(fixtureScanner(home));
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].location.path(), home / "Screenshots/2025-1");
    EXPECT_EQ(items[0].photo()->name, "January 2025");
    EXPECT_EQ(targetNames({items[0]}),
              (std::vector<std::string>{"Screenshot a.png", "Screenshot b.png"}));
    EXPECT_EQ(items[1].location.path(), home / "Screenshots/2024-12");
    EXPECT_EQ(items[1].photo()->name, "December 2024");
    EXPECT_GT(items[1].bytes, 0);
}

TEST(ScreenshotsScanner, SaveLocationInsideHomeIsSearchedOnceAndOutsideIsIgnored) {
    TempDir home;
    saveScreenshotsTo(home, "~/Desktop/Shots/Deeper");
    writeAged(home, "Desktop/Shots/Deeper/Screenshot saved.png", 100, daysAgo(40));
    writeAged(home, "Desktop/Shots/Deeper/Nested/Screenshot nested.png", 100, daysAgo(40));
    EXPECT_EQ(fixtureScanner(home).screenshotFolders().back().path(),
              home / "Desktop/Shots/Deeper");
    EXPECT_EQ(targetNames(screenshots(fixtureScanner(home))),
              (std::vector<std::string>{"Screenshot nested.png", "Screenshot saved.png"}));

    saveScreenshotsTo(home, home / "Pictures/Shots");
    writeAged(home, "Pictures/Shots/Screenshot twice.png", 100, daysAgo(40));
    EXPECT_EQ(targetNames(screenshots(fixtureScanner(home))),
              std::vector<std::string>{"Screenshot twice.png"});

    TempDir outside;
    saveScreenshotsTo(home, outside.path());
    EXPECT_EQ(fixtureScanner(home).screenshotFolders().size(), 4u);

    // A folder in the home that is a link to one outside it lies outside it.
    writeAged(outside, "Screenshot elsewhere.png", 100, daysAgo(40));
    ASSERT_EQ(symlink(outside.path().c_str(), (home / "Shots").c_str()), 0);
    saveScreenshotsTo(home, "~/Shots");
    EXPECT_EQ(fixtureScanner(home).screenshotFolders().size(), 4u);
    EXPECT_EQ(targetNames(screenshots(fixtureScanner(home))),
              std::vector<std::string>{"Screenshot twice.png"});
}

TEST(ScreenshotsScanner, PrivateFoldersAndCloudOnlyFilesAreLeftOut) {
    TempDir home;
    saveScreenshotsTo(home, "~/Documents/Shots");
    writeAged(home, "Desktop/Screenshot private.png", 100, daysAgo(40));
    writeAged(home, "Pictures/Screenshot open.png", 100, daysAgo(40));
    writeAged(home, "Pictures/Screenshot cloud.png", 100, daysAgo(40));
    DiskScanner scanner = fixtureScanner(home);
    scanner.privateFoldersAllowed = false;
    scanner.isDataless = [](const std::string& path) {
        return path.find("cloud") != std::string::npos;
    };
    EXPECT_EQ(scanner.screenshotFolders(), std::vector<URL>{home.url().appending("Pictures")});
    int64_t counted = 0;
    EXPECT_EQ(targetNames(screenshots(scanner, &counted)),
              std::vector<std::string>{"Screenshot open.png"});
    EXPECT_EQ(counted, 2);
}

TEST(ScreenshotsScanner, ALinkMetBeforeItsFileDoesNotHideTheFile) {
    TempDir home;
    writeAged(home, "Pictures/Screenshot real.png", 100, daysAgo(40));
    home.mkdir("Desktop");
    ASSERT_EQ(symlink((home / "Pictures/Screenshot real.png").c_str(),
                      (home / "Desktop/Screenshot alias.png").c_str()),
              0);
    sync();
    int64_t counted = 0;
    auto items = screenshots(fixtureScanner(home), &counted);
    EXPECT_EQ(targetNames(items), std::vector<std::string>{"Screenshot real.png"});
    EXPECT_EQ(counted, 1 + 1);
}

TEST(ScreenshotsScanner, KDENamesAndEveryPictureInThePicturesScreenshotsFolderInTheirFolders) {
    TempDir home;
    home.write(".config/user-dirs.dirs",
               "XDG_PICTURES_DIR=\"$HOME/Images\"\nXDG_DESKTOP_DIR=\"$HOME/Bureau\"\n");
    struct Case {
        const char* path;
        bool found;
    };
    const std::vector<Case> cases = {
        {"Images/Screenshots/Capture d’écran du 2024-03-01 10-10-10.png", true},
        {"Images/Screenshots/Bildschirmfoto vom 2024-03-01 10-10-10.png", true},
        {"Images/Screenshot_20240301_101010.png", true},
        {"Bureau/Screenshot_20240302_090000-1.jpg", true},
        {"Images/Screenshots/notes.txt", false},
        {"Bureau/Screenshots/Bild 2024.png", false},
        {"Images/Screenshot_2024.png", false},
        {"Images/Screenshot_20240301-101010.png", false},
        {"Images/Screenshots/Old/Capture d’écran du 2024-03-01 10-10-10.png", false},
    };
    for (const Case& c : cases)
        writeAged(home, c.path, 100, daysAgo(40));
    writeAged(home, "Images/Screenshots/Capture d’écran du 2023-12-01 08-00-00.png", 100,
              daysAgo(120));
    sync();
    auto items = screenshots(fixtureScanner(home));
    ASSERT_EQ(items.size(), 2u);
    for (const Case& c : cases) {
        const URL url = URL::fileURL(home / c.path);
        EXPECT_EQ(std::count(items[0].targets.begin(), items[0].targets.end(), url), c.found)
            << c.path;
    }
    // What the inspector shows and the file manager opens is a folder holding the month's
    // files, never the month's name for it.
    EXPECT_EQ(Catalog::place(items[0]).path(), home.path());
    EXPECT_EQ(Catalog::place(items[1]).path(), home / "Images/Screenshots");
    for (const ScanItem& item : items)
        EXPECT_TRUE(fileInfo(Catalog::place(item))->isDirectory());
}

namespace {

std::vector<std::string> searchedScreenshots(const TempDir& home) {
    // The search's stand-in tool finds the Pictures folder of the searching user; the
    // variables are put back when the search is done.
    const IsolatedHome restored;
    setenv("HOME", home.path().c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    PlainQuery query;
    query.kinds = {PlainQuery::Kind::screenshots};
    std::vector<std::string> names;
    for (const auto& hit : query.run(home.url(), 300))
        names.push_back(hit.url.lastPathComponent());
    std::sort(names.begin(), names.end());
    return names;
}

class DesktopScreenshotLanguage : public ::testing::TestWithParam<DiskScanner::ScreenshotWords> {};

} // namespace

// A French (or any) desktop translates the folder as well as the name: its tool's shots are
// found in its own Screenshots folder, and under its file name wherever they were moved.
TEST_P(DesktopScreenshotLanguage, ShotsOfTheDesktopsToolAreFoundByScanAndSearch) {
    const DiskScanner::ScreenshotWords& words = GetParam();
    TempDir home;
    home.write(".config/user-dirs.dirs",
               "XDG_PICTURES_DIR=\"$HOME/Bilder\"\nXDG_DESKTOP_DIR=\"$HOME/Escritorio\"\n");
    const std::string inFolder = std::string("Bilder/") + words.folder + "/shot.png";
    std::vector<std::string> expected = {"shot.png"};
    writeAged(home, inFolder, 4096, daysAgo(40));
    for (size_t i = 0; i < words.prefixes.size(); ++i) {
        const std::string name =
            std::string(words.prefixes[i]) + "2024-03-0" + std::to_string(i + 1) + " 10-10-10.png";
        writeAged(home, "Escritorio/" + name, 4096, daysAgo(40));
        expected.push_back(name);
    }
    // Only a date after the words makes the name the tool's; English names need none.
    if (std::string(words.language) != "en")
        writeAged(home, std::string("Escritorio/") + words.prefixes.front() + "notes.png", 4096,
                  daysAgo(40));
    std::sort(expected.begin(), expected.end());
    sync();

    auto found = targetNames(screenshots(fixtureScanner(home)));
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected);
    EXPECT_EQ(searchedScreenshots(home), expected);
}

INSTANTIATE_TEST_SUITE_P(Languages, DesktopScreenshotLanguage,
                         ::testing::ValuesIn(DiskScanner::screenshotWords()),
                         [](const ::testing::TestParamInfo<DiskScanner::ScreenshotWords>& info) {
                             return std::string(info.param.language);
                         });
