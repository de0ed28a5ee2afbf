#include "engine/DiskScanner.h"
#include "platform/AppPaths.h"
#include "platform/Plist.h"
#include "support/AbsentDisks.h"
#include "support/DesktopFiles.h"
#include "support/FixtureScanner.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace kelvora;
using kelvora::testing::TempDir;

namespace {

constexpr double kDay = 86400;

struct Fixture {
    TempDir dir;
    Date now = currentDate();
    std::set<std::string> installedIDs;
    std::vector<DesktopEntries::Application> desktop;

    std::string library() const { return dir / "home/Library"; }

    // Writes a leftover file and dates it (and everything in it) `daysAgo`.
    std::string file(const std::string& relative, double daysAgo = 15,
                     const std::string& contents = "x") const {
        std::string path = dir.write("home/Library/" + relative, contents);
        age(path, daysAgo);
        return path;
    }
    std::string folder(const std::string& relative, double daysAgo = 15) const {
        std::string path = dir.mkdir("home/Library/" + relative);
        age(path, daysAgo);
        return path;
    }
    void age(const std::string& path, double daysAgo) const {
        setModificationDate(path, addSeconds(now, -daysAgo * kDay));
    }

    void installed(const std::string& name, const std::string& id) const {
        createDirectories(dir / ("Applications/" + name + ".app/Contents"));
        writePlist({{"CFBundleIdentifier", id}},
                   dir / ("Applications/" + name + ".app/Contents/Info.plist"));
    }

    DiskScanner scanner() const {
        auto ids = installedIDs;
        auto fixedNow = now;
        DiskScanner scanner(
            URL::fileURL(dir / "home", true), dir.url(),
            std::vector<URL>{URL::fileURL(dir / "Applications", true)},
            [] { return std::vector<RunningApp>{}; },
            [](const URL&) { return std::optional<AppUsage>(); }, [fixedNow] { return fixedNow; });
        scanner.isInstalled = [ids](const std::string& id) { return ids.count(id) > 0; };
        scanner.desktopApplications = [listed = desktop] { return listed; };
        scanner.sandboxRoots = SandboxRoots::under(URL::fileURL(dir / "system", true),
                                                   URL::fileURL(dir / "home/.local/share", true));
        scanner.desktopEntryFolders = [] { return std::vector<std::string>(); };
        DiskPlaces places;
        places.removableRoots.push_back(dir / "media");
        places.programRoots.push_back(dir / "home");
        scanner.diskPlaces = [places] { return places; };
        return scanner;
    }

    std::vector<ScanItem> scan(const std::vector<RunningApp>& apps = {}) const {
        FileCounter counter;
        return scanner().scanLeftovers(apps, counter);
    }
};

std::vector<std::string> ids(const std::vector<ScanItem>& items) {
    std::vector<std::string> out;
    for (const auto& item : items)
        out.push_back(item.leftover()->id);
    return out;
}

} // namespace

TEST(ScanLeftovers, GroupsTheFilesOfARemovedApplication) {
    Fixture f;
    f.file("Application Support/com.example.tool/data.db", 20, std::string(4000, 'd'));
    std::string support = f.folder("Application Support/com.example.tool");
    std::string prefs = f.file("Preferences/com.example.tool.plist", 16);
    sync(); // allocated sizes settle late

    auto items = f.scan();
    ASSERT_EQ(items.size(), 1u);
    const auto& item = items[0];
    EXPECT_EQ(item.kind, JunkKind::leftovers);
    EXPECT_EQ(item.location, URL::fileURL(support));
    EXPECT_EQ(item.targets, (std::vector<URL>{URL::fileURL(support), URL::fileURL(prefs)}));
    EXPECT_EQ(item.baseVerdict, Verdict::youDecide);
    EXPECT_GE(item.bytes, 4000);
    const auto& info = *item.leftover();
    EXPECT_EQ(info.kind, ScanItem::LeftoverInfo::Kind::appFiles);
    EXPECT_EQ(info.id, "com.example.tool");
    EXPECT_EQ(info.name, "Tool");
    EXPECT_EQ(info.places, (std::vector<std::string>{"Application Support", "Preferences"}));
    EXPECT_EQ(info.lastChanged, *f.scanner().modificationDate(URL::fileURL(support)));
}

