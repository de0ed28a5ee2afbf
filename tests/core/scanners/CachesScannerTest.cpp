#include "app/support/IsolatedHome.h"
#include "catalog/Catalog.h"
#include "clean/Cleaner.h"
#include "platform/Plist.h"
#include "support/DiskUsage.h"
#include "support/FixtureScanner.h"
#include "support/MountNamespace.h"
#include "support/RunningProgram.h"

#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <unistd.h>

using namespace kelvora;
using namespace kelvora::testing;

namespace {

const ScanItem* itemAt(const std::vector<ScanItem>& items, const std::string& path) {
    for (const auto& item : items)
        if (item.location.path() == path) return &item;
    return nullptr;
}

} // namespace

TEST(CachesScanner, OffersEachNonEmptyCacheFolderWithItsEntriesAsTargets) {
    TempDir home;
    home.write("Library/Caches/org.example.editor/a.db", std::string(9000, 'a'));
    home.write("Library/Caches/org.example.editor/sub/b", std::string(3000, 'b'));
    home.write("Library/Caches/Yarn/pkg", "y");
    home.write("Library/Caches/yarn/pkg", "y");
    home.write("Library/Caches/zero/empty", "");
    home.mkdir("Library/Caches/empty");
    home.write("Library/Caches/loose-file", "f");
    home.write("Library/Caches/com.apple.Safari/x", "x");
    home.write("Library/Caches/CloudKit/x", "x");
    home.write("Library/Caches/app.kelvora.Kelvora/x", "x");
    sync();
    DiskScanner scanner = fixtureScanner(home);
    scanner.ownBundleID = "app.kelvora.Kelvora";
    FileCounter counter;
    auto items = scanner.scanCaches({}, counter);

    std::vector<std::string> names;
    for (const auto& item : items)
        names.push_back(item.location.lastPathComponent());
    EXPECT_EQ(names, (std::vector<std::string>{"Yarn", "org.example.editor", "yarn", "zero"}));

    const ScanItem* editor = itemAt(items, home / "Library/Caches/org.example.editor");
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->targets.size(), 2u);
    EXPECT_GT(editor->bytes, 12000);
    EXPECT_EQ(editor->baseVerdict, Verdict::safe);
    EXPECT_EQ(itemAt(items, home / "Library/Caches/Yarn")->baseVerdict, Verdict::rebuilds);
    // The same tool names its cache "yarn" on this system.
    EXPECT_EQ(itemAt(items, home / "Library/Caches/yarn")->baseVerdict, Verdict::rebuilds);
    EXPECT_EQ(itemAt(items, home / "Library/Caches/zero")->bytes, 0);
    EXPECT_EQ(counter.count, 5);
}

TEST(CachesScanner, ToolCachesComeBackByDownloadOrByABuildHereAndSaySo) {
    struct Case {
        const char* folder;
        Verdict verdict;
        const char* comesBack;
        const char* explanation;
    };
    const char* downloads =
        "Safe to remove, but it downloads again the next time the tool needs it.";
    const char* builds = "Safe to remove, but the tool builds it again on this computer the next "
                         "time it needs it, which takes a while.";
    const std::vector<Case> cases = {
        {"yarn", Verdict::rebuilds, "Yes, downloads again", downloads},
        {"PIP", Verdict::rebuilds, "Yes, downloads again", downloads},
        {"go-build", Verdict::rebuilds, "Yes, when you build again", builds},
        {"JetBrains", Verdict::rebuilds, "Yes, when you build again", builds},
        {"jetbrains", Verdict::rebuilds, "Yes, when you build again", builds},
        {"mesa_shader_cache", Verdict::safe, "Yes, on its own",
         "Removing this loses nothing. If the app needs it again, it makes a fresh copy."},
    };
    TempDir home;
    for (const Case& c : cases)
        home.write(std::string(".cache/") + c.folder + "/entry", "x");
    sync();
    FileCounter counter;
    const auto items = fixtureScanner(home).scanCaches({}, counter);
    const Catalog catalog({}, [](const std::string&) { return std::nullopt; });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        const ScanItem* item = itemAt(items, home / (std::string(".cache/") + c.folder));
        ASSERT_TRUE(item);
        EXPECT_EQ(item->baseVerdict, c.verdict);
        EXPECT_EQ(Catalog::comesBack(*item), c.comesBack);
        EXPECT_EQ(catalog.explanation(*item), c.explanation);
    }
}

