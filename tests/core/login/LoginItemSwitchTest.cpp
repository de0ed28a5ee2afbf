#include "login/LoginItemSwitch.h"

#include "login/AutostartEntries.h"
#include "platform/HomeFolders.h"
#include "platform/Text.h"
#include "support/ChildProcess.h"
#include "support/Environment.h"
#include "support/LoginFixtures.h"

#include <csignal>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utility>

using namespace kelvora;

namespace {

struct Recorder {
    std::vector<std::vector<std::string>> calls;
    std::optional<int32_t> status = 0;
    std::optional<int32_t> laterStatus = 0;

    LoginItemSwitch makeSwitch() {
        LoginItemSwitch toggle(
            [this](const std::string& tool, const std::vector<std::string>& args) {
                std::vector<std::string> call{tool};
                call.insert(call.end(), args.begin(), args.end());
                calls.push_back(call);
                return calls.size() == 1 ? status : laterStatus;
            });
        toggle.uid = 501;
        return toggle;
    }
};

LoginItem agent(LoginItem::State state, bool withFile = true) {
    LoginItem item;
    item.source = LoginItem::Source::userAgent;
    item.label = "daily-backup";
    if (withFile) item.file = URL::fileURL("/Users/me/Library/LaunchAgents/daily-backup.plist");
    item.state = state;
    return item;
}

using Calls = std::vector<std::vector<std::string>>;

} // namespace

TEST(LoginItemSwitch, AgentsAreEnabledThenLoaded) {
    Recorder r;
    EXPECT_EQ(r.makeSwitch().set(agent(LoginItem::State::off()), true), std::nullopt);
    EXPECT_EQ(r.calls, (Calls{{"/bin/launchctl", "enable", "gui/501/daily-backup"},
                              {"/bin/launchctl", "bootstrap", "gui/501",
                               "/Users/me/Library/LaunchAgents/daily-backup.plist"}}));

    Recorder noFile;
    noFile.laterStatus = 5;
    EXPECT_EQ(noFile.makeSwitch().set(agent(LoginItem::State::off(), false), true), std::nullopt);
    EXPECT_EQ(noFile.calls.size(), 1u);

    Recorder alreadyLoaded;
    alreadyLoaded.laterStatus = 5;
    EXPECT_EQ(alreadyLoaded.makeSwitch().set(agent(LoginItem::State::waiting()), true),
              std::nullopt);
}

TEST(LoginItemSwitch, AgentsAreDisabledThenStoppedWhenLoaded) {
    Recorder running;
    running.laterStatus = std::nullopt;
    EXPECT_EQ(running.makeSwitch().set(agent(LoginItem::State::running(4)), false), std::nullopt);
    EXPECT_EQ(running.calls, (Calls{{"/bin/launchctl", "disable", "gui/501/daily-backup"},
                                    {"/bin/launchctl", "bootout", "gui/501/daily-backup"}}));

    Recorder unloaded;
    auto global = agent(LoginItem::State::notLoaded());
    global.source = LoginItem::Source::globalAgent;
    EXPECT_EQ(unloaded.makeSwitch().set(global, false), std::nullopt);
    EXPECT_EQ(unloaded.calls, (Calls{{"/bin/launchctl", "disable", "gui/501/daily-backup"}}));
}

TEST(LoginItemSwitch, FailuresGiveTheirMessages) {
    for (std::optional<int32_t> status : {std::optional<int32_t>(1), std::optional<int32_t>()}) {
        Recorder on;
        on.status = status;
        EXPECT_EQ(on.makeSwitch().set(agent(LoginItem::State::off()), true),
                  "Kelvora couldn’t switch it on.");
        EXPECT_EQ(on.calls.size(), 1u);
        Recorder off;
        off.status = status;
        EXPECT_EQ(off.makeSwitch().set(agent(LoginItem::State::running(3)), false),
                  "Kelvora couldn’t switch it off.");
        EXPECT_EQ(off.calls.size(), 1u);
    }
    for (auto source : {LoginItem::Source::systemDaemon, LoginItem::Source::appHelper}) {
        Recorder r;
        auto item = agent(LoginItem::State::waiting());
        item.source = source;
        EXPECT_EQ(r.makeSwitch().set(item, false),
                  "Kelvora doesn’t switch this one; its app or an administrator does.");
        EXPECT_EQ(r.makeSwitch().set(item, true),
                  "Kelvora doesn’t switch this one; its app or an administrator does.");
        EXPECT_TRUE(r.calls.empty());
    }
}