TEST(ScanLeftovers, WaitsForTheQuietPeriod) {
    Fixture f;
    f.file("Preferences/com.example.recent.plist", 13);
    f.file("Preferences/com.example.mixed.plist", 30);
    f.folder("Application Support/com.example.mixed/Cache", 30);
    f.file("Application Support/com.example.mixed/Cache/new.bin", 1);
    f.folder("Application Support/com.example.mixed", 30);
    f.file("Preferences/com.example.quiet.plist", 15);
    EXPECT_EQ(ids(f.scan()), std::vector<std::string>{"com.example.quiet"});
}

TEST(ScanLeftovers, KeepsWhatMayStillBeInstalledOrRunning) {
    Fixture f;
    f.installed("Maker Studio", "com.maker.studio");
    f.file("Preferences/com.maker.oldtool.plist");      // same maker as an installed app
    f.file("Preferences/com.example.registered.plist"); // installed elsewhere
    f.installedIDs.insert("com.example.registered");
    f.file(std::string("Preferences/") + kBundleID + ".plist"); // our own
    f.file("Preferences/com.example.byid.plist");
    f.file("Preferences/com.other.foo.plist");
    f.file("Preferences/com.example.kept.plist");
    auto items = f.scan({{"Something", "com.example.byid"}, {"Foo", "org.unrelated.id"}});
    EXPECT_EQ(ids(items), std::vector<std::string>{"com.example.kept"});
}

TEST(ScanLeftovers, OnlyIdentifierShapedNamesInTheirPlaces) {
    Fixture f;
    f.folder("Preferences/com.example.folder");            // no .plist suffix
    f.file("Application Support/com.example.prefs.plist"); // suffix row's file
    f.folder("Application Support/com.example.with blank");
    f.folder("Application Support/example.two");
    f.file("Preferences/com.apple.finder.plist");
    f.file("Preferences/Group.Com.Apple.notes.plist");
    f.file("Preferences/systemgroup.com.apple.x.plist");
    f.file("Preferences/com.example.Case.plist");
    f.file("Preferences/com.example.case.plist");
    f.folder("WebKit/com.example.web");
    f.file("HTTPStorages/com.example.web.binarycookies");
    auto items = f.scan();
    EXPECT_EQ(ids(items), (std::vector<std::string>{"com.example.Case", "com.example.case",
                                                    "com.example.web"}));
    EXPECT_EQ(items[2].leftover()->places, (std::vector<std::string>{"HTTPStorages", "WebKit"}));
}

TEST(ScanLeftovers, NamedSupportFoldersJoinTheirGroup) {
    Fixture f;
    f.file("Preferences/com.microsoft.VSCode.plist");
    std::string code = f.folder("Application Support/Code");
    f.folder("Application Support/Slack"); // its identifier has no file: nothing
    auto items = f.scan();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].leftover()->name, "Visual Studio Code");
    EXPECT_EQ(items[0].targets.back(), URL::fileURL(code));
    EXPECT_EQ(items[0].leftover()->places,
              (std::vector<std::string>{"Application Support", "Preferences"}));
    EXPECT_EQ(DiskScanner::namedSupportFolders().size(), 25u);
}

TEST(ScanLeftovers, EmptyGroupsCountOneByteAndSortByName) {
    Fixture f;
    f.folder("WebKit/com.example.zeta");
    f.folder("WebKit/com.example.alpha");
    f.folder("WebKit/com.example.Beta");
    auto items = f.scan();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].leftover()->name, "Alpha");
    EXPECT_EQ(items[1].leftover()->name, "Beta");
    EXPECT_EQ(items[2].leftover()->name, "Zeta");
    for (const auto& item : items)
        EXPECT_GE(item.bytes, 1);
}