TEST(CachesScanner, RunningApplicationHoldsTheFolderItMatches) {
    const std::vector<RunningApp> apps = {{"Editor", "Org.Example.Editor"}, {"Chat", "com.chat"}};
    const auto user = [&](const std::string& folder) {
        auto app = DiskScanner::appUsing(folder, apps);
        return app ? app->name : std::string("-");
    };
    EXPECT_EQ(user("org.example.editor"), "Editor");
    EXPECT_EQ(user("editor"), "Editor");
    EXPECT_EQ(user("org.example"), "Editor");
    EXPECT_EQ(user("org.example.editor.helper"), "Editor");
    EXPECT_EQ(user("example"), "Editor");
    EXPECT_EQ(user("chat"), "Chat");
    EXPECT_EQ(user("org.exam"), "-");
    // The first part names only where the maker is, so it holds no folder of that name.
    EXPECT_EQ(user("com"), "-");
    EXPECT_EQ(user("org"), "-");
    EXPECT_EQ(user("unrelated"), "-");

    TempDir home;
    home.write("Library/Caches/com.chat/blob", "b");
    FileCounter counter;
    auto items = fixtureScanner(home).scanCaches(apps, counter);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].inUseBy, "Chat");
    EXPECT_EQ(items[0].verdict(), Verdict::inUse);
}

TEST(CachesScanner, TheSystemCacheFolderGivesOneItemPerApplicationWithExactBytes) {
    TempDir home;
    const std::string mac =
        home.write("Library/Caches/org.example.editor/a.db", std::string(7000, 'a'));
    const std::string pip = home.write(".cache/pip/http/wheel", std::string(30000, 'p'));
    const std::string tool = home.write(".cache/toolx/data", std::string(9000, 't'));
    const std::string held = home.write(".cache/kvcachetool/state", std::string(5000, 's'));
    home.write(".cache/huggingface/hub/models--org--tiny/blob", std::string(80000, 'h'));
    const std::string xet = home.write(".cache/huggingface/xet/chunk", std::string(2000, 'x'));
    home.write(".cache/lm-studio/models/m.gguf", std::string(4000, 'm'));
    home.write(".cache/Kelvora/qmlcache", "q");
    home.write(".cache/app.kelvora.Kelvora/x", "x");
    home.mkdir(".cache/empty");
    RunningProgram running(home / "bin/kvcachetool");

    FileCounter counter;
    const auto items = fixtureScanner(home).scanCaches(DiskScanner::liveRunningApps(), counter);
    std::vector<std::string> names;
    for (const auto& item : items)
        names.push_back(item.location.path().substr(home.path().size() + 1));
    EXPECT_EQ(names,
              (std::vector<std::string>{"Library/Caches/org.example.editor", ".cache/huggingface",
                                        ".cache/kvcachetool", ".cache/pip", ".cache/toolx"}));
    // What a removal takes: the cache folder's entries with the folders among them.
    const std::map<std::string, std::string> taken = {{"Library/Caches/org.example.editor", mac},
                                                      {".cache/huggingface", parentPath(xet)},
                                                      {".cache/kvcachetool", held},
                                                      {".cache/pip", parentPath(pip)},
                                                      {".cache/toolx", tool}};
    sync();
    for (const auto& [folder, inside] : taken)
        EXPECT_EQ(itemAt(items, home / folder)->bytes, duBytes(inside)) << folder;
    // The models beside the cache are offered by the model scan, and stay out of this item.
    EXPECT_EQ(itemAt(items, home / ".cache/huggingface")->targets,
              std::vector<URL>{URL::fileURL(home / ".cache/huggingface/xet")});
    EXPECT_EQ(itemAt(items, home / ".cache/kvcachetool")->inUseBy, "kvcachetool");
    EXPECT_FALSE(itemAt(items, home / ".cache/toolx")->inUseBy);
    EXPECT_EQ(itemAt(items, home / ".cache/pip")->baseVerdict, Verdict::rebuilds);
}

