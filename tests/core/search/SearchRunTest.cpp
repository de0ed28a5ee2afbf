#include "search/PlainQuery.h"

#include "app/support/IsolatedHome.h"
#include "engine/DiskScanner.h"
#include "platform/Iso8601.h"
#include "platform/Plist.h"
#include "platform/StandIns.h"
#include "support/TempDir.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace kelvora {
namespace {

using Kind = PlainQuery::Kind;
using testing::TempDir;

Date at(const std::string& text) {
    return *parseIso8601(text);
}

// A home folder with one file of each kind the search tells apart.
struct SearchFixture : ::testing::Test {
    TempDir dir;
    URL home = URL::fileURL(dir / "home", true);

    void SetUp() override {
        file("Downloads/holiday.MP4", 400'000, "2024-06-01T10:00:00Z");
        file("Downloads/setup.dmg", 300'000, "2025-03-01T10:00:00Z");
        file("Downloads/backup.zip", 20'000, "2025-03-01T10:00:00Z");
        file("Downloads/song.mp3", 8'000, "2025-03-01T10:00:00Z");
        file("Desktop/Screenshot 2025-01-02 at 09.00.00.png", 60'000, "2025-01-02T09:00:00Z");
        file("Desktop/beach.jpeg", 90'000, "2025-07-01T10:00:00Z");
        file("Desktop/screenshot of nothing.png", 1'000, "2025-07-01T10:00:00Z");
        file("Documents/R\u00E9sum\u00E9 2025.pdf", 5'000, "2025-02-01T10:00:00Z");
        file("Documents/budget.xlsx", 4'000, "2023-02-01T10:00:00Z");
        file("Documents/talk.key", 3'000, "2025-02-01T10:00:00Z");
        file("Documents/notes.txt", 100, "2025-02-01T10:00:00Z");
        file("Applications/Editor.app/Contents/MacOS/editor", 250'000, "2025-01-01T00:00:00Z");
        file("Applications/Viewer.app/Contents/MacOS/viewer", 50'000, "2025-01-01T00:00:00Z");
        file("Library/Caches/thumb.png", 70'000, "2025-01-01T00:00:00Z");
        file("Pictures/Lib.photoslibrary/originals/a.jpg", 80'000, "2025-01-01T00:00:00Z");
        file(".config/hidden.png", 70'000, "2025-01-01T00:00:00Z");
        symlink((dir / "home/Desktop/beach.jpeg").c_str(),
                (dir / "home/Desktop/link.jpeg").c_str());
        lastUsed("Applications/Viewer.app", "2026-11-01T00:00:00Z");
        lastUsed("Applications/Editor.app", "2024-01-01T00:00:00Z");
        sync();
    }

    void file(const std::string& relative, size_t bytes, const std::string& changed) {
        std::string path = dir.write("home/" + relative, std::string(bytes, 'k'));
        setModificationDate(path, at(changed));
    }
    void lastUsed(const std::string& relative, const std::string& date) {
        std::string path = dir / ("home/" + relative);
        setxattr(path.c_str(), "user.kMDItemLastUsedDate", date.data(), date.size(), 0);
    }

    std::vector<std::string> found(const PlainQuery& query, int limit = 300) {
        std::vector<std::string> names;
        for (const auto& hit : query.run(home, limit))
            names.push_back(hit.url.path().substr(home.path().size() + 1));
        std::sort(names.begin(), names.end());
        return names;
    }
    std::vector<std::string> found(std::vector<Kind> kinds) {
        PlainQuery query;
        query.kinds = std::move(kinds);
        return found(query);
    }
};

using Names = std::vector<std::string>;

TEST_F(SearchFixture, StandInToolIsRegistered) {
    std::optional<std::string> tool = standInFor("/usr/bin/mdfind");
    ASSERT_TRUE(tool);
    EXPECT_EQ(lastComponent(*tool), "mdfind");
}

TEST_F(SearchFixture, KindsComeFromExtensionsAndNames) {
    EXPECT_EQ(found({Kind::videos}), Names{"Downloads/holiday.MP4"});
    EXPECT_EQ(found({Kind::photos}),
              (Names{"Desktop/Screenshot 2025-01-02 at 09.00.00.png", "Desktop/beach.jpeg",
                     "Desktop/screenshot of nothing.png"}));
    EXPECT_EQ(found({Kind::screenshots}), Names{"Desktop/Screenshot 2025-01-02 at 09.00.00.png"});
    EXPECT_EQ(found({Kind::pdfs}), Names{"Documents/R\u00E9sum\u00E9 2025.pdf"});
    EXPECT_EQ(found({Kind::archives}), Names{"Downloads/backup.zip"});
    EXPECT_EQ(found({Kind::diskImages}), Names{"Downloads/setup.dmg"});
    EXPECT_EQ(found({Kind::audio}), Names{"Downloads/song.mp3"});
    EXPECT_EQ(found({Kind::apps}), (Names{"Applications/Editor.app", "Applications/Viewer.app"}));
    EXPECT_EQ(found({Kind::documents}), (Names{"Documents/R\u00E9sum\u00E9 2025.pdf",
                                               "Documents/budget.xlsx", "Documents/talk.key"}));
    EXPECT_EQ(found({Kind::audio, Kind::archives}),
              (Names{"Downloads/backup.zip", "Downloads/song.mp3"}));

    // A document saved as a package is a document, and what it holds is not.
    file("Documents/plan.pages/Index/Document.iwa", 2'000, "2025-02-01T10:00:00Z");
    EXPECT_EQ(found({Kind::documents}),
              (Names{"Documents/R\u00E9sum\u00E9 2025.pdf", "Documents/budget.xlsx",
                     "Documents/plan.pages", "Documents/talk.key"}));
}

TEST_F(SearchFixture, SizesDatesAndNames) {
    PlainQuery sized;
    sized.minBytes = 60'000;
    sized.maxBytes = 300'000;
    // Packages are sized by what they hold, so bundles and libraries count too. The bounds
    // hold to the blocks a row shows: the 300,000 bytes of setup.dmg take 303,104.
    EXPECT_EQ(found(sized),
              (Names{"Applications/Editor.app", "Desktop/Screenshot 2025-01-02 at 09.00.00.png",
                     "Desktop/beach.jpeg", "Pictures/Lib.photoslibrary"}));

    // A size exactly at a bound is within it.
    PlainQuery atMost;
    atMost.maxBytes = 303'104;
    atMost.kinds = {Kind::diskImages};
    EXPECT_EQ(found(atMost), Names{"Downloads/setup.dmg"});

    PlainQuery dated;
    dated.changedAfter = at("2025-02-01T10:00:00Z");
    dated.changedBefore = at("2025-03-01T10:00:00Z");
    dated.kinds = {Kind::documents};
    EXPECT_EQ(found(dated), (Names{"Documents/R\u00E9sum\u00E9 2025.pdf", "Documents/talk.key"}));

    PlainQuery named;
    named.nameContains = "RESUME";
    EXPECT_EQ(found(named), Names{"Documents/R\u00E9sum\u00E9 2025.pdf"});
}

// A sparse file is as large as what it holds, as the row beside it says.
TEST_F(SearchFixture, SparseFilesAreAsSmallAsTheBlocksTheyTake) {
    const std::string movie = dir.write("home/Movies/empty.mkv", "");
    ASSERT_EQ(truncate(movie.c_str(), 2'000'000'000), 0);
    const std::string image = dir.write("home/Documents/disk.img", std::string(4096, 'i'));
    ASSERT_EQ(truncate(image.c_str(), 500'000'000), 0);
    // Neither read nor written since 2020.
    const timespec old{at("2020-01-01T00:00:00Z").time_since_epoch() / std::chrono::seconds(1), 0};
    const timespec times[2] = {old, old};
    ASSERT_EQ(utimensat(AT_FDCWD, image.c_str(), times, 0), 0);
    sync();
    PlainQuery videos;
    videos.kinds = {Kind::videos};
    videos.minBytes = 1'000'000'000;
    EXPECT_EQ(found(videos), Names{});
    PlainQuery large;
    large.minBytes = 100'000'000;
    large.notOpenedSince = at("2025-01-01T00:00:00Z");
    EXPECT_EQ(found(large), Names{});
}

TEST_F(SearchFixture, NamesMatchRegardlessOfCaseAndAccentsBeyondLatin) {
    file("Documents/\u041E\u0442\u0447\u0451\u0442 \u039C\u0391\u03A1\u03A4\u0399\u039F\u03A3.txt",
         100, "2025-01-01T00:00:00Z");
    // Decomposed, as names copied from some systems are: e followed by a combining accent.
    file("Documents/Cafe\u0301 menu.txt", 100, "2025-01-01T00:00:00Z");
    PlainQuery query;
    for (const char* name : {"\u041E\u0422\u0427\u0401\u0422", "\u043E\u0442\u0447\u0451\u0442",
                             "\u03BC\u03B1\u03C1\u03C4\u03B9\u03BF\u03C2",
                             "\u03BC\u03B1\u03C1\u03C4\u03B9\u03BF\u03C3"}) {
        query.nameContains = name;
        EXPECT_EQ(found(query).size(), 1u) << name;
    }
    for (const char* name : {"caf\u00E9 menu", "CAFE MENU", "Cafe\u0301"}) {
        query.nameContains = name;
        EXPECT_EQ(found(query), Names{"Documents/Cafe\u0301 menu.txt"}) << name;
    }
}

TEST_F(SearchFixture, AppsNotOpenedSinceIncludeNeverOpened) {
    PlainQuery unused;
    unused.kinds = {Kind::apps};
    unused.notOpenedSince = at("2026-06-01T00:00:00Z");
    EXPECT_EQ(found(unused), Names{"Applications/Editor.app"});

    // An app with no recorded date was never opened, so it is unused too.
    std::string viewer = dir / "home/Applications/Viewer.app";
    removexattr(viewer.c_str(), "user.kMDItemLastUsedDate");
    EXPECT_EQ(found(unused), (Names{"Applications/Editor.app", "Applications/Viewer.app"}));

    // A bundle's size is what it holds; plain folders have none.
    PlainQuery bigApps;
    bigApps.kinds = {Kind::apps};
    bigApps.minBytes = 200'000;
    EXPECT_EQ(found(bigApps), Names{"Applications/Editor.app"});
}

TEST_F(SearchFixture, FoldersLimitTheWalkAndHitsAreLargestFirst) {
    PlainQuery query;
    query.folders = {"Desktop", "Downloads"};
    query.minBytes = 50'000;
    std::vector<PlainQuery::Hit> hits = query.run(home, 300);
    Names names;
    for (const auto& hit : hits)
        names.push_back(hit.url.lastPathComponent());
    EXPECT_EQ(names, (Names{"holiday.MP4", "setup.dmg", "beach.jpeg",
                            "Screenshot 2025-01-02 at 09.00.00.png"}));
    EXPECT_EQ(hits[0].bytes, fileInfo(dir / "home/Downloads/holiday.MP4")->allocatedSize);
    EXPECT_EQ(hits[0].changed, at("2024-06-01T10:00:00Z"));
}

TEST(SearchFolders, FolderWordsMeanTheFoldersUserDirsNames) {
    TempDir dir;
    const URL home = URL::fileURL(dir / "home", true);
    dir.write("home/.config/user-dirs.dirs",
              "XDG_DOWNLOAD_DIR=\"$HOME/T\u00E9l\u00E9chargements\"\n"
              "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n"
              "XDG_VIDEOS_DIR=\"$HOME/Vid\u00E9os\"\nXDG_PICTURES_DIR=\"$HOME/Images\"\n"
              "XDG_MUSIC_DIR=\"$HOME/Musique\"\n");
    for (const char* file :
         {"T\u00E9l\u00E9chargements/guide.pdf", "Bureau/note.pdf", "Docs/report.pdf",
          "Vid\u00E9os/film.mp4", "Images/beach.png", "Musique/song.mp3",
          // English names the user's folders do not have.
          "Downloads/stray.pdf", "Movies/stray.mp4", "Pictures/stray.png"})
        dir.write(std::string("home/") + file, std::string(5000, 'k'));
    struct Case {
        const char* phrase;
        std::vector<std::string> found;
    };
    const std::vector<Case> cases = {
        {"pdf in Downloads", {"T\u00E9l\u00E9chargements/guide.pdf"}},
        {"pdfs on my desktop", {"Bureau/note.pdf"}},
        {"pdf in documents", {"Docs/report.pdf"}},
        {"videos in videos", {"Vid\u00E9os/film.mp4"}},
        {"movies in movies", {"Vid\u00E9os/film.mp4"}},
        {"photos in pictures", {"Images/beach.png"}},
        {"music in music", {"Musique/song.mp3"}},
    };
    for (const Case& c : cases) {
        PlainQuery query = PlainQuery::parse(c.phrase, currentDate(), QueryCalendar::utc());
        std::vector<std::string> names;
        for (const auto& hit : query.run(home, 300))
            names.push_back(hit.url.path().substr(home.path().size() + 1));
        EXPECT_EQ(names, c.found) << c.phrase;
    }
}

// Phrases as people type them, in a home with AppImages, a program its menu runs and a
// screenshot named in French.
TEST(SearchWords, FindWhatThePhraseMeansAsTyped) {
    const testing::IsolatedHome isolated;
    const TempDir& dir = isolated.dir();
    auto program = [&](const std::string& relative, size_t bytes) {
        const std::string path = dir.write("home/" + relative, std::string(bytes, 'p'));
        chmod(path.c_str(), 0755);
        return path;
    };
    program("Applications/Obsidian-1.5.3.AppImage", 3'000'000);
    dir.write("home/Applications/notes.txt", std::string(3'000'000, 'n'));
    const std::string editor = program("Tools/editor", 8'000);
    dir.write("data/applications/editor.desktop",
              "[Desktop Entry]\nType=Application\nName=Editor\nExec=" + editor + " %F\n");
    program("bin/backup.sh", 100);
    dir.write("home/Downloads/Zed.AppImage", std::string(3'000'000, 'z')); // never made runnable
    dir.write("home/Pictures/Screenshots/Capture d\u2019\u00E9cran du 2024-03-01 10-10-10.png",
              std::string(4'000, 's'));
    dir.write("home/Documents/John's notes.txt", "j");
    sync();
    const URL home = URL::fileURL(isolated.home(), true);

    const Names apps = {"Applications/Obsidian-1.5.3.AppImage", "Tools/editor"};
    struct Case {
        const char* phrase;
        Names found;
    } cases[] = {
        {"capture d'\u00E9cran",
         {"Pictures/Screenshots/Capture d\u2019\u00E9cran du 2024-03-01 10-10-10.png"}},
        {"John's", {"Documents/John's notes.txt"}},
        {"apps", apps},
        {"applications", apps},
        {"files over 2 MB in Applications",
         {"Applications/Obsidian-1.5.3.AppImage", "Applications/notes.txt"}},
        {"AppImage over 2 MB", {"Applications/Obsidian-1.5.3.AppImage"}},
    };
    for (const Case& c : cases) {
        const PlainQuery query = PlainQuery::parse(c.phrase, currentDate(), QueryCalendar::utc(),
                                                   PlainQuery::hasApplicationsFolder(home));
        Names names;
        for (const auto& hit : query.run(home, 300))
            names.push_back(hit.url.path().substr(home.path().size() + 1));
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, c.found) << c.phrase;
    }
}

TEST_F(SearchFixture, ANameWithALineBreakNeverNamesAnotherFile) {
    // Printed whole, this path would end in a line naming the document outside Downloads.
    std::string elsewhere = dir / "home/Documents/budget.xlsx";
    dir.write("home/Downloads/unpacked\n" + elsewhere, std::string(5'000, 'x'));
    PlainQuery query;
    query.folders = {"Downloads"};
    query.nameContains = "budget";
    EXPECT_TRUE(query.run(home, 300).empty());
    query.nameContains = "unpacked";
    EXPECT_TRUE(query.run(home, 300).empty());
}

TEST_F(SearchFixture, LibraryHiddenAndPackageInsidesAreNeverHits) {
    PlainQuery everything;
    everything.kinds = {Kind::photos, Kind::apps};
    Names names = found(everything);
    for (const auto& name : names) {
        EXPECT_EQ(name.find("Library/"), std::string::npos) << name;
        EXPECT_EQ(name.find(".config"), std::string::npos) << name;
        EXPECT_EQ(name.find("photoslibrary/"), std::string::npos) << name;
        EXPECT_EQ(name.find(".app/"), std::string::npos) << name;
        EXPECT_NE(name, "Desktop/link.jpeg");
    }
    // A folder hit is what removing the folder frees.
    PlainQuery apps;
    apps.kinds = {Kind::apps};
    std::vector<PlainQuery::Hit> hits = apps.run(home, 300);
    ASSERT_EQ(hits.size(), 2u);
    FileCounter counter;
    EXPECT_EQ(hits[0].bytes,
              DiskScanner::live().freedSizes(
                  {{URL::fileURL(dir / "home/Applications/Editor.app", true)}}, counter)[0]);
    EXPECT_GT(hits[0].bytes, 250'000);
}

TEST_F(SearchFixture, ToolRejectsWhatItCannotRead) {
    std::string tool = *standInFor("/usr/bin/mdfind");
    auto unknown =
        DiskScanner::runTool(tool, {"-onlyin", home.path(), "kMDItemAuthors == \"x\""}, 10);
    ASSERT_TRUE(unknown);
    EXPECT_NE(unknown->status, 0);
    EXPECT_TRUE(unknown->output.empty());
    auto unfinished =
        DiskScanner::runTool(tool, {"-onlyin", home.path(), "(kMDItemFSSize >= 1"}, 10);
    ASSERT_TRUE(unfinished);
    EXPECT_NE(unfinished->status, 0);
    auto deep = DiskScanner::runTool(
        tool, {"-onlyin", home.path(), std::string(100'000, '(') + "kMDItemFSSize >= 1"}, 10);
    ASSERT_TRUE(deep);
    EXPECT_NE(deep->status, 0);
    auto missing = DiskScanner::runTool(tool, {"-onlyin"}, 10);
    ASSERT_TRUE(missing);
    EXPECT_NE(missing->status, 0);

    // The same folder given twice lists each match once.
    auto twice = DiskScanner::runTool(tool,
                                      {"-onlyin", home.path() + "/Downloads", "-onlyin",
                                       home.path() + "/Downloads/", "kMDItemFSName == \"*.zip\""},
                                      10);
    ASSERT_TRUE(twice);
    EXPECT_EQ(twice->output, home.path() + "/Downloads/backup.zip\n");
}

// A search tool of the test's own, printing fixed lines, to see what run makes of them.
struct ScriptedTool : SearchFixture {
    std::string savedToolsDir;
    bool hadToolsDir = false;

    void SetUp() override {
        SearchFixture::SetUp();
        if (const char* value = std::getenv("KELVORA_TOOLS_DIR")) {
            hadToolsDir = true;
            savedToolsDir = value;
        }
        setenv("KELVORA_TOOLS_DIR", (dir / "tools").c_str(), 1);
    }
    void TearDown() override {
        if (hadToolsDir)
            setenv("KELVORA_TOOLS_DIR", savedToolsDir.c_str(), 1);
        else
            unsetenv("KELVORA_TOOLS_DIR");
    }
    void printing(const std::vector<std::string>& lines, int status = 0) {
        std::string output;
        for (const auto& line : lines)
            output += line + "\n\n";
        dir.write("tools/output.txt", output);
        std::string script = "#!/bin/sh\ncat '" + (dir / "tools/output.txt") +
                             "'\necho \"$@\" > '" + (dir / "tools/arguments.txt") + "'\nexit " +
                             std::to_string(status) + "\n";
        std::string path = dir.write("tools/mdfind/mdfind", script);
        chmod(path.c_str(), 0755);
    }
};

TEST_F(ScriptedTool, OnlyTheFirstThreeTimesLimitLinesAreMeasured) {
    std::vector<std::string> lines;
    for (const char* name :
         {"Downloads/song.mp3", "Documents/notes.txt", "Downloads/backup.zip", "Desktop/beach.jpeg",
          "Documents/talk.key", "Documents/budget.xlsx", "Downloads/holiday.MP4",
          "Downloads/setup.dmg", "Desktop/gone.png", "Applications/Viewer.app"})
        lines.push_back(dir / ("home/" + std::string(name)));
    printing(lines);
    std::vector<PlainQuery::Hit> hits = PlainQuery().run(home, 2);
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0].url.lastPathComponent(), "beach.jpeg");
    EXPECT_EQ(hits[1].url.lastPathComponent(), "backup.zip");
}

TEST_F(ScriptedTool, RunFiltersLinesAndPassesFolders) {
    printing({dir / "home/Library/Caches/thumb.png", dir / "home/.config/hidden.png",
              dir / "home/Pictures/Lib.photoslibrary/originals/a.jpg",
              dir / "home/Applications/Editor.app/Contents/MacOS/editor",
              dir / "home/Applications/Viewer.app", dir / "home/Desktop/beach.jpeg",
              dir / "home/Desktop/missing.png"});
    PlainQuery query;
    query.folders = {"Downloads", "Desktop"};
    std::vector<PlainQuery::Hit> hits = query.run(home, 300);
    Names names;
    for (const auto& hit : hits)
        names.push_back(hit.url.lastPathComponent());
    EXPECT_EQ(names, (Names{"beach.jpeg", "Viewer.app"}));
    EXPECT_EQ(*fileText(dir / "tools/arguments.txt"),
              "-onlyin " + home.path() + "/Downloads -onlyin " + home.path() +
                  "/Desktop kMDItemContentType != \"public.folder\"\n");

    printing({dir / "home/Desktop/beach.jpeg"}, 1);
    EXPECT_TRUE(query.run(home, 300).empty());
}

TEST(PlainQueryItems, HitsBecomeLargeFileItems) {
    Date now = at("2026-12-06T12:00:00Z");
    std::vector<PlainQuery::Hit> hits = {
        {URL::fileURL("/home/a/big.mov"), 5'000, at("2025-01-01T00:00:00Z")},
        {URL::fileURL("/home/a/Old.app", true), 7'000, std::nullopt}};
    std::vector<ScanItem> items = PlainQuery::items(hits, now);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].kind, JunkKind::largeFiles);
    EXPECT_EQ(items[0].location, hits[0].url);
    EXPECT_EQ(items[0].targets, std::vector<URL>{hits[0].url});
    EXPECT_EQ(items[0].bytes, 5'000);
    EXPECT_EQ(items[0].baseVerdict, Verdict::youDecide);
    ASSERT_TRUE(items[0].largeFile());
    EXPECT_EQ(*items[0].largeFile(),
              (ScanItem::LargeFileInfo{ScanItem::LargeFileInfo::Reason::large, std::nullopt,
                                       at("2025-01-01T00:00:00Z")}));
    EXPECT_EQ(items[1].largeFile()->modified, now);
    EXPECT_FALSE(items[1].inUseBy || items[1].lockedReason || items[1].action || items[1].photo());
}

} // namespace
} // namespace kelvora
