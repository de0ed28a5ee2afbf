#include "login/AutostartEntries.h"
#include "login/LoginItemNames.h"
#include "login/LoginItemScanner.h"
#include "login/LoginItemSwitch.h"
#include "login/SandboxLaunch.h"
#include "support/LoginFixtures.h"
#include "support/RunningProgram.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace kelvora;
using kelvora::testing::byID;
using kelvora::testing::expectListed;

namespace {

using State = LoginItem::State;

struct AutostartHome : kelvora::testing::LoginHome {
    LoginItemScanner scanner(std::vector<std::string> desktops, std::string locale) const {
        LoginItemScanner scanner = kelvora::testing::isolatedScanner(dir);
        scanner.configDirs = {URL::fileURL(dir / "xdg", true), URL::fileURL(dir / "xdg2", true)};
        scanner.programRuns = ProcessTable::programRuns;
        scanner.desktops = std::move(desktops);
        scanner.locale = std::move(locale);
        return scanner;
    }
};

} // namespace

// The user's entries and those for everyone, read as GNOME (in French) and KDE read them.
TEST(AutostartEntries, ListedWithTheStateTheDesktopGivesThemAndTheirOwnNames) {
    AutostartHome home;
    const std::string user = home.userAutostart(), system = home.systemAutostart();
    std::string notes = home.dir / "bin/notes-daemon";
    kelvora::testing::RunningProgram running(notes);
    // Switched off while it runs: it won't start at the next login, and runs on until then.
    kelvora::testing::RunningProgram mailRuns(home.dir / "bin/mail-daemon");
    // A script runs as its shell started on it, whether the entry names the script or the
    // shell and the script.
    kelvora::testing::RunningScript agent(home.dir / "home/bin/agent.sh");
    home.entry(user, "notes",
               "Name=Notes\nName[fr]=Bloc-notes\nComment=Keeps notes\n"
               "Comment[fr]=Garde vos notes\nExec=" +
                   notes + " --tray %U\n");
    home.entry(user, "chat",
               "Name=Chat\nExec=" + home.program("chat") + "\nX-GNOME-Autostart-enabled=false\n");
    home.entry(user, "mail", "Name=Mail\nExec=" + home.dir / "bin/mail-daemon" + "\nHidden=true\n");
    home.entry(user, "gone", "Name=Gone\nExec=/opt/removed/bin/gone\n");
    home.entry(user, "agent", "Name=Agent\nExec=" + home.dir / "home/bin/agent.sh" + "\n");
    home.entry(user, "agent-sh", "Name=Agent\nExec=env LANG=C sh ~/bin/agent.sh --quiet\n");
    home.entry(user, "try", "Name=Try\nExec=/bin/sh\nTryExec=/opt/removed/try\n");
    home.entry(user, "com.dropbox.Client", "Name=Mine\nExec=" + home.program("dropbox") + "\n");
    home.link(home.dir / "removed/old.desktop", "config/autostart/old.desktop");
    // For everyone: one turned off for this user by a copy, one of another desktop, a link.
    home.entry(system, "tracker", "Name=Tracker\nExec=" + home.program("tracker") + "\n");
    home.entry(home.dir / "xdg2/autostart", "tracker", "Name=Second\nExec=/bin/true\n");
    home.entry(user, "tracker",
               "Name=Tracker\nExec=" + home.program("tracker") + "\nHidden=true\n");
    home.entry(system, "gnome-only",
               "Name=Shell helper\nExec=" + home.program("helper") + "\nOnlyShowIn=GNOME;\n");
    home.entry(system, "not-kde",
               "Name=Panel\nExec=" + home.program("panel") + "\nNotShowIn=KDE;\n");
    home.dir.write("xdg/autostart/link.desktop",
                   "[Desktop Entry]\nType=Link\nURL=https://example.com\n");

    const State runs = State::running(running.pid());
    const State scriptRuns = State::running(agent.pid());
    struct Row {
        std::string id;
        State gnome;
        State kde;
        std::string frenchName;
        bool leftover;
    };
    const std::vector<Row> rows = {
        {"openAtLogin:notes", runs, runs, "Bloc-notes", false},
        {"openAtLogin:chat", State::off(), State::off(), "Chat", false},
        {"openAtLogin:mail", State::offRunning(mailRuns.pid()), State::offRunning(mailRuns.pid()),
         "Mail", false},
        {"openAtLogin:gone", State::waiting(), State::waiting(), "Gone", true},
        {"openAtLogin:agent", scriptRuns, scriptRuns, "Agent", false},
        {"openAtLogin:agent-sh", scriptRuns, scriptRuns, "Agent", false},
        {"openAtLogin:try", State::waiting(), State::waiting(), "Try", true},
        {"openAtLogin:com.dropbox.Client", State::waiting(), State::waiting(), "Dropbox", false},
        {"openAtLogin:old", State::waiting(), State::waiting(), "old", true},
        {"globalAgent:tracker", State::off(), State::off(), "Tracker", false},
        {"globalAgent:gnome-only", State::waiting(), State::notLoaded(), "Shell helper", false},
        {"globalAgent:not-kde", State::waiting(), State::notLoaded(), "Panel", false},
    };
    for (bool gnome : {true, false}) {
        SCOPED_TRACE(gnome ? "GNOME" : "KDE");
        ASSERT_NO_FATAL_FAILURE(expectListed(
            home.scanner({gnome ? "GNOME" : "KDE"}, gnome ? "fr_FR.UTF-8" : "C").scan(), rows,
            LoginItem::Mechanism::autostart, [&](const Row& row, const LoginItem& item) {
                EXPECT_EQ(item.state, gnome ? row.gnome : row.kde);
                EXPECT_EQ(item.isLeftover(), row.leftover);
                EXPECT_EQ(item.desktopNote.has_value(), item.state == State::notLoaded());
                if (gnome) EXPECT_EQ(item.name, row.frenchName);
            }));
    }
    auto french = home.scanner({"GNOME"}, "fr_FR.UTF-8").scan();
    EXPECT_EQ(byID(french, "openAtLogin:notes")->purpose, "Garde vos notes");
    EXPECT_EQ(byID(french, "openAtLogin:notes")->program->path(), notes);
    EXPECT_EQ(byID(french, "openAtLogin:gone")->purpose, LoginItemNames::kLeftBehindPurpose);
    const LoginItem* tracker = byID(french, "globalAgent:tracker");
    EXPECT_EQ(tracker->file->path(), system + "/tracker.desktop") << "the first folder wins";
    EXPECT_EQ(tracker->userCopy->path(), user + "/tracker.desktop");
    auto kde = home.scanner({"KDE"}, "C").scan();
    EXPECT_EQ(*byID(kde, "globalAgent:gnome-only")->desktopNote,
              "It is set to start only on GNOME, so KDE doesn’t start it.");
    EXPECT_EQ(*byID(kde, "globalAgent:not-kde")->desktopNote,
              "It is set not to start on KDE, so it doesn’t start here.");
}