TEST(LoginItemSwitch, OpenAtLoginScriptsAreEscaped) {
    LoginItem app;
    app.source = LoginItem::Source::openAtLogin;
    app.label = "Say \"Hi\" \\ Co";
    app.file = URL::fileURL("/Applications/Say \"Hi\".app");

    Recorder on;
    EXPECT_EQ(on.makeSwitch().set(app, true), std::nullopt);
    EXPECT_EQ(on.calls, (Calls{{"/usr/bin/osascript", "-e",
                                "tell application \"System Events\" to make login item at end "
                                "with properties {path:\"/Applications/Say \\\"Hi\\\".app\", "
                                "hidden:false}"}}));
    Recorder off;
    EXPECT_EQ(off.makeSwitch().set(app, false), std::nullopt);
    EXPECT_EQ(off.calls, (Calls{{"/usr/bin/osascript", "-e",
                                 "tell application \"System Events\" to delete login item "
                                 "\"Say \\\"Hi\\\" \\\\ Co\""}}));

    Recorder refused;
    refused.status = 1;
    app.file.reset();
    EXPECT_EQ(refused.makeSwitch().set(app, true),
              "Kelvora couldn’t change its list of apps that open at login.");
    EXPECT_NE(refused.calls[0][2].find("{path:\"\", hidden:false}"), std::string::npos);
}

// A user's unit is switched by systemctl, at once and for the next logins; a service of the
// system, or any unit where there is no systemctl, is left as it is and the user told why.
// Only a unit systemctl turned off is remembered as turned off here, and one it turned on is
// forgotten.
TEST(LoginItemSwitch, OnlyTheUsersUnitsAreSwitchedAndOnlyWithSystemctl) {
    LoginItem unit;
    unit.source = LoginItem::Source::userAgent;
    unit.mechanism = LoginItem::Mechanism::systemdUnit;
    unit.label = "notes.service";
    LoginItem daemon = unit;
    daemon.source = LoginItem::Source::systemDaemon;
    const std::string tool = "/stand-in/systemctl";
    const Calls off{{tool, "--user", "disable", "--now", "notes.service"}};
    const Calls on{{tool, "--user", "enable", "--now", "notes.service"}};
    struct Row {
        const char* story;
        LoginItem item;
        bool switchOn;
        std::optional<int32_t> status;
        std::string systemctl;
        std::optional<std::string> said;
        Calls calls;
        bool remembered; // as turned off here, having been so before only when switched on
    };
    const Row rows[] = {
        {"switched off", unit, false, 0, tool, std::nullopt, off, true},
        {"switched on", unit, true, 0, tool, std::nullopt, on, false},
        {"refused", unit, false, 1, tool, LoginItemSwitch::kUnitRefusedOff, off, false},
        {"systemctl did not run", unit, true, std::nullopt, tool, LoginItemSwitch::kUnitRefusedOn,
         on, true},
        {"a service of the system", daemon, false, 0, tool, LoginItemSwitch::kSwitchInSettings,
         Calls(), false},
        {"no systemctl", unit, false, 0, "", LoginItemSwitch::kNoSystemctl, Calls(), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.story);
        Recorder r;
        r.status = row.status;
        LoginItemSwitch toggle = r.makeSwitch();
        toggle.systemctl = row.systemctl;
        kelvora::testing::TempDir data;
        toggle.turnedOffUnits.file = URL::fileURL(data / "Kelvora/turned-off-units.json");
        if (row.switchOn) toggle.turnedOffUnits.remember(row.item.label);
        EXPECT_EQ(toggle.set(row.item, row.switchOn), row.said);
        EXPECT_EQ(r.calls, row.calls);
        EXPECT_EQ(toggle.turnedOffUnits.names(), row.remembered
                                                     ? std::vector<std::string>{"notes.service"}
                                                     : std::vector<std::string>{});
    }
}

namespace {

using kelvora::testing::listedNow;
using kelvora::testing::LoginHome;

// Switches the item a scan of the home lists under that identifier, as the window does.
std::optional<std::string> switchListed(const LoginHome& home, const LoginItemSwitch& toggle,
                                        const std::string& id, bool on) {
    auto item = listedNow(home, id);
    if (!item) return "not listed: " + id;
    return toggle.set(*item, on);
}

bool listedOff(const LoginHome& home, const std::string& id) {
    auto item = listedNow(home, id);
    return item && item->isOff();
}

const std::string kTracker =
    "[Desktop Entry]\nType=Application\nName=Tracker\nExec=/usr/bin/tracker\n";

} // namespace

