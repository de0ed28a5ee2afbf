#include "login/SystemdUnits.h"
#include "login/LoginItemScanner.h"
#include "support/AbsentDisks.h"
#include "support/LoginFixtures.h"

#include <gtest/gtest.h>
#include <map>

using namespace kelvora;
using kelvora::testing::byID;
using kelvora::testing::expectListed;

namespace {

using State = LoginItem::State;

struct UnitHome : kelvora::testing::LoginHome {
    std::map<std::string, std::string> answers; // unit -> its block of systemctl show
    std::vector<std::vector<std::string>> asked;

    LoginItemScanner scanner(bool systemdAnswers) {
        LoginItemScanner scanner = kelvora::testing::isolatedScanner(dir);
        if (systemdAnswers)
            scanner.systemctl = [this](const std::vector<std::string>& arguments) {
                asked.push_back(arguments);
                if (arguments[0] != "--user" || arguments[1] != "show")
                    return std::optional<ToolOutput>();
                std::string out;
                for (size_t i = 3; i < arguments.size(); ++i)
                    out += (i > 3 ? "\n" : "") + answers.at(arguments[i]);
                return std::optional<ToolOutput>(ToolOutput{0, out});
            };
        return scanner;
    }
};

std::string show(const std::string& load, const std::string& active, const std::string& file,
                 int pid = 0) {
    // systemctl prints the properties in its own order, not the order asked for.
    return "MainPID=" + std::to_string(pid) + "\nLoadState=" + load + "\nActiveState=" + active +
           "\nUnitFileState=" + file + "\n";
}

} // namespace