TEST(ReadableName, PicksTheTellingPiece) {
    EXPECT_EQ(DiskScanner::readableName("com.example.super-tool"), "Super tool");
    EXPECT_EQ(DiskScanner::readableName("com.example.app"), "Example");
    EXPECT_EQ(DiskScanner::readableName("io.foo.mac"), "Foo");
    EXPECT_EQ(DiskScanner::readableName("com.ab.io"), "Io");
    EXPECT_EQ(DiskScanner::readableName("single"), "Single");
}

// A launch agent, an autostart entry or a user unit whose program is gone is offered, by the
// rule the login items list offers it by: what only starts another program (a shell, an
// interpreter), a bare name on $PATH, a program on a volume not mounted now and a unit that
// names no program are never taken for gone; a Flatpak that no installation holds is. Login
// items are not held back by the quiet period. Cleaned, they wait on the shelf and come back
// as they were, the unit with the link that enables it and its drop-in folder.
TEST(LeftoverLoginItems, LoginItemsWhoseProgramIsGoneGoToTheShelfAndComeBack) {
    Fixture f;
    const std::string agents = f.library() + "/LaunchAgents";
    const std::string units = f.dir / "home/.config/systemd/user";
    auto agent = [&](const std::string& label, Json dict, PlistFormat format = PlistFormat::xml) {
        dict["Label"] = label;
        createDirectories(agents);
        writePlist(dict, joinPath(agents, label + ".plist"), format);
        return joinPath(agents, label + ".plist");
    };
    auto entry = [&](const std::string& name, const std::string& keys) {
        return f.dir.write("home/.config/autostart/" + name + ".desktop",
                           "[Desktop Entry]\nType=Application\nName=" + name + "\n" + keys);
    };
    auto unit = [&](const std::string& name, const std::string& service) {
        return f.dir.write("home/.config/systemd/user/" + name,
                           "[Unit]\nDescription=" + name + "\n[Service]\n" + service +
                               "[Install]\nWantedBy=default.target\n");
    };
    const std::string goneAgent =
        agent("com.example.gone", {{"Program", f.dir / "gone/bin/tool"}}, PlistFormat::binary);
    agent("com.example.present", {{"Program", "/bin/sh"}});
    agent("com.example.bare", {{"ProgramArguments", {"sh", "-c", "sleep 1"}}});
    agent("com.example.volume", {{"Program", "/Volumes/Kelvora Test Disk/bin/tool"}});
    agent("com.example.noprogram", {{"RunAtLoad", true}});
    writePlist(Json::object(), joinPath(agents, "com.example.empty.plist"));
    f.age(goneAgent, 1);
    const std::string script = f.dir.write("home/bin/tool.py", "print('hi')\n");
    const std::string goneEntry = entry("oldsync", "Exec=/opt/removed/bin/oldsync --tray\n");
    entry("onpath", "Exec=true --quiet\n");
    entry("flatpak", "Exec=flatpak run org.removed.App\n");
    entry("kept", "Exec=flatpak run --command=kept org.kept.App\n");
    f.dir.mkdir("system/var/lib/flatpak/app/org.kept.App");
    entry("script", "Exec=python3.99 " + script + "\n");
    entry("shell", "Exec=sh -c \"/opt/removed/bin/x --y\"\n");
    entry("hiding", "Hidden=true\n");
    entry("elsewhere", "Exec=~/Apps/tool\n");
    const std::string goneUnit = unit("old.service", "ExecStart=/opt/removed/bin/old\n");
    unit("fine.service", "ExecStart=/bin/true\n");
    unit("shell.service", "ExecStart=/bin/sh -c 'exec /opt/removed/bin/x'\n");
    unit("dropin.service", "");
    createDirectories(units + "/default.target.wants");
    const std::string link = units + "/default.target.wants/old.service";
    ASSERT_EQ(symlink(goneUnit.c_str(), link.c_str()), 0);
    const std::string dropIn = f.dir.write("home/.config/systemd/user/old.service.d/env.conf",
                                           "[Service]\nEnvironment=A=1\n");

    const std::vector<ScanItem> offered = f.scan();
    ASSERT_EQ(ids(offered),
              (std::vector<std::string>{"com.example.gone", "flatpak", "oldsync", "old.service"}));
    EXPECT_EQ(offered[0].location, URL::fileURL(goneAgent));
    EXPECT_EQ(*offered[0].leftover(),
              (ScanItem::LeftoverInfo{ScanItem::LeftoverInfo::Kind::launchAgent,
                                      "com.example.gone",
                                      "tool",
                                      {"LaunchAgents"},
                                      addSeconds(f.now, -kDay),
                                      1}));
    EXPECT_EQ(offered[0].targets, std::vector<URL>{URL::fileURL(goneAgent)});
    EXPECT_EQ(offered[2].targets, std::vector<URL>{URL::fileURL(goneEntry)});
    EXPECT_EQ(offered[3].targets, (std::vector<URL>{URL::fileURL(goneUnit), URL::fileURL(link),
                                                    URL::fileURL(parentPath(dropIn))}));
    EXPECT_EQ(offered[3].leftover()->files, 2) << "the link that enables it is no file";
    for (const ScanItem& item : offered) {
        EXPECT_GE(item.bytes, 1);
        EXPECT_TRUE(item.leftover()->lastChanged);
    }

    const std::string agentText = fileText(goneAgent).value();
    const std::string entryText = fileText(goneEntry).value();
    const std::string unitText = fileText(goneUnit).value();
    const std::string dropInText = fileText(dropIn).value();
    UndoShelf shelf(URL::fileURL(f.dir / "Shelf", true));
    CleanReport report = kelvora::testing::fixtureCleaner().clean(offered, shelf, f.now);
    EXPECT_TRUE(report.failures.empty());
    ASSERT_TRUE(report.sweep);
    for (const std::string& path : {goneAgent, goneEntry, goneUnit, link, dropIn})
        EXPECT_FALSE(fileExists(path)) << path;
    shelf.putBackAll(*report.sweep);
    EXPECT_EQ(fileText(goneAgent), agentText);
    EXPECT_EQ(fileText(goneEntry), entryText);
    EXPECT_EQ(fileText(goneUnit), unitText);
    EXPECT_EQ(fileText(dropIn), dropInText) << "the unit's drop-in folder comes back with it";
    ASSERT_TRUE(fileInfo(link));
    EXPECT_TRUE(fileInfo(link)->isSymlink()) << "the enabling link comes back as a link";
    char target[4096] = {};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), goneUnit);
}