// Switching writes only the user's own entries, keeping every other line, and a system
// entry's copy comes and goes.
TEST(AutostartEntries, SwitchingWritesTheUsersEntriesAndNothingElse) {
    AutostartHome home;
    const std::string own = "Name=Notes\n# the user's note\nExec=/bin/true\nX-Custom=kept\n";
    std::string user = home.entry(home.userAutostart(), "notes", own);
    std::string system =
        home.entry(home.systemAutostart(), "tracker", "Name=Tracker\nExec=/bin/true\n");
    const std::string systemText = fileText(system).value();
    LoginItemSwitch toggle([](const std::string&, const std::vector<std::string>&) {
        ADD_FAILURE() << "no tool runs for an autostart entry";
        return std::optional<int32_t>(0);
    });
    toggle.userAutostart = URL::fileURL(home.userAutostart(), true);
    auto scan = [&] { return home.scanner({"GNOME"}, "C").scan(); };
    auto find = [&](const std::string& id) { return *byID(scan(), id); };

    ASSERT_EQ(toggle.set(find("openAtLogin:notes"), false), std::nullopt);
    EXPECT_EQ(fileText(user), "[Desktop Entry]\nType=Application\n" + own + "Hidden=true\n");
    EXPECT_TRUE(find("openAtLogin:notes").isOff());
    ASSERT_EQ(toggle.set(find("openAtLogin:notes"), true), std::nullopt);
    EXPECT_EQ(fileText(user), "[Desktop Entry]\nType=Application\n" + own);
    EXPECT_FALSE(find("openAtLogin:notes").isOff());

    std::string copy = home.userAutostart() + "/tracker.desktop";
    ASSERT_EQ(toggle.set(find("globalAgent:tracker"), false), std::nullopt);
    EXPECT_EQ(fileText(copy), systemText + "Hidden=true\n");
    EXPECT_TRUE(find("globalAgent:tracker").isOff());
    ASSERT_EQ(toggle.set(find("globalAgent:tracker"), true), std::nullopt);
    EXPECT_FALSE(fileExists(copy)) << "the copy only switched it off";
    EXPECT_EQ(find("globalAgent:tracker").state, State::waiting());
    EXPECT_EQ(fileText(system), systemText);

    // A copy the user made their own is switched on, not removed.
    writeFileAtomically(copy, systemText + "Hidden=true\nX-GNOME-Autostart-Delay=30\n");
    ASSERT_EQ(toggle.set(find("globalAgent:tracker"), true), std::nullopt);
    EXPECT_EQ(fileText(copy), systemText + "Hidden=false\nX-GNOME-Autostart-Delay=30\n");

    // Nowhere to write: said in plain words, nothing changed.
    removeItem(copy);
    writeFileAtomically(home.dir / "blocked", "a file");
    toggle.userAutostart = URL::fileURL(home.dir / "blocked/autostart", true);
    auto refused = toggle.set(find("globalAgent:tracker"), false);
    ASSERT_TRUE(refused);
    EXPECT_TRUE(refused->starts_with("Kelvora couldn’t switch it off. Could not ")) << *refused;
    EXPECT_EQ(fileText(system), systemText);
}