// The user's own units and those enabled for them, and the system's enabled services: what
// each runs, whether it starts at login, and its state from systemd or, without it, from
// the files alone. A unit that runs only `true` is named by its unit's name, and a system
// service by its unit's name with its Description as what it is for.
TEST(SystemdUnits, UnitsAreListedWithWhatTheyRunAndTheirState) {
    UnitHome home;
    const std::string user = "config/systemd/user/";
    home.dir.write(user + "notes.service", "[Unit]\nDescription=Notes sync\n[Service]\n"
                                           "ExecStart=-%h/bin/notes --flag\n[Install]\n"
                                           "WantedBy=default.target\n");
    home.dir.write("home/bin/notes", "x");
    home.link(home.dir / (user + "notes.service"), user + "default.target.wants/notes.service");
    home.dir.write(user + "backup.timer",
                   "[Timer]\nOnCalendar=daily\n[Install]\nWantedBy=timers.target\n");
    home.dir.write(user + "backup.service", "[Service]\nExecStart=/bin/true\n");
    home.link(home.dir / (user + "backup.timer"), user + "timers.target.wants/backup.timer");
    home.dir.write(user + "idle.service", "[Service]\nExecStart=/bin/true\n[Install]\n"
                                          "WantedBy=default.target\n");
    home.dir.write(user + "static.service", "[Service]\nExecStart=/bin/true\n");
    home.dir.write(user + "sync@.service",
                   "[Unit]\nDescription=Sync of %I\n[Service]\n"
                   "ExecStart=/bin/true %i\n[Install]\nWantedBy=default.target\n");
    home.link(home.dir / (user + "sync@.service"), user + "default.target.wants/sync@docs.service");
    home.link("/dev/null", user + "masked.service");
    home.dir.write("lib/pkg.service", "[Unit]\nDescription=Package daemon\n[Service]\n"
                                      "ExecStart=" +
                                          home.dir / "lib/pkgd" + " --serve\n");
    home.dir.write("lib/pkgd");
    home.link(home.dir / "lib/pkg.service", user + "default.target.wants/pkg.service");
    home.link(home.dir / "lib/removed.service", user + "default.target.wants/removed.service");
    home.dir.write(user + "old.service", "[Service]\nExecStart=/opt/gone/old\n[Install]\n"
                                         "WantedBy=default.target\n");
    home.link(home.dir / (user + "old.service"), user + "default.target.wants/old.service");
    home.dir.write("lib/db.service", "[Unit]\nDescription=Database\n[Service]\nExecStart=" +
                                         home.dir / "lib/dbd" + "\n");
    home.dir.write("lib/dbd");
    home.link(home.dir / "lib/db.service", "system/multi-user.target.wants/db.service");
    home.dir.write("lib/plain.service", "[Service]\nExecStart=" + home.dir / "lib/dbd" + "\n");
    home.link(home.dir / "lib/plain.service", "system/multi-user.target.wants/plain.service");
    home.dir.write("lib/clean.timer", "[Timer]\nOnCalendar=weekly\n");
    home.dir.write("lib/clean.service", "[Service]\nExecStart=/bin/true\n");
    home.link(home.dir / "lib/clean.timer", "system/timers.target.wants/clean.timer");

    home.answers = {
        {"notes.service", show("loaded", "active", "enabled", 4242)},
        {"backup.timer", show("loaded", "active", "enabled")},
        // Disabled without stopping: it won't start at the next login, but runs on now.
        {"idle.service", show("loaded", "active", "disabled", 99)},
        {"old.service", show("loaded", "failed", "enabled")},
        {"static.service", show("loaded", "inactive", "static")},
        {"pkg.service", show("loaded", "inactive", "enabled")},
        {"removed.service", show("not-found", "inactive", "")},
        {"sync@docs.service", show("loaded", "activating", "enabled", 77)},
    };
    struct Row {
        std::string id;
        State answered;
        State alone; // without systemd to ask
        std::string name;
        std::string runs; // relative to the test folder, or absolute
        std::string file;
        bool startsAtLogin;
        bool leftover;
    };
    const std::vector<Row> rows = {
        {"userAgent:notes.service", State::running(4242), State::waiting(), "Notes sync",
         "home/bin/notes", user + "notes.service", true, false},
        {"userAgent:backup.timer", State::waiting(), State::waiting(), "backup.timer", "/bin/true",
         user + "backup.timer", true, false},
        {"userAgent:idle.service", State::offRunning(99), State::off(), "idle.service", "/bin/true",
         user + "idle.service", true, false},
        {"userAgent:static.service", State::waiting(), State::waiting(), "static.service",
         "/bin/true", user + "static.service", false, false},
        {"userAgent:sync@docs.service", State::running(77), State::waiting(), "Sync of docs",
         "/bin/true", user + "default.target.wants/sync@docs.service", true, false},
        {"userAgent:pkg.service", State::waiting(), State::waiting(), "Package daemon", "lib/pkgd",
         user + "default.target.wants/pkg.service", true, false},
        {"userAgent:removed.service", State::notLoaded(), State::waiting(), "removed.service", "",
         user + "default.target.wants/removed.service", true, true},
        {"userAgent:old.service", State::waiting(), State::waiting(), "old", "/opt/gone/old",
         user + "old.service", true, true},
        {"systemDaemon:db.service", State::waiting(), State::waiting(), "db.service", "lib/dbd",
         "lib/db.service", true, false},
        {"systemDaemon:plain.service", State::waiting(), State::waiting(), "dbd", "lib/dbd",
         "lib/plain.service", true, false},
        {"systemDaemon:clean.timer", State::waiting(), State::waiting(), "clean.timer", "/bin/true",
         "lib/clean.timer", true, false},
    };
    for (bool answered : {true, false}) {
        SCOPED_TRACE(answered ? "systemd answers" : "no systemd");
        ASSERT_NO_FATAL_FAILURE(expectListed(
            home.scanner(answered).scan(), rows, LoginItem::Mechanism::systemdUnit,
            [&](const Row& row, const LoginItem& item) {
                EXPECT_EQ(item.state, answered ? row.answered : row.alone);
                EXPECT_EQ(item.name, row.name);
                std::string runs =
                    row.runs.empty() || row.runs[0] == '/' ? row.runs : home.dir / row.runs;
                EXPECT_EQ(item.program ? item.program->path() : "", runs);
                EXPECT_EQ(item.file->path(), home.dir / row.file);
                EXPECT_EQ(item.startsAtLogin, row.startsAtLogin);
                EXPECT_EQ(item.isLeftover(), row.leftover);
            }));
    }
    ASSERT_EQ(home.asked.size(), 3u) << "the user manager's PATH, then one question to each";
    EXPECT_EQ(home.asked[0], (std::vector<std::string>{"--user", "show-environment"}));
    EXPECT_EQ(home.asked[1],
              (std::vector<std::string>{
                  "--user", "show", "--property=LoadState,ActiveState,UnitFileState,MainPID",
                  "backup.timer", "idle.service", "notes.service", "old.service", "static.service",
                  "pkg.service", "removed.service", "sync@docs.service"}));
    EXPECT_EQ(home.asked[2][0], "--system");

    auto items = home.scanner(false).scan();
    // A system service says what it is for by its Description, else by what it runs.
    EXPECT_EQ(byID(items, "systemDaemon:db.service")->purpose, "Database");
    EXPECT_EQ(byID(items, "systemDaemon:plain.service")->purpose,
              "Runs “dbd” when the computer starts.");
    EXPECT_EQ(byID(items, "userAgent:pkg.service")->purpose, "Runs “pkgd” when you log in.");

    // A leftover goes with the links that enable it, so that putting it back restores both.
    EXPECT_EQ(
        SystemdUnits::leftoverTargets(*byID(items, "userAgent:old.service")),
        (std::vector<URL>{URL::fileURL(home.dir / (user + "old.service")),
                          URL::fileURL(home.dir / (user + "default.target.wants/old.service"))}));
    EXPECT_EQ(SystemdUnits::leftoverTargets(*byID(items, "userAgent:removed.service")),
              (std::vector<URL>{
                  URL::fileURL(home.dir / (user + "default.target.wants/removed.service"))}));
}