// What `flatpak uninstall` and `snap remove` leave in the home is offered under the app's id,
// once every installation that could hold the app says it is gone and the data has rested;
// a bare folder name elsewhere (~/.config/krita) says nothing.
TEST(ScanLeftovers, DataOfFlatpakAppsAndSnapsInstalledNowhere) {
    Fixture f;
    auto data = [&](const std::string& relative, double daysAgo) {
        std::string file = f.dir.write("home/" + relative + "/data", "d");
        f.age(file, daysAgo);
        f.age(parentPath(file), daysAgo);
        return parentPath(file);
    };
    for (const char* installed : {"system/var/lib/flatpak/app/org.gimp.GIMP",
                                  "home/.local/share/flatpak/app/org.gnome.Maps",
                                  "extra/app/com.example.Extra", "system/snap/firefox"})
        f.dir.mkdir(installed);
    f.dir.write("system/etc/flatpak/installations.d/extra.conf",
                "[Installation \"extra\"]\nPath=" + f.dir / "extra" + "\nDisplayName=Extra\n");
    f.dir.write("system/var/lib/snapd/snaps/spotify_75.snap");
    f.desktop = {DesktopEntries::Application{"com.example.Exported", "Exported", "", "", "", ""}};
    for (const char* id : {"org.gimp.GIMP", "org.gnome.Maps", "com.example.Extra",
                           "com.example.Exported", "org.example.Player", "notes"})
        data(".var/app/" + std::string(id), 30);
    const std::string krita = data(".var/app/org.kde.krita", 30);
    // Its files are counted as a trashed folder's are, not as the one folder offered.
    for (int i = 0; i < 12; ++i)
        f.age(f.dir.write("home/.var/app/org.kde.krita/config/" + std::to_string(i), "c"), 30);
    f.age(krita + "/config", 30);
    f.age(krita, 30);
    data(".var/app/io.github.Recent", 3);
    for (const char* name : {"firefox", "spotify"})
        data("snap/" + std::string(name), 30);
    const std::string telegram = data("snap/telegram-desktop", 30);
    data(".config/krita", 30);

    auto items = f.scan({{"player", "player"}});
    ASSERT_EQ(ids(items), (std::vector<std::string>{"org.kde.krita", "telegram-desktop"}));
    using Kind = ScanItem::LeftoverInfo::Kind;
    EXPECT_EQ(*items[0].leftover(), (ScanItem::LeftoverInfo{Kind::flatpakData,
                                                            "org.kde.krita",
                                                            "org.kde.krita",
                                                            {"~/.var/app"},
                                                            addSeconds(f.now, -30 * kDay),
                                                            13}));
    EXPECT_EQ(items[0].targets, std::vector<URL>{URL::fileURL(krita, true)});
    EXPECT_EQ(items[1].leftover()->kind, Kind::snapData);
    EXPECT_EQ(items[1].leftover()->places, std::vector<std::string>{"~/snap"});
    EXPECT_EQ(items[1].location, URL::fileURL(telegram, true));
    EXPECT_GE(items[1].bytes, 1);

    // Without Flatpak or snapd on this computer nothing says an app is gone.
    removeItem(f.dir / "system");
    removeItem(f.dir / "home/.local/share/flatpak");
    EXPECT_TRUE(f.scan().empty());
}