// An entry that starts a Flatpak or a snap is named, and said to open, by that app's own entry
// in the user's language, with its icon: the desktop's background portal writes only the
// app's id. One whose app no installation holds is a leftover, but only while every
// installation could be read.
TEST(AutostartEntries, FlatpaksAndSnapsAreNamedByTheirAppsOwnEntries) {
    AutostartHome home;
    const std::string user = home.userAutostart();
    const std::string userFlatpak = home.dir / "data/flatpak";
    auto install = [&](const std::string& installation, const std::string& id,
                       const std::string& keys) {
        createDirectories(installation + "/app/" + id + "/current");
        home.entry(installation + "/exports/share/applications", id, keys);
    };
    install(userFlatpak, "org.telegram.desktop",
            "Name=Telegram Desktop\nName[fr]=Télégramme\nIcon=org.telegram.desktop\n");
    const std::string telegramIcon = kelvora::testing::writeAt(
        userFlatpak + "/exports/share/icons/hicolor/128x128/apps/org.telegram.desktop.png");
    install(home.dir / "system/var/lib/flatpak", "org.signal.Signal",
            "Name=Signal\nIcon=org.signal.Signal\n");
    home.entry(home.dir / "system/var/lib/snapd/desktop/applications", "slack_slack",
               "Name=Slack\nName[fr]=Slack (fr)\nIcon=/snap/slack/12/meta/gui/icon.png\n");
    home.dir.write("system/var/lib/snapd/snaps/slack_12.snap");

    home.entry(user, "org.telegram.desktop",
               "Name=org.telegram.desktop\nExec=flatpak run --command=telegram-desktop "
               "org.telegram.desktop -startintray\nX-Flatpak=org.telegram.desktop\n");
    home.entry(user, "signal",
               "Name=Signal (tray)\nIcon=signal-own\nExec=/usr/bin/flatpak run --branch stable "
               "--arch=x86_64 org.signal.Signal --start-in-tray\n");
    home.entry(user, "signal-env",
               "Exec=env GDK_SCALE=2 flatpak run --command signal-desktop org.signal.Signal\n");
    home.entry(user, "removed", "Name=org.removed.App\nExec=flatpak run org.removed.App\n");
    home.entry(user, "slack", "Name=slack\nExec=snap run slack -u\n");
    home.entry(user, "gone-snap", "Name=Gone\nExec=snap run gone.daemon\n");

    struct Row {
        std::string id;
        std::string name;
        std::string purpose;
        std::string icon;
        bool leftover;
    };
    const std::string opens = " when you log in.";
    const std::vector<Row> rows = {
        {"openAtLogin:org.telegram.desktop", "Télégramme", "Opens Télégramme" + opens, telegramIcon,
         false},
        {"openAtLogin:signal", "Signal", "Opens Signal" + opens, "signal-own", false},
        {"openAtLogin:signal-env", "Signal", "Opens Signal" + opens, "org.signal.Signal", false},
        {"openAtLogin:removed", "org.removed.App", LoginItemNames::kLeftBehindPurpose, "", true},
        {"openAtLogin:slack", "Slack (fr)", "Opens Slack (fr)" + opens,
         "/snap/slack/12/meta/gui/icon.png", false},
        {"openAtLogin:gone-snap", "Gone", LoginItemNames::kLeftBehindPurpose, "", true},
    };
    auto scan = [&] { return home.scanner({"GNOME"}, "fr_FR.UTF-8").scan(); };
    ASSERT_NO_FATAL_FAILURE(expectListed(scan(), rows, LoginItem::Mechanism::autostart,
                                         [](const Row& row, const LoginItem& item) {
                                             EXPECT_EQ(item.name, row.name);
                                             EXPECT_EQ(item.purpose, row.purpose);
                                             EXPECT_EQ(item.icon.value_or(""), row.icon);
                                             EXPECT_EQ(item.isLeftover(), row.leftover);
                                         }));

    // An installation that cannot be read might hold the app: nothing is taken for gone.
    home.dir.write("system/etc/flatpak/installations.d/extra.conf",
                   "[Installation \"extra\"]\nPath=" + home.dir / "extra" + "\n");
    home.dir.mkdir("extra");
    ASSERT_EQ(symlink("app", (home.dir / "extra/app").c_str()), 0) << "a loop of links";
    auto unsure = scan();
    EXPECT_FALSE(byID(unsure, "openAtLogin:removed")->isLeftover());
    EXPECT_TRUE(byID(unsure, "openAtLogin:gone-snap")->isLeftover()) << "snapd still answers";
}