// Units are read as systemd reads them: lines continued with a backslash, the prefixes of
// ExecStart's program, and drop-ins from every folder of the search path in systemd's order,
// where an empty ExecStart= clears the commands before it, a drop-in linked to /dev/null
// hides those of its name, and a later Description names the unit. A unit is a leftover only when
// every program it runs is gone.
TEST(SystemdUnits, UnitsAreReadWithTheirContinuedLinesPrefixesAndDropIns) {
    UnitHome home;
    const std::string user = "config/systemd/user/";
    const std::string present = home.program("present");
    const std::string gone = home.dir / "gone/old";
    home.program("my tools/run");
    auto unit = [&](const std::string& name, const std::string& service) {
        home.dir.write(user + name,
                       "[Service]\n" + service + "[Install]\nWantedBy=default.target\n");
    };
    const std::string replaced = "[Service]\nExecStart=\nExecStart=" + present + "\n";
    unit("continued.service", "ExecStart=\\\n# a comment between\n    " + present + " --flag\n");
    unit("overridden.service", "ExecStart=" + gone + "\n[Unit]\nDescription=Old sync\n");
    home.dir.write(user + "overridden.service.d/50-new.conf", replaced);
    home.dir.write(user + "overridden.service.d/60-name.conf", "[Unit]\nDescription=Sync of %p\n");
    unit("added.service", "Type=oneshot\nExecStart=" + gone + "\n");
    home.dir.write(user + "added.service.d/more.conf", "[Service]\nExecStart=" + present + "\n");
    unit("cleared.service", "ExecStart=" + gone + "\n");
    home.dir.write(user + "cleared.service.d/none.conf", "[Service]\nExecStart=\n");
    unit("masked-dropin.service", "ExecStart=" + gone + "\n");
    home.dir.write("vendor/masked-dropin.service.d/fix.conf", replaced);
    home.link("/dev/null", user + "masked-dropin.service.d/fix.conf");
    unit("vendor-dropin.service", "ExecStart=" + gone + "\n");
    home.dir.write("vendor/vendor-dropin.service.d/fix.conf", replaced);
    unit("sync-mail.service", "ExecStart=" + gone + "\n");
    home.dir.write(user + "sync-.service.d/fix.conf", replaced);
    home.dir.write(user + "web@.service", "[Service]\nExecStart=" + gone + " %i\n");
    home.link(home.dir / (user + "web@.service"), user + "default.target.wants/web@blue.service");
    home.dir.write(user + "web@.service.d/fix.conf", replaced);
    unit("marks.service", "ExecStart=:-!!" + gone + "\n");
    unit("argv0.service", "ExecStart=@" + present + " shown-name --x\n");
    unit("shell.service", "ExecStart=|" + gone + " --x\n");
    unit("quoted.service", "ExecStart=\"" + home.dir / "bin/my tools/run" + "\" --x\n");
    // Drop-ins on a disk that is away may say anything.
    unit("away.service", "ExecStart=" + gone + "\n[Unit]\nDescription=Away sync\n");
    home.link(home.dir / "media/unplugged/away.service.d", user + "away.service.d");

    struct Row {
        std::string id;
        std::string runs;
        bool leftover;
    };
    const std::vector<Row> rows = {
        {"userAgent:continued.service", present, false},
        {"userAgent:overridden.service", present, false},
        {"userAgent:added.service", gone, false},
        {"userAgent:cleared.service", "", false},
        {"userAgent:masked-dropin.service", gone, true},
        {"userAgent:vendor-dropin.service", present, false},
        {"userAgent:sync-mail.service", present, false},
        {"userAgent:web@blue.service", present, false},
        {"userAgent:marks.service", gone, true},
        {"userAgent:argv0.service", present, false},
        {"userAgent:shell.service", "", false},
        {"userAgent:quoted.service", home.dir / "bin/my tools/run", false},
        {"userAgent:away.service", "", false},
    };
    LoginItemScanner scanner = home.scanner(false);
    scanner.userUnitFolders = {URL::fileURL(home.dir / "vendor", true)};
    scanner.diskPlaces->removableRoots = {home.dir / "media"};
    const auto items = scanner.scan();
    ASSERT_NO_FATAL_FAILURE(expectListed(
        items, rows, LoginItem::Mechanism::systemdUnit, [](const Row& row, const LoginItem& item) {
            EXPECT_EQ(item.program ? item.program->path() : "", row.runs);
            EXPECT_EQ(item.isLeftover(), row.leftover);
        }));
    // A drop-in's Description names the unit over the file's; unread drop-ins leave the file's.
    EXPECT_EQ(byID(items, "userAgent:overridden.service")->name, "Sync of overridden");
    EXPECT_EQ(byID(items, "userAgent:away.service")->name, "Away sync");
    // Its own drop-in folder goes with a leftover; a shared one stays.
    EXPECT_EQ(SystemdUnits::leftoverTargets(*byID(items, "userAgent:masked-dropin.service")),
              (std::vector<URL>{URL::fileURL(home.dir / (user + "masked-dropin.service")),
                                URL::fileURL(home.dir / (user + "masked-dropin.service.d"))}));
}