// Flatpak data is a leftover only while every installation Flatpak knows of can be read: the
// one $FLATPAK_USER_DIR names, those installations.d names however their key file is spelt,
// one on a disk that is not attached now, even one whose path stops at an empty folder of the
// home, where an empty folder is only empty for a program. Steam is installed in the row's
// installation.
TEST(ScanLeftovers, NoFlatpakDataIsALeftoverWhileAnInstallationCannotBeRead) {
    struct Case {
        const char* what;
        std::function<void(Fixture&, DiskScanner&)> install;
        std::vector<std::string> offered;
    } cases[] = {
        {"moved by the environment",
         [](Fixture& f, DiskScanner& scanner) {
             f.dir.mkdir("steam-user/app/com.valve.Steam");
             setenv("FLATPAK_USER_DIR", (f.dir / "steam-user").c_str(), 1);
             scanner.sandboxRoots.flatpakMoved =
                 SandboxRoots::live(URL::fileURL(f.dir / "home/.local/share", true)).flatpakMoved;
             unsetenv("FLATPAK_USER_DIR");
         },
         {"org.kde.krita"}},
        {"named with blanks, comments and two groups",
         [](Fixture& f, DiskScanner&) {
             f.dir.mkdir("games/app/com.valve.Steam");
             f.dir.mkdir("more/app");
             f.dir.write("system/etc/flatpak/installations.d/games.conf",
                         "# the games disk\n[Installation \"games\"]\nPath = " + f.dir / "games" +
                             " \nDisplayName = Games\n\n  [Installation \"more\"]\n"
                             "# Path=/elsewhere\n  Path=" +
                             f.dir / "more" + "\n");
         },
         {"org.kde.krita"}},
        {"on a disk not attached now",
         [](Fixture& f, DiskScanner&) {
             f.dir.write("system/etc/flatpak/installations.d/usb.conf",
                         "[Installation \"usb\"]\nPath=" + f.dir / "media/usb/flatpak" + "\n");
         },
         {}},
        {"on a disk mounted by hand in the home, away now",
         [](Fixture& f, DiskScanner&) {
             f.dir.mkdir("home/Games");
             f.dir.write("system/etc/flatpak/installations.d/games.conf",
                         "[Installation \"games\"]\nPath=" + f.dir / "home/Games/flatpak" + "\n");
         },
         {}},
        {"named by a file that says no path",
         [](Fixture& f, DiskScanner&) {
             f.dir.write("system/etc/flatpak/installations.d/odd.conf",
                         "[Installation \"odd\"]\nDisplayName=Odd\n");
         },
         {}},
    };
    auto layOut = [](Fixture& f) {
        f.dir.mkdir("system/var/lib/flatpak/app/org.gimp.GIMP");
        for (const char* id : {"com.valve.Steam", "org.kde.krita"}) {
            const std::string file = f.dir.write("home/.var/app/" + std::string(id) + "/save", "s");
            f.age(file, 30);
            f.age(parentPath(file), 30);
        }
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f;
        layOut(f);
        DiskScanner scanner = f.scanner();
        c.install(f, scanner);
        FileCounter counter;
        EXPECT_EQ(ids(scanner.scanLeftovers({}, counter)), c.offered);
    }
    // The user's installation keeps its apps on a disk that is away, however it is mounted.
    for (const kelvora::testing::AbsentDisk& disk : kelvora::testing::absentDisks()) {
        SCOPED_TRACE(disk.what);
        Fixture f;
        layOut(f);
        DiskPlaces places;
        disk.layOut(f.dir, places);
        f.dir.mkdir("home/.local/share/flatpak/repo");
        symlink((f.dir / (disk.at + "/flatpak/app")).c_str(),
                (f.dir / "home/.local/share/flatpak/app").c_str());
        DiskScanner scanner = f.scanner();
        scanner.diskPlaces = [places] { return places; };
        FileCounter counter;
        EXPECT_EQ(ids(scanner.scanLeftovers({}, counter)), std::vector<std::string>{});
    }
}

