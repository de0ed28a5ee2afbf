#include "engine/DiskScanner.h"

#include "platform/FileSystem.h"
#include "platform/Plist.h"
#include "support/DesktopFiles.h"
#include "support/TempDir.h"

#include "CleanFixtures.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kelvora;
using namespace kelvora::testing;
using kelvora::testing::TempDir;

namespace {

std::vector<std::string> pathsOf(const std::vector<URL>& urls) {
    std::vector<std::string> paths;
    for (const URL& url : urls)
        paths.push_back(url.path());
    return paths;
}

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
        scanner.desktopEntryFolders = [this] {
            return std::vector<std::string>{data() + "/applications", systemEntries()};
        };
        scanner.desktopApplications = [this] {
            return DesktopEntries::applications({data() + "/applications", systemEntries()});
        };
        scanner.sandboxRoots =
            SandboxRoots::under(URL::fileURL(tmp / "system", true), URL::fileURL(data(), true));
        scanner.diskPlaces = [this] { return places; };
        places.removableRoots = {tmp / "media"};
        places.programRoots = {home()};
    }

    std::string home() const { return tmp / "home"; }
    std::string data() const { return tmp / "home/.local/share"; }
    std::string systemEntries() const { return tmp / "system/usr/share/applications"; }
    DiskPlaces places;

    // An AppImage in ~/Applications with its menu entry and the entry's icon, among what is
    // not its own: the same icon in a user icon theme, a system entry that runs the AppImage
    // too, and another app's entry and icon (that app's program is missing).
    std::string sketch(const std::string& folder = "home/Applications") {
        std::string file = writeAppImage(tmp / folder + "/Sketch-1.0.AppImage");
        writeDesktopEntry(data() + "/applications/sketch.desktop", "Sketch", file + " %F",
                          "sketch");
        writeAt(data() + "/icons/hicolor/128x128/apps/sketch.png");
        writeAt(data() + "/icons/Papirus/48x48/apps/sketch.svg");
        writeDesktopEntry(systemEntries() + "/sketch-kiosk.desktop", "Sketch Kiosk",
                          file + " --kiosk");
        writeDesktopEntry(data() + "/applications/paint.desktop", "Paint", "/opt/paint/paint",
                          "paint");
        writeAt(data() + "/icons/hicolor/48x48/apps/paint.png");
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
    EXPECT_EQ(
        pathsOf(item->targets),
        (std::vector<std::string>{file, entry, data() + "/icons/hicolor/128x128/apps/sketch.png"}));
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
// manager leaves its menu entries (one runs it through a link), the link and the icon, a
// Flatpak app or a snap its data in the home.
TEST_F(UninstallerTest, AppImagesFlatpakAppsAndSnapsRemovedElsewhereLeaveTheirFilesToClean) {
    const std::string file = sketch();
    const std::string link = home() + "/.local/bin/sketch";
    createDirectories(parentPath(link));
    symlink(file.c_str(), link.c_str());
    const std::string cli =
        writeDesktopEntry(data() + "/applications/tools-sketch.desktop", "Sketch CLI", link);
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
         {URL::fileURL(data() + "/applications/sketch.desktop"), URL::fileURL(cli),
          URL::fileURL(link), URL::fileURL(data() + "/icons/hicolor/128x128/apps/sketch.png")},
         3}, // a link is not counted, as anywhere else
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
        EXPECT_EQ(pathsOf(item->targets), pathsOf(expected[i].targets));
        EXPECT_EQ(item->leftover()->files, expected[i].files);
        EXPECT_GE(item->bytes, 1);
    }
    // Installed again for this user alone: its data is in use again.
    tmp.mkdir("home/.local/share/flatpak/app/org.gnome.Maps/current");
    EXPECT_FALSE(scanner.leftovers(gone[1]));
}