TEST(CachesScanner, ARunningApplicationHoldsItsCacheFolderInTheScanAndAtCleanTime) {
    TempDir home;
    home.mkdir("Applications/Spark.app/Contents");
    writePlist({{"CFBundleIdentifier", "com.readdle.SmartEmail"}},
               home / "Applications/Spark.app/Contents/Info.plist");
    RunningProgram running(home / "Applications/Spark.app/Contents/MacOS/Spark");
    const std::string cache = home.write("Library/Caches/com.readdle.smartemail/db", "d");

    const auto apps = DiskScanner::liveRunningApps();
    EXPECT_EQ(std::count(apps.begin(), apps.end(), RunningApp{"Spark", "com.readdle.SmartEmail"}),
              1);
    FileCounter counter;
    auto items = fixtureScanner(home).scanCaches(apps, counter);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].inUseBy, "Spark");

    // Started after the scan: the clean finds it running and leaves the folder.
    items[0].inUseBy.reset();
    const auto report = Cleaner({}, {}, {}).clean(items, std::nullopt, kFixtureNow);
    EXPECT_EQ(report.skippedInUse, 1);
    EXPECT_TRUE(fileExists(cache));
}

TEST(CachesScanner, ALinkedLibraryOrCacheFolderIsNotLookedThrough) {
    // Each place, or a cache folder in it, linked to a folder elsewhere that holds what a scan
    // would offer there.
    const std::string update = "com.anthropic.claudefordesktop.ShipIt/update.zip";
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"Library", {"Caches/app/blob", "Caches/" + update, "Logs/tool/old.log"}},
        {"Library/Caches", {"app/blob", update}},
        {"Library/Logs", {"tool/old.log"}},
        {".cache", {"app/blob"}},
        {"Library/Caches/linked", {"document"}}};
    for (const auto& [linked, contents] : cases) {
        TempDir home;
        TempDir elsewhere;
        for (const auto& file : contents)
            writeAged(elsewhere, file, 4000, daysAgo(30));
        createDirectories(parentPath(home / linked));
        ASSERT_EQ(symlink(elsewhere.path().c_str(), (home / linked).c_str()), 0);
        const DiskScanner scanner = fixtureScanner(home);
        FileCounter counter;
        EXPECT_TRUE(scanner.scanCaches({}, counter).empty()) << linked;
        EXPECT_TRUE(scanner.scanLogs(counter).empty()) << linked;
        EXPECT_TRUE(scanner.aiUpdateLeftovers({}, counter).empty()) << linked;
        for (const auto& file : contents)
            EXPECT_TRUE(fileExists(elsewhere / file));
    }
}

namespace {

enum class Offered { no, deleted, shelved };

// What a scan of the user's caches offers from a cache folder set by XDG_CACHE_HOME, with
// what it said of it on standard error.
std::pair<Offered, std::string> offeredFrom(const IsolatedHome& env, const std::string& cache) {
    setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    DiskScanner scanner = fixtureScanner(TempDir());
    scanner.home = URL::fileURL(env.home(), true);
    FileCounter counter;
    ::testing::internal::CaptureStderr();
    const auto items = scanner.scanCaches({}, counter);
    const std::string said = ::testing::internal::GetCapturedStderr();
    if (items.empty()) return {Offered::no, said};
    return {items.front().shelfOnly ? Offered::shelved : Offered::deleted, said};
}

} // namespace

// Every entry of a cache folder is offered as rebuilding itself: a folder of the user's own
// named as the cache folder must offer nothing, and one away from its usual place offers
// only onto the Undo Shelf, since what it holds may not be caches.
TEST(CachesScanner, TheUsersCacheFolderCountsOnlyWhereNoFilesOfTheUsersOwnAre) {
    const std::vector<std::pair<std::string, Offered>> cases = {
        {"home/.cache", Offered::deleted}, // its usual place
        {"cache", Offered::shelved},       // elsewhere, outside the home
        {"home", Offered::no},
        {"", Offered::no},
        {"data/..", Offered::no},
        {"home/.cache/more", Offered::no}, // any other folder of the home
        {"home/.ssh", Offered::no},
        {"home/src", Offered::no},
        {"home/.local", Offered::no},
        {"home/.local/state", Offered::no},        // what programs keep between runs
        {"state", Offered::no},                    // the same, where XDG_STATE_HOME says
        {"home/Documents", Offered::no},           // a user folder by its usual name
        {"home/Bureau", Offered::no},              // one that user-dirs.dirs names
        {"home/Bureau/cache", Offered::no},        // inside one
        {"media", Offered::no},                    // holding one
        {"config", Offered::no},                   // every program's settings
        {"config/cache", Offered::no},             // inside it
        {"data", Offered::no},                     // what programs keep
        {"data/Kelvora/Undo Shelf", Offered::no}}; // what the user put aside
    for (const auto& [cacheHome, offered] : cases) {
        SCOPED_TRACE(cacheHome);
        IsolatedHome env;
        setenv("XDG_STATE_HOME", (env.dir() / "state").c_str(), 1);
        env.dir().write("config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Bureau\"\n"
                                                 "XDG_MUSIC_DIR=\"" +
                                                     env.dir() / "media/Music" + "\"\n");
        env.dir().write(cacheHome + "/tool/blob", "b");
        env.dir().write("home/Documents/letter.txt", "l");
        const auto [found, said] = offeredFrom(env, env.dir() / cacheHome);
        EXPECT_EQ(found, offered);
        EXPECT_EQ(said.empty(), offered != Offered::no) << said;
        if (cacheHome == "home/Documents")
            EXPECT_EQ(said, "Kelvora: The cache folder " + env.home() +
                                "/Documents is ignored: it is the user folder " + env.home() +
                                "/Documents.\n");
        if (cacheHome == "home/src")
            EXPECT_EQ(said, "Kelvora: The cache folder " + env.home() +
                                "/src is ignored: it lies inside the home folder " + env.home() +
                                ", where only " + env.home() +
                                "/.cache is taken for a cache "
                                "folder.\n");
    }
}

