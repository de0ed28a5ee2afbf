#include "engine/DiskScanner.h"

#include "platform/FileSystem.h"
#include "platform/Plist.h"
#include "support/DesktopFiles.h"
#include "support/TempDir.h"

#include "CleanFixtures.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kelvora;
using namespace kelvora::testing;
using kelvora::testing::TempDir;

namespace {

struct UninstallerTest : ::testing::Test {
    TempDir tmp;
    std::vector<RunningApp> running;
    std::set<std::string> installedIDs;
    DiskScanner scanner{URL::fileURL(tmp / "home", true), URL::fileURL(tmp / "tmp", true),
                        std::vector<URL>{URL::fileURL(tmp / "Applications", true),
                                         URL::fileURL(tmp / "home/Applications", true)}};

    void SetUp() override {
        scanner.runningApps = [this] { return running; };
        scanner.appUsage = [](const URL&) {
            return std::optional<AppUsage>(AppUsage{dateFromEpochSeconds(1'700'000'000), {}});
        };
        scanner.isInstalled = [this](const std::string& id) { return installedIDs.count(id) > 0; };
        scanner.ownBundleID = "app.kelvora.Kelvora";
        scanner.desktopApplications = [] { return std::vector<DesktopEntries::Application>(); };
        scanner.sandboxRoots =
            SandboxRoots::under(URL::fileURL(tmp / "system", true), URL::fileURL(data(), true));
    }

    std::string home() const { return tmp / "home"; }
    std::string data() const { return tmp / "home/.local/share"; }

    // An AppImage in ~/Applications with its menu entry and the entry's icon.
    std::string sketch() {
        std::string file = writeAppImage(home() + "/Applications/Sketch-1.0.AppImage");
        writeDesktopEntry(data() + "/applications/sketch.desktop", "Sketch", file + " %F",
                          "sketch");
        writeAt(data() + "/icons/hicolor/128x128/apps/sketch.png");
        return file;
    }

    URL makeBundle(const std::string& relative, const std::string& bundleID) {
        std::string path = tmp / relative;
        createDirectories(path + "/Contents/MacOS");
        writeFileAtomically(path + "/Contents/MacOS/main", std::string(5000, 'x'));
        if (!bundleID.empty())
            writePlist({{"CFBundleIdentifier", bundleID}, {"CFBundleName", "X"}},
                       path + "/Contents/Info.plist");
        return URL::fileURL(path, true);
    }
};

} // namespace

TEST_F(UninstallerTest, BuildsTheRemovalItemOfAnApplication) {
    URL editor = makeBundle("Applications/Editor.app", "com.maker.Editor");
    running = {{"Other", "com.other"}, {"Editor Helper", "COM.MAKER.EDITOR"}};
    sync();
    auto item = scanner.uninstallItem(editor);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->kind, JunkKind::apps);
    EXPECT_EQ(item->location, editor);
    ASSERT_FALSE(item->targets.empty());
    EXPECT_EQ(item->targets.front(), editor);
    EXPECT_EQ(item->inUseBy, "Editor Helper");
    EXPECT_EQ(item->baseVerdict, Verdict::youDecide);
    ASSERT_TRUE(item->app());
    EXPECT_EQ(item->app()->name, "Editor");
    EXPECT_EQ(item->app()->bundleID, "com.maker.Editor");
    EXPECT_EQ(item->app()->lastOpened, dateFromEpochSeconds(1'700'000'000));
    EXPECT_EQ(item->app()->leftoverCount, static_cast<int>(item->targets.size()) - 1);
    FileCounter counter;
    EXPECT_EQ(item->bytes, scanner.freedSizes({item->targets}, counter).front());
    EXPECT_GT(item->bytes, 0);
    EXPECT_EQ(item->lockedReason.has_value(), !scanner.canMove(editor));
    if (item->lockedReason) {
        EXPECT_EQ(*item->lockedReason, "Installed by an administrator");
    }
    EXPECT_FALSE(item->leftover());
    EXPECT_FALSE(item->action);
}

TEST_F(UninstallerTest, RefusesWhatMayNotBeRemoved) {
    EXPECT_FALSE(scanner.uninstallItem(makeBundle("Applications/Editor.APP", "com.maker.a")));
    EXPECT_FALSE(scanner.uninstallItem(makeBundle("Applications/NoInfo.app", "")));
    EXPECT_FALSE(scanner.uninstallItem(URL::fileURL(tmp.mkdir("Applications/Folder"), true)));
    EXPECT_FALSE(scanner.uninstallItem(URL::fileURL(tmp / "Applications/Missing.app")));
    EXPECT_FALSE(scanner.uninstallItem(makeBundle("elsewhere/Kelvora.app", "app.kelvora.Kelvora")));
    EXPECT_FALSE(scanner.uninstallItem(makeBundle("Applications/Notes.app", "com.apple.Notes")));

    URL store = makeBundle("Applications/Pages.app", "com.apple.iWork.Pages");
    tmp.mkdir("Applications/Pages.app/Contents/_MASReceipt");
    EXPECT_TRUE(scanner.uninstallItem(store));
    EXPECT_TRUE(scanner.uninstallItem(makeBundle("Applications/Near.app", "com.applex.Tool")));
    EXPECT_TRUE(scanner.uninstallItem(makeBundle("Applications/Case.app", "Com.Apple.Thing")));
}

TEST_F(UninstallerTest, RemovedKeepsOrderAndComparesIdentifiersExactly) {
    InstalledApp a{"com.a", "A", "/Applications/A.app"};
    InstalledApp b{"com.b", "B", "/Applications/B.app"};
    InstalledApp movedB{"com.b", "B", "/Users/me/Applications/B.app"};
    InstalledApp upperA{"COM.A", "A", "/Applications/A.app"};
    EXPECT_TRUE(DiskScanner::removed({}, {a}).empty());
    EXPECT_EQ(DiskScanner::removed({a, b, a}, {movedB}), (std::vector<InstalledApp>{a, a}));
    EXPECT_EQ(DiskScanner::removed({a}, {upperA}), (std::vector<InstalledApp>{a}));
}

TEST_F(UninstallerTest, NoLeftoversForAnApplicationStillKnownOrWithoutFiles) {
    InstalledApp app{"com.gone.App", "Gone", "/Applications/Gone.app"};
    tmp.write("home/Library/Application Support/com.gone.App/data", "d");
    installedIDs = {"com.gone.App"};
    EXPECT_FALSE(scanner.leftovers(app));
    InstalledApp clean{"com.never.left", "Never", "/Applications/Never.app"};
    installedIDs.clear();
    EXPECT_FALSE(scanner.leftovers(clean));
}

TEST_F(UninstallerTest, ListsEveryBundleOfEveryFolderInOrder) {
    makeBundle("Applications/Editor.app", "com.maker.Editor");
    makeBundle("Applications/Broken.app", "");
    makeBundle("Applications/Viewer.app", "com.maker.Viewer");
    makeBundle("home/Applications/Editor.app", "com.maker.Editor");
    auto apps = scanner.installedApps();
    EXPECT_EQ(apps, (std::vector<InstalledApp>{
                        {"com.maker.Editor", "Editor", tmp / "Applications/Editor.app"},
                        {"com.maker.Viewer", "Viewer", tmp / "Applications/Viewer.app"},
                        {"com.maker.Editor", "Editor", tmp / "home/Applications/Editor.app"}}));
}

TEST_F(UninstallerTest, RemovalItemCarriesTheLeftoversAfterTheBundle) {
    URL editor = makeBundle("Applications/Editor.app", "com.maker.Editor");
    std::string prefs = tmp.write("home/Library/Preferences/com.maker.Editor.plist", "p");
    std::string support = tmp.write("home/Library/Application Support/com.maker.Editor/db", "d");
    auto item = scanner.uninstallItem(editor);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->targets,
              (std::vector<URL>{editor, URL::fileURL(parentPath(support)), URL::fileURL(prefs)}));
    EXPECT_EQ(item->app()->leftoverCount, 2);
}

TEST_F(UninstallerTest, BundleTheUserCannotMoveIsLockedButStillOffered) {
    URL editor = makeBundle("Applications/Editor.app", "com.maker.Editor");
    ASSERT_EQ(chmod(tmp.path().c_str(), 0755), 0);
    int status = kelvora::testing::inChild([&] {
        if (setgid(65534) != 0 || setuid(65534) != 0) return 3;
        auto item = scanner.uninstallItem(editor);
        if (!item) return 1;
        return item->lockedReason == "Installed by an administrator" ? 0 : 2;
    });
    EXPECT_EQ(status, 0);
}

TEST_F(UninstallerTest, GathersWhatARemovedApplicationLeftBehind) {
    InstalledApp gone{"com.gone.App", "Gone", "/Applications/Gone.app"};
    std::string prefs = tmp.write("home/Library/Preferences/com.gone.App.plist", "");
    std::string support = tmp.mkdir("home/Library/Application Support/com.gone.App");
    ASSERT_TRUE(setModificationDate(prefs, dateFromEpochSeconds(1'600'000'000)));
    ASSERT_TRUE(setModificationDate(support, dateFromEpochSeconds(1'650'000'000)));

    auto item = scanner.leftovers(gone);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->kind, JunkKind::leftovers);
    EXPECT_EQ(item->targets, (std::vector<URL>{URL::fileURL(support), URL::fileURL(prefs)}));
    EXPECT_EQ(item->location, item->targets.front());
    EXPECT_GE(item->bytes, 1);
    EXPECT_EQ(item->baseVerdict, Verdict::youDecide);
    ASSERT_TRUE(item->leftover());
    EXPECT_EQ(item->leftover()->kind, ScanItem::LeftoverInfo::Kind::appFiles);
    EXPECT_EQ(item->leftover()->id, "com.gone.App");
    EXPECT_EQ(item->leftover()->name, "Gone");
    EXPECT_EQ(item->leftover()->places,
              (std::vector<std::string>{"Application Support", "Preferences"}));
    EXPECT_EQ(item->leftover()->lastChanged, dateFromEpochSeconds(1'650'000'000));
    EXPECT_FALSE(item->app());

    removeItem(support);
    auto empty = scanner.leftovers(gone);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->bytes, 1); // an empty file frees nothing but still shows
}

// A user hands over an AppImage, or the menu entry that runs it: both stand for the app, and
// its entry and icon go with it.
TEST_F(UninstallerTest, AnAppImageOrTheMenuEntryRunningItGivesOneRemovalItem) {
    const std::string file = sketch();
    const std::string entry = data() + "/applications/sketch.desktop";
    const Date recorded = dateFromEpochSeconds(1'700'000'000); // the scanner's usage date
    setTimes(file, addSeconds(recorded, -60), addSeconds(recorded, -60));
    auto item = scanner.uninstallItem(URL::fileURL(file));
    ASSERT_TRUE(item);
    EXPECT_EQ(item->kind, JunkKind::apps);
    EXPECT_EQ(item->targets,
              (std::vector<URL>{URL::fileURL(file), URL::fileURL(entry),
                                URL::fileURL(data() + "/icons/hicolor/128x128/apps/sketch.png")}));
    EXPECT_EQ(*item->app(),
              (ScanItem::AppInfo{"Sketch", "Sketch-1.0.AppImage", recorded, 2, "sketch"}))
        << "named with the icon its menu entry names";
    EXPECT_GT(item->bytes, 8192);
    EXPECT_EQ(scanner.uninstallItem(URL::fileURL(entry)), item);
    EXPECT_EQ(DiskScanner::appDisplayName(URL::fileURL(entry)), "Sketch");

    running = {{"Sketch-1.0.AppImage", "Sketch-1.0.AppImage"}};
    EXPECT_EQ(scanner.uninstallItem(URL::fileURL(file))->inUseBy, "Sketch");
    chmod(file.c_str(), 0644);
    EXPECT_EQ(scanner.appRefusal(URL::fileURL(file)), DiskScanner::AppRefusal::notAnApp)
        << "a download never made runnable is no installed app";
}

TEST_F(UninstallerTest, RefusesWhatFlatpakSnapOrThePackageManagerInstalled) {
    using Refusal = DiskScanner::AppRefusal;
    const std::string system = writeAppImage(tmp / "system/usr/bin/vlc");
    const std::string own = writeAppImage(home() + "/bin/tool");
    // Flatpak's menu entries are links into the installation, through its own links.
    const std::string signal = data() + "/flatpak/app/org.signal.Signal";
    const std::string exported = data() + "/flatpak/exports/share/applications/app.desktop";
    const std::string active = signal + "/x86_64/stable/1a2b/export/share/applications/app.desktop";
    struct Case {
        std::string exec;
        std::string more;
        Refusal refusal;
        bool linked = false; // opened through the menu's link to the entry
    } cases[] = {
        {"/usr/bin/flatpak run --branch=stable --command=gimp-2.10 org.gimp.GIMP @@u %U @@",
         "X-Flatpak=org.gimp.GIMP\n", Refusal::flatpak},
        {"/usr/bin/flatpak run --branch=stable --command=signal-desktop org.signal.Signal",
         "X-Flatpak=org.signal.Signal\n", Refusal::flatpak, true},
        {"/snap/bin/firefox %u", "X-SnapInstanceName=firefox\n", Refusal::snap},
        {system + " --started-from-file %U", "", Refusal::packageManager},
        {own, "", Refusal::notAnApp},
        {"/nowhere/tool", "", Refusal::notAnApp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.exec);
        const std::string written =
            c.linked ? active : tmp / "system/usr/share/applications/app.desktop";
        writeDesktopEntry(written, "App", c.exec, {}, c.more);
        if (c.linked) {
            createDirectories(parentPath(exported));
            ASSERT_EQ(symlink("x86_64/stable/1a2b", (signal + "/current").c_str()), 0);
            ASSERT_EQ(symlink((signal + "/current/export/share/applications/app.desktop").c_str(),
                              exported.c_str()),
                      0);
        }
        URL entry = URL::fileURL(c.linked ? exported : written);
        EXPECT_EQ(scanner.appRefusal(entry), c.refusal);
        EXPECT_EQ(DiskScanner::appDisplayName(entry), "App") << "the name its refusal shows";
        EXPECT_FALSE(scanner.uninstallItem(entry));
    }
}

// What the watcher of the application folders sees go: an AppImage deleted in the file
// manager leaves its menu entry and icon, a Flatpak app or a snap its data in the home.
TEST_F(UninstallerTest, AppImagesFlatpakAppsAndSnapsRemovedElsewhereLeaveTheirFilesToClean) {
    const std::string file = sketch();
    const std::string maps = tmp.mkdir("system/var/lib/flatpak/app/org.gnome.Maps/current");
    const std::string firefox = tmp.mkdir("system/snap/firefox/current");
    tmp.mkdir("system/var/lib/snapd/snaps");
    const std::string mapsData = tmp.write("home/.var/app/org.gnome.Maps/config/places", "p");
    const std::string firefoxData = tmp.write("home/snap/firefox/common/profile", "f");
    const auto before = scanner.installedApps();
    EXPECT_EQ(before,
              (std::vector<InstalledApp>{{"Sketch-1.0.AppImage", "Sketch", file},
                                         {"org.gnome.Maps", "org.gnome.Maps", parentPath(maps)},
                                         {"firefox", "firefox", parentPath(firefox)}}));
    EXPECT_FALSE(scanner.leftovers(before[1])) << "still installed";

    removeItem(file);
    removeItem(parentPath(maps));
    removeItem(parentPath(firefox));
    const auto gone = DiskScanner::removed(before, scanner.installedApps());
    ASSERT_EQ(gone, before);
    using Kind = ScanItem::LeftoverInfo::Kind;
    tmp.write("home/.var/app/org.gnome.Maps/cache/tiles/1", "t");
    struct Expected {
        Kind kind;
        std::string name;
        std::vector<URL> targets;
        int64_t files;
    } expected[] = {
        {Kind::appImage,
         "Sketch",
         {URL::fileURL(data() + "/applications/sketch.desktop"),
          URL::fileURL(data() + "/icons/hicolor/128x128/apps/sketch.png")},
         2},
        {Kind::flatpakData,
         "org.gnome.Maps",
         {URL::fileURL(home() + "/.var/app/org.gnome.Maps")},
         2},
        {Kind::snapData, "firefox", {URL::fileURL(home() + "/snap/firefox")}, 1},
    };
    for (size_t i = 0; i < gone.size(); ++i) {
        SCOPED_TRACE(gone[i].name);
        auto item = scanner.leftovers(gone[i]);
        ASSERT_TRUE(item);
        EXPECT_EQ(item->kind, JunkKind::leftovers);
        EXPECT_EQ(item->leftover()->kind, expected[i].kind);
        EXPECT_EQ(item->leftover()->name, expected[i].name);
        EXPECT_EQ(item->targets, expected[i].targets);
        EXPECT_EQ(item->leftover()->files, expected[i].files);
        EXPECT_GE(item->bytes, 1);
    }
    // Installed again for this user alone: its data is in use again.
    tmp.mkdir("home/.local/share/flatpak/app/org.gnome.Maps/current");
    EXPECT_FALSE(scanner.leftovers(gone[1]));
}

TEST(InstalledAppJson, ReadsExactlyTheThreeTextKeys) {
    InstalledApp app{"com.maker.Editor", "Editor", "/Applications/Editor.app"};
    EXPECT_EQ(InstalledApp::fromJson(app.json()), app);
    auto extra = app.json();
    extra["more"] = 1;
    EXPECT_EQ(InstalledApp::fromJson(extra), app);
    auto missing = app.json();
    missing.erase("path");
    EXPECT_FALSE(InstalledApp::fromJson(missing));
    auto number = app.json();
    number["name"] = 3;
    EXPECT_FALSE(InstalledApp::fromJson(number));
    EXPECT_NE(std::hash<InstalledApp>()(app),
              std::hash<InstalledApp>()(InstalledApp{"com.maker.editor", "Editor", app.path}));
}