// The app of each `flatpak run` line, its options read as flatpak takes them: a value after
// "=" or as the next word, flags alone or bundled. An option flatpak does not take, or one
// given as it would not take it, leaves the app unknown.
TEST(SandboxLaunch, FlatpakRunNamesItsAppAfterEveryOptionItTakes) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"flatpak run org.app.Id %U", "org.app.Id"},
        {"flatpak run --talk-name org.kde.StatusNotifierWatcher com.discordapp.Discord",
         "com.discordapp.Discord"},
        {"/usr/bin/flatpak run --branch=stable --arch x86_64 -p --filesystem ~/Music "
         "--env=A=B --command sh org.app.Id --arg",
         "org.app.Id"},
        {"flatpak run --socket wayland --device dri --own-name org.x.Y --system-talk-name "
         "org.freedesktop.UPower --persist .x --unset-env DISPLAY -vd org.app.Id",
         "org.app.Id"},
        {"env GDK_SCALE=2 flatpak run -u --sandbox --command=sh -- org.app.Id", "org.app.Id"},
        {"flatpak run --frobnicate org.app.Id", std::nullopt},
        {"flatpak run --devel=yes org.app.Id", std::nullopt},
        {"flatpak run -x org.app.Id", std::nullopt},
        {"flatpak run -- --devel org.app.Id", std::nullopt},
        {"flatpak run --command telegram", std::nullopt},
        {"flatpak run --talk-name", std::nullopt},
    };
    for (const auto& [exec, app] : cases)
        EXPECT_EQ(
            SandboxLaunch::flatpakID(DesktopEntry::parse("[Desktop Entry]\nExec=" + exec + "\n")),
            app)
            << exec;
}