// A bind mount shows a folder again under another name; compared by path alone, the user's
// documents mounted as the cache folder were deleted as caches.
TEST(CachesScanner, AFolderOfTheUsersShownAsTheCacheFolderByABindMountOffersNothing) {
    struct Case {
        const char* story;
        const char* shown; // the folder mounted again
        const char* at;    // where
        Offered offered;
    } cases[] = {
        {"the documents as ~/.cache", "home/Documents", "home/.cache", Offered::no},
        {"a folder inside the documents as ~/.cache", "home/Documents/old", "home/.cache",
         Offered::no},
        {"another folder of the home as ~/.cache", "home/src", "home/.cache", Offered::no},
        {"a folder of the home as a cache folder outside it", "home/src", "outside", Offered::no},
        {"a disk of its own at ~/.cache", "", "home/.cache", Offered::deleted},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.story);
        IsolatedHome env;
        env.dir().write("home/Documents/old/tool/letter.txt", "keep");
        env.dir().write("home/Documents/tool/letter.txt", "keep");
        env.dir().write("home/src/tool/main.c", "keep");
        env.dir().mkdir(c.at);
        const int status = inMountNamespace([&]() -> std::string {
            if (!mountAt(env.dir() / c.at, *c.shown ? env.dir() / c.shown : ""))
                return "no mount\n";
            if (!*c.shown) env.dir().write(std::string(c.at) + "/tool/blob", "b");
            const Offered found = offeredFrom(env, env.dir() / c.at).first;
            return found == c.offered ? "" : "offered otherwise than expected\n";
        });
        if (status == kNoMountNamespace) GTEST_SKIP() << "no mount namespace here";
        EXPECT_EQ(status, 0);
    }
}

// Some programs keep in the cache folder what nothing makes again: it is never offered, and
// removing the cache around it leaves it.
TEST(CachesScanner, UserDataTheSystemCacheFolderHoldsIsNeverOfferedNorRemoved) {
    TempDir home;
    const std::vector<std::string> kept = {
        home.write(".cache/doc/by-app/letter.odt", "shared document"),
        home.write(".cache/ibus/libpinyin/user_bigram.db", "learned phrases"),
        home.write(".cache/obexd/photo.jpg", "received over Bluetooth"),
        home.write(".cache/kioexec/krun/1_0/report.odt", "edited remote file"),
        home.write(".cache/vim/swap/%home%u%notes.txt.swp", "unsaved edits"),
        home.write(".cache/vim/undo/%home%u%notes.txt", "undo history"),
        home.write(".cache/JetBrains/IntelliJIdea2024.1/LocalHistory/changes.storageData", "h"),
        home.write(".cache/JetBrains/PyCharm2023.3/localhistory/changes.storageData", "h")};
    const std::string index = home.write(".cache/JetBrains/IntelliJIdea2024.1/index/x", "i");
    const std::string log = home.write(".cache/JetBrains/PyCharm2023.3/log/idea.log", "l");
    const std::string loose = home.write(".cache/JetBrains/loose.txt", "l");
    home.write(".cache/thumbnails/normal/a.png", "t");
    FileCounter counter;
    const auto items = fixtureScanner(home).scanCaches({}, counter);
    std::vector<std::string> names;
    for (const auto& item : items)
        names.push_back(item.location.lastPathComponent());
    EXPECT_EQ(names, (std::vector<std::string>{"JetBrains", "thumbnails"}));

    const auto report = fixtureCleaner().clean(items, std::nullopt, kFixtureNow);
    EXPECT_TRUE(report.failures.empty());
    for (const auto& removed : {index, log, loose})
        EXPECT_FALSE(fileExists(removed)) << removed;
    for (const auto& file : kept)
        EXPECT_TRUE(fileExists(file)) << file;
}