// Only the icon the AppImage's own entry alone names goes with it: one that any entry staying
// behind names, the user's, the system's or a Flatpak export, in any spelling (a bare name, a
// name with its extension, a path, a link to the file), stays; so does an Icon= path that
// leads out of the user's hicolor theme and pixmaps folder.
TEST_F(UninstallerTest, AnAppImageTakesOnlyTheIconNoOtherEntryNames) {
    const std::string file = sketch();
    const std::string entry = data() + "/applications/sketch.desktop";
    const std::string icon = data() + "/icons/hicolor/128x128/apps/sketch.png";
    const std::string pictures = writeAt(home() + "/Pictures/logo.png");
    tmp.mkdir("home/.local/share/icons/hicolor/64x64");
    symlink((home() + "/Pictures").c_str(), (data() + "/icons/hicolor/64x64/apps").c_str());
    symlink(icon.c_str(), (home() + "/sketch-link.png").c_str());
    tmp.mkdir("system/var/lib/flatpak/app");
    struct Case {
        const char* what;
        std::string ours;       // the Icon= of the AppImage's entry
        std::string otherEntry; // another entry's file, which names otherIcon
        std::string otherIcon;
        bool iconGoes;
    } cases[] = {
        {"named by it alone", "sketch", "", "", true},
        {"named as its path by it", icon, "", "", true},
        {"by the same name in another user entry", "sketch", data() + "/applications/ink.desktop",
         "sketch", false},
        {"as a path by another entry, as a name by it", "sketch",
         data() + "/applications/ink.desktop", icon, false},
        {"as a name by another entry, as a path by it", icon, data() + "/applications/ink.desktop",
         "sketch", false},
        {"with its extension by a system entry", "sketch", systemEntries() + "/ink.desktop",
         "sketch.png", false},
        {"through a link by another entry", "sketch", data() + "/applications/ink.desktop",
         home() + "/sketch-link.png", false},
        {"by a system entry its own entry hides", "sketch", systemEntries() + "/sketch.desktop",
         "sketch", false},
        {"by a Flatpak export", "sketch",
         tmp / "system/var/lib/flatpak/exports/share/applications/org.example.Ink.desktop",
         "sketch", false},
        {"a picture outside the icon folders", pictures, "", "", false},
        {"a picture reached through a linked icon folder",
         data() + "/icons/hicolor/64x64/apps/logo.png", "", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeDesktopEntry(entry, "Sketch", file + " %F", c.ours);
        if (!c.otherEntry.empty())
            writeDesktopEntry(c.otherEntry, "Ink", "/usr/bin/ink", c.otherIcon);
        std::vector<std::string> expected = {file, entry};
        if (c.iconGoes) expected.push_back(icon);
        auto item = scanner.uninstallItem(URL::fileURL(file));
        ASSERT_TRUE(item);
        EXPECT_EQ(pathsOf(item->targets), expected);
        if (!c.otherEntry.empty()) removeItem(c.otherEntry);
    }
}

// An icon folder that a link leads to, or that lies behind one below the home, may hold the
// user's own pictures: nothing is taken from it, by name or by path.
TEST_F(UninstallerTest, AnIconFolderReachedThroughALinkGivesUpNothing) {
    const std::string file = writeAppImage(home() + "/Applications/Sketch-1.0.AppImage");
    const std::string entry = data() + "/applications/sketch.desktop";
    struct Case {
        const char* what;
        std::string link;    // made a link to a folder of the Pictures folder
        std::string picture; // where the picture lies in the linked folder
        std::string icon;    // the Icon= of the AppImage's entry
    } cases[] = {
        {"pixmaps, named by its path", data() + "/pixmaps", "logo.png",
         data() + "/pixmaps/logo.png"},
        {"icons, named by its path", data() + "/icons", "hicolor/128x128/apps/logo.png",
         data() + "/icons/hicolor/128x128/apps/logo.png"},
        {"icons, named by its name", data() + "/icons", "hicolor/128x128/apps/logo.png", "logo"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string pictures = home() + "/Pictures/" + lastComponent(c.link);
        writeAt(pictures + "/" + c.picture);
        writeDesktopEntry(entry, "Sketch", file, c.icon);
        ASSERT_EQ(symlink(pictures.c_str(), c.link.c_str()), 0);
        auto item = scanner.uninstallItem(URL::fileURL(file));
        ASSERT_TRUE(item);
        EXPECT_EQ(pathsOf(item->targets), (std::vector<std::string>{file, entry}));
        ASSERT_EQ(unlink(c.link.c_str()), 0);
        removeItem(home() + "/Pictures");
    }
}

// A file under two names (hard links) is two AppImages to the user: what runs one name, by
// its path or through a link to it, belongs to that name, and stays while that name does.
// An entry whose program cannot be found goes with neither.
TEST_F(UninstallerTest, AnAppImageUnderTwoNamesTakesOnlyWhatRunsTheNameRemoved) {
    const std::string bin = home() + "/.local/bin";
    const std::string icons = data() + "/icons/hicolor/128x128/apps/";
    struct Name {
        std::string file, entry, link, icon;
    } names[] = {
        {home() + "/Applications/Foo-1.0.AppImage", data() + "/applications/foo-1.0.desktop",
         bin + "/foo-1.0", icons + "foo-1.0.png"},
        {home() + "/Applications/Foo.AppImage", data() + "/applications/foo.desktop", bin + "/foo",
         icons + "foo.png"},
    };
    writeAppImage(names[0].file);
    ASSERT_EQ(link(names[0].file.c_str(), names[1].file.c_str()), 0);
    createDirectories(bin);
    for (const Name& name : names) {
        writeDesktopEntry(name.entry, "Foo", name.file + " %U", writeAt(name.icon));
        ASSERT_EQ(symlink(name.file.c_str(), name.link.c_str()), 0);
    }
    const std::string cli =
        writeDesktopEntry(data() + "/applications/foo-cli.desktop", "Foo CLI", names[1].link);
    writeDesktopEntry(data() + "/applications/foo-bare.desktop", "Foo", "Foo-1.0.AppImage");
    const std::vector<std::string> expected[] = {
        {names[0].file, names[0].entry, names[0].link, names[0].icon},
        {names[1].file, cli, names[1].entry, names[1].link, names[1].icon},
    };
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(names[i].file);
        auto item = scanner.uninstallItem(URL::fileURL(names[i].file));
        ASSERT_TRUE(item);
        std::vector<std::string> targets = pathsOf(item->targets);
        std::sort(targets.begin() + 1, targets.end());
        std::vector<std::string> sorted = expected[i];
        std::sort(sorted.begin() + 1, sorted.end());
        EXPECT_EQ(targets, sorted);
    }
}

// An AppImage on a disk that is not attached now is not removed: nothing it made is a
// leftover until the disk is back and the file is missing from it. One deleted from the home
// is, though its folder is left empty; one in a folder a disk mounted by hand would hold is
// not, as that folder looks so while the disk is away.
TEST_F(UninstallerTest, AnAppImageOnADiskNotAttachedNowLeavesNothingToClean) {
    const std::string mountInfo = "30 22 8:1 / " + tmp / "media/usb" + " rw - vfat /dev/sdb1 rw\n";
    const struct {
        const char* what;
        std::string folder;
        bool unplugged;
        bool offered;
    } rows[] = {
        {"on an unplugged disk", "media/usb", true, false},
        {"deleted from an attached disk", "media/usb", false, true},
        {"the only one, deleted from ~/Applications", "home/Applications", false, true},
        {"on a disk mounted by hand, named nowhere", "srv/hand", false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        places.mountInfo = mountInfo;
        const std::string file = sketch(row.folder);
        const auto before = scanner.installedApps();
        ASSERT_EQ(before.size(), 1u);
        EXPECT_EQ(before[0].path, file);
        if (row.unplugged) {
            removeItem(tmp / row.folder);
            places.mountInfo.clear();
        } else {
            removeItem(file);
        }
        const auto gone = DiskScanner::removed(before, scanner.installedApps());
        ASSERT_EQ(gone, before);
        auto item = scanner.leftovers(gone[0]);
        EXPECT_EQ(item.has_value(), row.offered);
        if (item) {
            EXPECT_EQ(
                pathsOf(item->targets),
                (std::vector<std::string>{data() + "/applications/sketch.desktop",
                                          data() + "/icons/hicolor/128x128/apps/sketch.png"}));
        }
    }
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