// Off writes Hidden=true as the line a session reads last, and on takes out just that: the
// entry comes back byte for byte, whatever its line ends, spacing and groups.
TEST(LoginItemSwitch, AnEntryTurnedOffThenOnIsByteForByteWhatItWas) {
    const std::string head = "[Desktop Entry]\nType=Application\n";
    struct Row {
        const char* story;
        std::string text;
        std::string off;
    };
    const Row rows[] = {
        {"plain", head + "Exec=/bin/true\n", head + "Exec=/bin/true\nHidden=true\n"},
        {"CRLF", "[Desktop Entry]\r\nType=Application\r\nExec=/bin/true\r\n",
         "[Desktop Entry]\r\nType=Application\r\nExec=/bin/true\r\nHidden=true\r\n"},
        {"no line end at its end", head + "Exec=/bin/true", head + "Exec=/bin/true\nHidden=true"},
        {"comments, a delay and an action",
         "# mine\n" + head +
             "Exec=/bin/true --quiet\n# wait\nX-GNOME-Autostart-Delay=30\n\n"
             "[Desktop Action stop]\nExec=/bin/true --stop\nHidden=false\n",
         "# mine\n" + head +
             "Exec=/bin/true --quiet\n# wait\nX-GNOME-Autostart-Delay=30\nHidden=true\n\n"
             "[Desktop Action stop]\nExec=/bin/true --stop\nHidden=false\n"},
        {"Hidden=false written before", head + "Exec=/bin/true\nHidden=false\n",
         head + "Exec=/bin/true\nHidden=true\nHidden=true\n"},
        {"several Hidden lines, one spaced",
         "[Desktop Entry]\nHidden = false\nType=Application\nExec=/bin/true\nHidden=false\n",
         "[Desktop Entry]\nHidden = true\nType=Application\nExec=/bin/true\nHidden=true\n"
         "Hidden=true\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.story);
        LoginHome home;
        const std::string path =
            kelvora::testing::writeAt(home.userAutostart() + "/notes.desktop", row.text);
        const LoginItemSwitch toggle = home.autostartSwitch();
        ASSERT_EQ(switchListed(home, toggle, "openAtLogin:notes", false), std::nullopt);
        EXPECT_EQ(fileText(path), row.off);
        EXPECT_TRUE(listedOff(home, "openAtLogin:notes"));
        ASSERT_EQ(switchListed(home, toggle, "openAtLogin:notes", true), std::nullopt);
        EXPECT_EQ(fileText(path), row.text);
        EXPECT_FALSE(listedOff(home, "openAtLogin:notes"));
    }
}

// Every way an entry is kept off is undone by on, touching nothing else; an entry already
// as asked is not written at all, not even with the same bytes.
TEST(LoginItemSwitch, OnUndoesEveryWayOfBeingOffAndWritesNothingWhenAlreadyAsked) {
    const std::string head = "[Desktop Entry]\nType=Application\n";
    struct Row {
        const char* story;
        std::string text;
        bool on;
        std::string after;
    };
    const Row rows[] = {
        {"GNOME's own switch", head + "X-GNOME-Autostart-enabled=false\nExec=/bin/true\n", true,
         head + "X-GNOME-Autostart-enabled=true\nExec=/bin/true\n"},
        {"hidden by hand above other keys", head + "Hidden=true\nExec=/bin/true\n", true,
         head + "Hidden=false\nExec=/bin/true\n"},
        {"hidden twice", "[Desktop Entry]\nHidden=true\nType=Application\nHidden=true\n", true,
         "[Desktop Entry]\nHidden=false\nType=Application\n"},
        {"already on", head + "Exec=/bin/true\n", true, head + "Exec=/bin/true\n"},
        {"on, as its last Hidden line says", head + "Hidden=true\nExec=/bin/true\nHidden=false\n",
         true, head + "Hidden=true\nExec=/bin/true\nHidden=false\n"},
        {"already off by GNOME's switch", head + "X-GNOME-Autostart-enabled=false\n", false,
         head + "X-GNOME-Autostart-enabled=false\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.story);
        LoginHome home;
        const std::string path =
            kelvora::testing::writeAt(home.userAutostart() + "/notes.desktop", row.text);
        // The file's times would not tell a rewrite within the same tick.
        kelvora::testing::setTimes(path, Date{}, Date{});
        const auto before = stampOf(path);
        ASSERT_EQ(switchListed(home, home.autostartSwitch(), "openAtLogin:notes", row.on),
                  std::nullopt);
        EXPECT_EQ(fileText(path), row.after);
        EXPECT_EQ(listedOff(home, "openAtLogin:notes"), !row.on);
        if (row.after == row.text) {
            EXPECT_EQ(stampOf(path), before) << "written again";
        }
    }
}

// A user's own copy of an entry installed for everyone is switched in place like any entry
// of theirs; only the copy Kelvora wrote, byte for byte, is removed again.
TEST(LoginItemSwitch, AUsersCopyOfASystemEntryIsSwitchedInPlaceAndKeptUnlessKelvoraWroteIt) {
    const std::string mine = "[Desktop Entry]\nType=Application\nName=Tracker\n# slower\n"
                             "Exec=/usr/bin/tracker --idle\nX-GNOME-Autostart-Delay=60\n\n"
                             "[Desktop Action pause]\nName=Pause\nExec=/usr/bin/tracker --pause\n";
    const std::string mineOff = replacingAll(mine, "Delay=60\n", "Delay=60\nHidden=true\n");
    const std::string commented = "# keep tracker running\n" + kTracker;
    struct Row {
        const char* story;
        std::optional<std::string> copy; // none: the user has no copy
        bool linked;                     // kept with the dotfiles, linked from autostart
        std::string off;
        std::optional<std::string> on; // none: removed
        bool secondName = false;       // the copy has a hard link in the dotfiles too
        std::string system = kTracker;
    };
    const std::string offForAll = kTracker + "Hidden=true\n";
    const Row rows[] = {
        {"no copy", std::nullopt, false, kTracker + "Hidden=true\n", std::nullopt},
        {"the user's edited copy", mine, false, mineOff, mine},
        {"the same keys, the user's comment", commented, false, commented + "Hidden=true\n",
         commented},
        {"Kelvora's copy from before", kTracker + "Hidden=true\n", false,
         kTracker + "Hidden=true\n", std::nullopt},
        {"the user's copy, linked", mine, true, mineOff, mine},
        {"a copy as Kelvora writes it, linked", kTracker, true, kTracker + "Hidden=true\n",
         kTracker},
        {"Kelvora's copy with a second name", kTracker + "Hidden=true\n", false,
         kTracker + "Hidden=true\n", kTracker, true},
        {"Kelvora's copy of an entry now off for everyone", offForAll + "Hidden=true\n", false,
         offForAll + "Hidden=true\n", kTracker + "Hidden=false\n", false, offForAll},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.story);
        LoginHome home;
        const std::string system =
            kelvora::testing::writeAt(home.systemAutostart() + "/tracker.desktop", row.system);
        const std::string copy = home.userAutostart() + "/tracker.desktop";
        std::string written = copy;
        if (row.copy && row.linked) {
            written = kelvora::testing::writeAt(home.dir / "dotfiles/tracker.desktop", *row.copy);
            home.link(written, "config/autostart/tracker.desktop");
        } else if (row.copy) {
            kelvora::testing::writeAt(copy, *row.copy);
        }
        const std::string other = home.dir / "tracker-kept";
        if (row.secondName) ASSERT_EQ(link(copy.c_str(), other.c_str()), 0);
        const LoginItemSwitch toggle = home.autostartSwitch();
        ASSERT_EQ(switchListed(home, toggle, "globalAgent:tracker", false), std::nullopt);
        EXPECT_EQ(fileText(written), row.off);
        EXPECT_TRUE(listedOff(home, "globalAgent:tracker"));
        ASSERT_EQ(switchListed(home, toggle, "globalAgent:tracker", true), std::nullopt);
        EXPECT_EQ(fileText(copy), row.on);
        EXPECT_FALSE(listedOff(home, "globalAgent:tracker"));
        EXPECT_EQ(row.linked, fileInfo(copy) && fileInfo(copy)->isSymlink());
        if (row.secondName) EXPECT_EQ(fileText(other), row.on);
        EXPECT_EQ(fileText(system), row.system);
    }
}

// An entry is changed where it really is: a link (dotfiles kept elsewhere) stays a link, a
// second name of the file (a hard link in the dotfiles) keeps the change too, and the file
// keeps its mode and owner.
TEST(LoginItemSwitch, AnEntryIsWrittenThroughItsLinksKeepingItsModeAndOwner) {
    const std::string text = "[Desktop Entry]\nType=Application\nExec=/bin/true\n";
    struct Row {
        const char* story;
        int links; // between the autostart folder and the file
        mode_t mode;
        uid_t owner;
        bool secondName = false;
    };
    const Row rows[] = {
        {"private", 0, 0600, 1234},
        {"kept with the dotfiles", 1, 0644, 0},
        {"a link to a link to a private file", 2, 0640, 1234},
        {"a second name in the dotfiles", 0, 0600, 1234, true},
        {"linked, its file with a second name", 1, 0640, 0, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.story);
        LoginHome home;
        const std::string entry = home.userAutostart() + "/notes.desktop";
        const std::string written = row.links ? home.dir / "dotfiles/notes" : entry;
        kelvora::testing::writeAt(written, text);
        chown(written.c_str(), row.owner, row.owner);
        chmod(written.c_str(), row.mode);
        if (row.links == 2) home.link("notes", "dotfiles/link");
        if (row.links > 0)
            home.link(row.links == 2 ? "../../dotfiles/link" : written,
                      "config/autostart/notes.desktop");
        const std::string other = home.dir / "other-name";
        if (row.secondName) ASSERT_EQ(link(written.c_str(), other.c_str()), 0);
        const auto inode = fileInfo(written)->inode;
        const LoginItemSwitch toggle = home.autostartSwitch();
        ASSERT_EQ(switchListed(home, toggle, "openAtLogin:notes", false), std::nullopt);
        EXPECT_EQ(fileText(written), text + "Hidden=true\n");
        struct stat info {};
        ASSERT_EQ(lstat(entry.c_str(), &info), 0);
        EXPECT_EQ(S_ISLNK(info.st_mode), row.links > 0);
        ASSERT_EQ(stat(written.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, row.mode);
        EXPECT_EQ(info.st_uid, row.owner);
        EXPECT_EQ(info.st_gid, row.owner);
        if (row.secondName) {
            EXPECT_EQ(info.st_nlink, 2u);
            EXPECT_EQ(info.st_ino, inode);
            EXPECT_EQ(fileText(other), text + "Hidden=true\n");
        }
        ASSERT_EQ(switchListed(home, toggle, "openAtLogin:notes", true), std::nullopt);
        EXPECT_EQ(fileText(entry), text);
        if (row.secondName) EXPECT_EQ(fileText(other), text);
    }
}

namespace {

// A switch made as the app makes it, in a session whose menu entries lie in the test folder's
// data/applications and, through $XDG_DATA_DIRS, in usr-link/share/applications.
LoginItemSwitch sessionSwitch(const LoginHome& home) {
    kelvora::testing::Environment env;
    env.set("XDG_DATA_HOME", (home.dir / "data").c_str());
    env.set("XDG_DATA_DIRS", (home.dir / "usr-link/share").c_str());
    return home.autostartSwitch();
}

} // namespace

// A link to an app's menu entry is a common way to start the app at login. Off never writes
// through it, where Hidden=true would delete the app from the menu: a file of the autostart
// folder's own takes the link's place, and on gives the same link back while that file is
// still what Kelvora wrote, else switches the file on where it is. A link to anywhere else is
// written through, even into a folder named applications.
TEST(LoginItemSwitch, ALinkToAMenuEntryIsReplacedByAFileWhileOffAndGivenBackOn) {
    const std::string menuText = "[Desktop Entry]\nType=Application\nName=Chat\nExec=/bin/true\n";
    const std::string updated = menuText + "Comment=Talk\n";
    enum class Meanwhile {
        nothing,
        userEditsWhileOff,
        userEditsAsOnReplaces,
        menuUpdated,
        noteDamaged
    };
    struct Row {
        const char* story;
        std::string menuEntry; // in the test folder
        std::string target;    // as the link holds it; empty: the entry's full path
        Meanwhile meanwhile = Meanwhile::nothing;
        bool forEveryone = false; // the system's autostart folder has an entry of that name
        std::string exportedAt;   // a link in the menu to the entry, as Flatpak exports one
    };
    const std::string own = "data/applications/chat.desktop";
    const std::string systems = "usr/share/applications/net/chat.desktop";
    const Row rows[] = {
        {"the user's menu", own, ""},
        {"the system's menu, named through a link, a subfolder, linked relatively", systems,
         "../../usr/share/applications/net/chat.desktop"},
        {"the file edited by the user while off", own, "", Meanwhile::userEditsWhileOff},
        {"the file edited as on gives the link back", systems, "",
         Meanwhile::userEditsAsOnReplaces},
        {"the menu entry updated as off replaces the link", own, "", Meanwhile::menuUpdated},
        {"Kelvora's note damaged", own, "", Meanwhile::noteDamaged},
        {"standing in for an entry of everyone's", own, "", Meanwhile::nothing, true},
        {"a dotfiles folder named applications", "dotfiles/applications/chat.desktop", ""},
        {"a Flatpak's entry, linked from its exports", "data/flatpak/app/chat/export/chat.desktop",
         "", Meanwhile::nothing, false, "data/flatpak/exports/share/applications/chat.desktop"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.story);
        LoginHome home;
        const std::string menu = kelvora::testing::writeAt(home.dir / row.menuEntry, menuText);
        home.link(home.dir / "usr", "usr-link");
        if (!row.exportedAt.empty()) home.link(menu, row.exportedAt);
        const std::string target = !row.exportedAt.empty() ? home.dir / row.exportedAt
                                   : row.target.empty()    ? menu
                                                           : row.target;
        home.link(target, "config/autostart/chat.desktop");
        const std::string entry = home.userAutostart() + "/chat.desktop";
        if (row.forEveryone)
            kelvora::testing::writeAt(home.systemAutostart() + "/chat.desktop", menuText);
        const std::string id = row.forEveryone ? "globalAgent:chat" : "openAtLogin:chat";
        const bool intoMenu = row.menuEntry.rfind("dotfiles/", 0) != 0;
        LoginItemSwitch toggle = sessionSwitch(home);
        auto onceBeforeReplace = [&](std::function<void()> write) {
            toggle.beforeReplace = [write, done = false](const std::string&) mutable {
                if (!std::exchange(done, true)) write();
            };
        };
        if (row.meanwhile == Meanwhile::menuUpdated)
            onceBeforeReplace([&] { kelvora::testing::writeAt(menu, updated); });
        const std::string menuAfter = row.meanwhile == Meanwhile::menuUpdated ? updated : menuText;

        ASSERT_EQ(switchListed(home, toggle, id, false), std::nullopt);
        EXPECT_TRUE(listedOff(home, id));
        EXPECT_EQ(fileText(entry), menuAfter + "Hidden=true\n");
        EXPECT_EQ(fileInfo(entry) && fileInfo(entry)->isSymlink(), !intoMenu);
        if (!intoMenu) {
            ASSERT_EQ(switchListed(home, toggle, id, true), std::nullopt);
            EXPECT_EQ(fileText(menu), menuText);
            continue;
        }
        EXPECT_EQ(fileText(menu), menuAfter) << "the menu entry was written";

        const std::string edited = "# mine\n" + menuText + "Hidden=true\n";
        toggle.beforeReplace = nullptr;
        if (row.meanwhile == Meanwhile::userEditsWhileOff) kelvora::testing::writeAt(entry, edited);
        if (row.meanwhile == Meanwhile::userEditsAsOnReplaces)
            onceBeforeReplace([&] { kelvora::testing::writeAt(entry, edited); });
        if (row.meanwhile == Meanwhile::noteDamaged)
            kelvora::testing::writeAt(toggle.replacedLinks, "{\"links\": [");
        ASSERT_EQ(switchListed(home, toggle, id, true), std::nullopt);
        EXPECT_FALSE(listedOff(home, id));
        EXPECT_EQ(fileText(menu), menuAfter) << "the menu entry was written";
        const bool userEdited = row.meanwhile == Meanwhile::userEditsWhileOff ||
                                row.meanwhile == Meanwhile::userEditsAsOnReplaces;
        if (userEdited || row.meanwhile == Meanwhile::noteDamaged) {
            EXPECT_FALSE(fileInfo(entry) && fileInfo(entry)->isSymlink())
                << "the file was not kept";
            EXPECT_EQ(fileText(entry), userEdited ? "# mine\n" + menuText : menuText);
        } else {
            EXPECT_EQ(linkTarget(entry), target) << "the link was not given back as it was";
        }
        EXPECT_EQ(listFolder(URL::fileURL(home.userAutostart(), true)).entries.size(), 1u)
            << "a temporary was left behind";
    }
}

// Another program writing the entry between Kelvora's read and its rename keeps its change:
// the switch reads again and switches what is there; one that never stops writing is told.
TEST(LoginItemSwitch, AnotherProgramsWriteDuringASwitchIsKept) {
    LoginHome home;
    const std::string notes = home.entry(home.userAutostart(), "notes", "Exec=/bin/true\n");
    kelvora::testing::writeAt(home.systemAutostart() + "/tracker.desktop", kTracker);
    const std::string copy = home.userAutostart() + "/tracker.desktop";
    const std::string other = "[Desktop Entry]\nType=Application\nExec=/bin/true\nX-Other=1\n";
    const pid_t child = fork();
    if (child == 0) {
        int failed = 0;
        LoginItemSwitch toggle = home.autostartSwitch();
        int writes = 0;
        toggle.beforeReplace = [&](const std::string& path) {
            if (writes++ == 0) writeFileAtomically(path, other);
        };
        if (switchListed(home, toggle, "openAtLogin:notes", false) ||
            fileText(notes) != other + "Hidden=true\n")
            failed |= 1;
        // Kelvora's own copy, changed by the user just before it would be removed.
        toggle.beforeReplace = nullptr;
        if (switchListed(home, toggle, "globalAgent:tracker", false)) failed |= 2;
        writes = 0;
        toggle.beforeReplace = [&](const std::string& path) {
            if (writes++ == 0) writeFileAtomically(path, kTracker + "Hidden=true\nX-Mine=1\n");
        };
        if (switchListed(home, toggle, "globalAgent:tracker", true) ||
            fileText(copy) != kTracker + "Hidden=false\nX-Mine=1\n")
            failed |= 2;
        auto stillOff = [&] {
            return other + "X-Count=" + std::to_string(writes) + "\nHidden=true\n";
        };
        toggle.beforeReplace = [&](const std::string& path) {
            ++writes;
            writeFileAtomically(path, stillOff());
        };
        if (switchListed(home, toggle, "openAtLogin:notes", true) !=
                "Kelvora couldn’t switch it on. Another program kept changing " + notes +
                    " while Kelvora switched it." ||
            fileText(notes) != stillOff())
            failed |= 4;
        _exit(failed);
    }
    const int failed = kelvora::testing::waitForChild(child, "the switching child");
    EXPECT_EQ(failed & 1, 0) << "the other program's line was lost, or the entry not switched";
    EXPECT_EQ(failed & 2, 0) << "a copy the user changed meanwhile was removed";
    EXPECT_EQ(failed & 4, 0) << "a write that never stops was not told in plain words";
    EXPECT_NE(failed, -1);
}

// Another program's write between Kelvora's read and its own is seen whatever it is, a file
// put in the entry's place or an edit in place that keeps the size, and whether the entry has
// one name or two: the switch reads again and keeps that write.
TEST(LoginItemSwitch, AnotherProgramsWriteIsSeenEvenAtTheSameSizeAndThroughEveryName) {
    const std::string before = "[Desktop Entry]\nType=Application\nExec=/bin/true\nX-Other=0\n";
    const std::string after = replacingAll(before, "X-Other=0", "X-Other=1");
    struct Row {
        const char* story;
        bool secondName;
        bool inPlace; // else a new file renamed over it
    };
    const Row rows[] = {
        {"one name, the same size written in place", false, true},
        {"two names, the same size written in place", true, true},
        {"two names, replaced", true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.story);
        LoginHome home;
        const std::string notes =
            kelvora::testing::writeAt(home.userAutostart() + "/notes.desktop", before);
        const std::string kept = home.dir / "notes-kept";
        if (row.secondName) ASSERT_EQ(link(notes.c_str(), kept.c_str()), 0);
        // The file's times would not tell a write within the same tick as the one that made it.
        kelvora::testing::setTimes(notes, Date{}, Date{});
        const pid_t child = fork();
        if (child == 0) {
            LoginItemSwitch toggle = home.autostartSwitch();
            int writes = 0;
            toggle.beforeReplace = [&](const std::string& path) {
                if (writes++ > 0) return;
                if (!row.inPlace) {
                    writeFileAtomically(path, after);
                } else if (FILE* file = fopen(path.c_str(), "r+")) {
                    fputs(after.c_str(), file);
                    fclose(file);
                }
            };
            _exit(switchListed(home, toggle, "openAtLogin:notes", false) ? 1 : 0);
        }
        EXPECT_EQ(kelvora::testing::waitForChild(child, "the switching child"), 0);
        EXPECT_EQ(fileText(notes), after + "Hidden=true\n") << "the other program's write lost";
        if (row.secondName && row.inPlace) EXPECT_EQ(fileText(kept), after + "Hidden=true\n");
    }
}

// A switch killed before its rename leaves its hidden temporary beside the entry; the next
// switch takes it away, here and where a linked entry leads, and nothing of anyone else's that
// only looks like one: backups, rsync's temporaries, files not hidden.
TEST(LoginItemSwitch, ASwitchCutShortLeavesNothingBehindOnceTheNextOneRuns) {
    LoginHome home;
    const std::string text = "[Desktop Entry]\nType=Application\nExec=/bin/true\n";
    const std::string notes =
        kelvora::testing::writeAt(home.userAutostart() + "/notes.desktop", text);
    const std::string linked =
        kelvora::testing::writeAt(home.dir / "dotfiles/linked.desktop", text);
    home.link(linked, "config/autostart/linked.desktop");
    const pid_t child = fork();
    if (child == 0) {
        LoginItemSwitch toggle = home.autostartSwitch();
        toggle.beforeReplace = [](const std::string&) { kill(getpid(), SIGKILL); };
        switchListed(home, toggle, "openAtLogin:notes", false);
        _exit(0);
    }
    kelvora::testing::waitForChild(child, "the switch that is killed");
    auto hidden = [&](const std::string& folder) {
        std::vector<std::string> names;
        for (const FileInfo& info : listFolder(URL::fileURL(folder, true)).entries)
            if (info.hidden) names.push_back(info.name);
        return names;
    };
    ASSERT_EQ(hidden(home.userAutostart()).size(), 1u);
    EXPECT_EQ(writtenByTemporary(hidden(home.userAutostart())[0]), "notes.desktop");
    EXPECT_EQ(fileText(notes), text);

    const std::vector<std::string> lookAlikes = {".dir.desktop.kelvora-tmp-Ab12Cd",
                                                 ".gone.desktop.kelvora-tmp-Xy-9Zq",
                                                 ".link.desktop.kelvora-tmp-Ab12Cd",
                                                 ".notes.desktop.Ab12Cd",
                                                 ".notes.desktop.bak",
                                                 ".notes.desktop.kelvora-bak-Ab12Cd",
                                                 ".plain.desktop.backup",
                                                 ".readme.txt.kelvora-tmp-Ab12Cd"};
    for (const char* name : {".notes.desktop.Ab12Cd", ".notes.desktop.bak",
                             ".notes.desktop.kelvora-bak-Ab12Cd", ".plain.desktop.backup",
                             ".readme.txt.kelvora-tmp-Ab12Cd", ".gone.desktop.kelvora-tmp-Xy-9Zq",
                             "notes.desktop.backup", "notes.desktop.kelvora-tmp-Ab12Cd"})
        home.dir.write("config/autostart/" + std::string(name));
    home.link(notes, "config/autostart/.link.desktop.kelvora-tmp-Ab12Cd");
    home.dir.mkdir("config/autostart/.dir.desktop.kelvora-tmp-Ab12Cd");
    home.dir.write("dotfiles/.linked.desktop.201901");
    home.dir.write("dotfiles/.linked.desktop.kelvora-tmp-Yz12Ab");
    // Left by switches cut short while they wrote a copy that was not there yet.
    home.dir.write("config/autostart/.tracker.desktop.kelvora-tmp-q0Zr7K");
    home.dir.write("dotfiles/.linked.desktop.kelvora-tmp-q0Zr7K");
    link((home.dir / "dotfiles/.linked.desktop.kelvora-tmp-Yz12Ab").c_str(),
         (home.dir / "dotfiles/Yz12Ab").c_str());
    ASSERT_EQ(switchListed(home, home.autostartSwitch(), "openAtLogin:linked", false),
              std::nullopt);
    EXPECT_EQ(hidden(home.userAutostart()), lookAlikes);
    EXPECT_TRUE(fileExists(home.userAutostart() + "/notes.desktop.backup"));
    EXPECT_TRUE(fileExists(home.userAutostart() + "/notes.desktop.kelvora-tmp-Ab12Cd"));
    EXPECT_EQ(
        hidden(home.dir / "dotfiles"),
        (std::vector<std::string>{".linked.desktop.201901", ".linked.desktop.kelvora-tmp-Yz12Ab"}))
        << "only Kelvora's own temporary, with no other name, is taken";
    EXPECT_EQ(fileText(linked), text + "Hidden=true\n");
}

// Where $XDG_CONFIG_DIRS names the user's own configuration folder (here through a link), that
// folder holds the user's entries, not the system's: switching one keeps it.
TEST(LoginItemSwitch, TheUsersOwnFolderAmongTheConfigDirsHoldsNoSystemEntries) {
    LoginHome home;
    const std::string notes = home.entry(home.userAutostart(), "notes", "Exec=/bin/true\n");
    const std::string text = fileText(notes).value();
    home.link(home.dir / "config", "also-config");
    const pid_t child = fork();
    if (child == 0) {
        int failed = 0;
        setenv("XDG_CONFIG_HOME", (home.dir / "config").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", (home.dir / "also-config:" + home.dir / "xdg").c_str(), 1);
        if (configDirs() != std::vector<URL>{URL::fileURL(home.dir / "xdg", true)}) failed |= 1;
        LoginItemScanner scanner = kelvora::testing::isolatedScanner(home.dir);
        scanner.configDirs = configDirs();
        auto items = scanner.scan();
        if (!kelvora::testing::byID(items, "openAtLogin:notes") || items.size() != 1) failed |= 2;
        LoginItemSwitch toggle;
        for (bool on : {false, true})
            for (const LoginItem& item : items)
                if (toggle.set(item, on)) failed |= 4;
        if (fileText(notes) != text) failed |= 8;
        _exit(failed);
    }
    const int failed = kelvora::testing::waitForChild(child, "the child with its own config dirs");
    EXPECT_EQ(failed & 1, 0) << "the user's own folder counted as a system folder";
    EXPECT_EQ(failed & 2, 0) << "the user's entry was not listed as theirs";
    EXPECT_EQ(failed & 12, 0) << "switching the entry off and on did not give it back";
    EXPECT_NE(failed, -1);
}