// systemd starts a unit a *.wants link enables by the link's name, loading the unit of that
// name, or of its template, from its search path wherever the link leads. So a link leading
// nowhere is a leftover only while no such unit is on the search path and no folder of it
// may lie on a disk that is away; and a unit whose program lies on such a disk is none.
TEST(SystemdUnits, AUnitIsALeftoverOnlyWhenNothingItStartsCanBeThere) {
    for (const kelvora::testing::AbsentDisk& disk : kelvora::testing::absentDisks()) {
        SCOPED_TRACE(disk.what);
        UnitHome home;
        const std::string user = "config/systemd/user/";
        DiskPlaces places;
        disk.layOut(home.dir, places);
        home.dir.write(user + "nas-tool.service",
                       "[Service]\nExecStart=" + home.dir / (disk.at + "/bin/tool") +
                           "\n[Install]\nWantedBy=default.target\n");
        const std::string packaged = home.program("packaged");
        home.dir.write("vendor/packaged.service", "[Service]\nExecStart=" + packaged + "\n");
        home.dir.write("vendor/sync@.service", "[Service]\nExecStart=" + packaged + " %i\n");
        for (const std::string name : {"packaged.service", "sync@docs.service", "removed.service"})
            home.link(home.dir / ("old/lib/" + name), user + "default.target.wants/" + name);
        home.dir.write("old/notes");

        LoginItemScanner scanner = home.scanner(false);
        scanner.diskPlaces = places;
        const URL vendor = URL::fileURL(home.dir / "vendor", true);
        const URL onDisk = URL::fileURL(home.dir / (disk.at + "/systemd/user"), true);
        for (bool searchedOnDisk : {false, true}) {
            SCOPED_TRACE(searchedOnDisk ? "a folder of the search path on the disk" : "");
            scanner.userUnitFolders = {vendor};
            if (searchedOnDisk)
                scanner.userUnitFolders.insert(scanner.userUnitFolders.begin(), onDisk);
            struct Row {
                std::string id;
                std::string runs;
                bool leftover;
            };
            const std::vector<Row> rows = {
                // What a drop-in there may say is unknown too.
                {"userAgent:nas-tool.service",
                 searchedOnDisk ? "" : home.dir / (disk.at + "/bin/tool"), false},
                {"userAgent:packaged.service", searchedOnDisk ? "" : packaged, false},
                {"userAgent:sync@docs.service", searchedOnDisk ? "" : packaged, false},
                {"userAgent:removed.service", "", !searchedOnDisk},
            };
            ASSERT_NO_FATAL_FAILURE(
                expectListed(scanner.scan(), rows, LoginItem::Mechanism::systemdUnit,
                             [](const Row& row, const LoginItem& item) {
                                 EXPECT_EQ(item.program ? item.program->path() : "", row.runs);
                                 EXPECT_EQ(item.isLeftover(), row.leftover);
                             }));
        }
    }
}