// ~/.var/app/<id> is an app's data only when it is the home's own folder, reached through no
// link, and named as Flatpak names an app; anything else may be the user's own.
TEST(ScanLeftovers, FlatpakDataIsAFolderOfTheHomeNamedByAnAppId) {
    struct Case {
        const char* what;
        std::string id;
        std::string linked; // below the home, moved elsewhere and a link left in its place
        bool offered;
    } cases[] = {
        {"an app's id", "org.kde.krita", "", true},
        {"a name of two parts", "my.notes", "", false},
        {"a part beginning with a digit", "org.example.2048", "", false},
        {"a dash before the last part", "org.my-notes.Notes", "", false},
        {"the app's folder a link", "org.kde.krita", ".var/app/org.kde.krita", false},
        {"~/.var/app a link", "org.kde.krita", ".var/app", false},
        {"~/.var a link", "org.kde.krita", ".var", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f;
        f.dir.mkdir("system/var/lib/flatpak/app");
        f.age(f.dir.write("home/.var/app/" + c.id + "/save", "s"), 30);
        f.age(f.dir / ("home/.var/app/" + c.id), 30);
        if (!c.linked.empty()) {
            const std::string link = f.dir / ("home/" + c.linked);
            const std::string moved = f.dir / "elsewhere";
            ASSERT_EQ(rename(link.c_str(), moved.c_str()), 0);
            ASSERT_EQ(symlink(moved.c_str(), link.c_str()), 0);
            const Date old = addSeconds(f.now, -30 * kDay);
            kelvora::testing::setTimes(link, old, old); // the link rested as long as its data
        }
        EXPECT_EQ(ids(f.scan()),
                  c.offered ? std::vector<std::string>{c.id} : std::vector<std::string>{});
        const InstalledApp removed{c.id, c.id, f.dir / ("system/var/lib/flatpak/app/" + c.id)};
        EXPECT_EQ(f.scanner().leftovers(removed).has_value(), c.offered);
    }
}