TEST(CachesScanner, AFolderAProcessHoldsAFileInIsInUseByItsApplication) {
    TempDir home;
    const std::string profile = home / ".cache/mozilla/firefox/x.default";
    home.write(".cache/mozilla/firefox/x.default/cache2/entries/AB12", "e");
    home.write(".cache/google-chrome/Default/Cache/data_1", "c");
    home.write(".cache/vscode-cpptools/ipch/x.ipch", "i");
    home.write(".cache/thumbnails/normal/a.png", "t");
    home.write("Library/Caches/com.chat/blob", "b");
    DiskScanner scanner = fixtureScanner(home, {{"Chat", "com.chat"}});
    scanner.openFiles = [&] {
        return std::vector<RunningProcess>{
            {11, "/usr/lib/firefox/firefox", "Firefox", {profile + "/cache2/entries/AB12"}},
            {12, "/opt/google/chrome/chrome", "chrome", {home / ".cache/google-chrome/Default"}},
            {13,
             "/usr/share/code/code",
             "Visual Studio Code",
             {home / ".cache/vscode-cpptools/ipch/x.ipch", home / ".cache/thumbnails-old"}}};
    };
    const std::map<std::string, std::optional<std::string>> expected = {
        {"mozilla", "Firefox"},
        {"google-chrome", "chrome"}, // the folder it holds open, not a file
        {"vscode-cpptools", "Visual Studio Code"},
        {"thumbnails", std::nullopt}, // a sibling whose name merely begins the same
        {"com.chat", "Chat"}};        // the name rule still holds
    for (const auto& items : {scanner.scanCachesOnly(), scanner.scan().items}) {
        std::map<std::string, std::optional<std::string>> found;
        for (const auto& item : items)
            if (item.kind == JunkKind::caches)
                found[item.location.lastPathComponent()] = item.inUseBy;
        EXPECT_EQ(found, expected);
    }
}

TEST(CachesScanner, ACacheAProgramHoldsOpenIsInUseByItsDesktopEntryInTheScanAndAtCleanTime) {
    IsolatedHome env;
    env.dir().write("data/applications/kvholder.desktop",
                    "[Desktop Entry]\nType=Application\nName=Holder Studio\n");
    const std::string held = env.dir().write("home/.cache/holdercache/index/db", "d");
    const std::string loose = env.dir().write("home/.cache/loosecache/blob", "b");
    // The program holds one cache's file open and runs from another, which maps it.
    RunningProgram program(env.cache() + "/programcache/kvholder", held);
    // What Kelvora itself holds open is no other program's use.
    const int own = open(loose.c_str(), O_RDONLY | O_CLOEXEC);
    DiskScanner scanner = fixtureScanner(TempDir());
    scanner.home = URL::fileURL(env.home(), true);
    scanner.openFiles = DiskScanner::liveOpenFiles;

    auto items = scanner.scanCachesOnly();
    std::map<std::string, std::optional<std::string>> found;
    for (const auto& item : items)
        found[item.location.lastPathComponent()] = item.inUseBy;
    EXPECT_EQ(found, (std::map<std::string, std::optional<std::string>>{
                         {"holdercache", "Holder Studio"},
                         {"loosecache", std::nullopt},
                         {"programcache", "Holder Studio"}}));

    // Opened after the scan: the clean finds them held and leaves them.
    for (auto& item : items)
        item.inUseBy.reset();
    const auto report = Cleaner({}, {}, {}).clean(items, std::nullopt, kFixtureNow);
    EXPECT_EQ(report.skippedInUse, 2);
    EXPECT_TRUE(fileExists(held));
    EXPECT_TRUE(fileExists(env.cache() + "/programcache/kvholder"));
    EXPECT_FALSE(fileExists(loose));
    close(own);
}