namespace {

// How a scan lists a unit: "unlisted", "off" or "on".
std::string listedAs(const std::vector<LoginItem>& items, const std::string& id) {
    const LoginItem* item = byID(items, id);
    return !item ? "unlisted" : item->isOff() ? "off" : "on";
}

} // namespace

// `systemctl --user enable` links a packaged unit into the user's *.wants folder, and that
// link is all that lists it. Turned off here, it stays listed, off and not starting at login,
// so that it can be turned on again; Kelvora remembers it until it is enabled again or its
// file is surely gone, never while the file may lie on a disk that is away. Packaged units
// never enabled stay unlisted.
TEST(SystemdUnits, APackagedUnitTurnedOffHereStaysListedOffUntilEnabledAgainOrGone) {
    struct Row {
        const char* story;
        std::function<void(UnitHome&, LoginItemScanner&)> change;
        std::string listed;
        bool remembered;
        std::function<void(UnitHome&, LoginItemScanner&)> then;
        std::string listedThen;
    };
    const std::string id = "userAgent:syncthing.service";
    const std::string link = "config/systemd/user/default.target.wants/syncthing.service";
    auto nothing = [](UnitHome&, LoginItemScanner&) {};
    const kelvora::testing::AbsentDisk away = kelvora::testing::absentDisks().back();
    auto searchingTheDisk = [&](bool searched) {
        return [&, searched](UnitHome& home, LoginItemScanner& scanner) {
            scanner.userUnitFolders = {URL::fileURL(home.dir / "vendor", true)};
            if (searched)
                scanner.userUnitFolders.insert(
                    scanner.userUnitFolders.begin(),
                    URL::fileURL(home.dir / (away.at + "/systemd/user"), true));
        };
    };
    const Row rows[] = {
        {"left as it is", nothing, "off", true, nothing, "off"},
        {"enabled again by the user, then disabled by them",
         [&](UnitHome& home, LoginItemScanner&) {
             home.link(home.dir / "vendor/syncthing.service", link);
         },
         "on", false, [&](UnitHome& home, LoginItemScanner&) { unlink((home.dir / link).c_str()); },
         "unlisted"},
        {"its program removed: still no leftover of the user's",
         [&](UnitHome& home, LoginItemScanner&) { unlink((home.dir / "bin/syncthing").c_str()); },
         "off", true, nothing, "off"},
        {"its file surely gone, then back",
         [](UnitHome& home, LoginItemScanner&) {
             unlink((home.dir / "vendor/syncthing.service").c_str());
         },
         "unlisted", false,
         [](UnitHome& home, LoginItemScanner&) {
             home.dir.write("vendor/syncthing.service", "[Service]\nExecStart=/bin/true\n");
         },
         "unlisted"},
        {"a folder before it on a disk that is away, then searched no more", searchingTheDisk(true),
         "unlisted", true, searchingTheDisk(false), "off"},
        {"masked by the user, then unmasked",
         [](UnitHome& home, LoginItemScanner&) {
             home.link("/dev/null", "config/systemd/user/syncthing.service");
         },
         "unlisted", true,
         [](UnitHome& home, LoginItemScanner&) {
             unlink((home.dir / "config/systemd/user/syncthing.service").c_str());
         },
         "off"},
        {"its memory damaged",
         [](UnitHome& home, LoginItemScanner&) {
             home.dir.write("data/Kelvora/turned-off-units.json", "{\"units\": [\"sync");
         },
         "unlisted", false, nothing, "unlisted"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.story);
        UnitHome home;
        const std::string program = home.program("syncthing");
        home.dir.write("vendor/syncthing.service",
                       "[Unit]\nDescription=File sync\n[Service]\nExecStart=" + program +
                           " serve\n[Install]\nWantedBy=default.target\n");
        home.dir.write("vendor/unused.service", "[Service]\nExecStart=" + home.program("unused") +
                                                    "\n[Install]\nWantedBy=default.target\n");
        home.link(home.dir / "vendor/syncthing.service", link);
        LoginItemScanner scanner = home.scanner(false);
        DiskPlaces places;
        away.layOut(home.dir, places);
        scanner.diskPlaces = places;
        scanner.userUnitFolders = {URL::fileURL(home.dir / "vendor", true)};
        // Does to the links what systemctl does.
        LoginItemSwitch toggle([&](const std::string&, const std::vector<std::string>& args) {
            if (args[1] == "enable")
                home.link(home.dir / "vendor/syncthing.service", link);
            else
                unlink((home.dir / link).c_str());
            return std::optional<int32_t>(0);
        });
        toggle.systemctl = "/stand-in/systemctl";
        toggle.turnedOffUnits = scanner.turnedOffUnits;

        auto items = scanner.scan();
        ASSERT_EQ(listedAs(items, id), "on");
        EXPECT_TRUE(byID(items, id)->isActiveAtLogin());
        ASSERT_EQ(toggle.set(*byID(items, id), false), std::nullopt);
        items = scanner.scan();
        ASSERT_EQ(listedAs(items, id), "off");
        const LoginItem& off = *byID(items, id);
        EXPECT_EQ(off.name, "File sync");
        EXPECT_EQ(off.program->path(), program);
        EXPECT_EQ(off.file->path(), home.dir / "vendor/syncthing.service");
        EXPECT_FALSE(off.isActiveAtLogin());
        EXPECT_FALSE(byID(items, "userAgent:unused.service"));

        row.change(home, scanner);
        items = scanner.scan();
        EXPECT_EQ(listedAs(items, id), row.listed);
        if (row.listed == "off") EXPECT_FALSE(byID(items, id)->isLeftover());
        EXPECT_EQ(scanner.turnedOffUnits.names(),
                  row.remembered ? std::vector<std::string>{"syncthing.service"}
                                 : std::vector<std::string>{});
        row.then(home, scanner);
        EXPECT_EQ(listedAs(scanner.scan(), id), row.listedThen);
    }
}
