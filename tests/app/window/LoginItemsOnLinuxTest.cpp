#include "app/controller/ControllerFixture.h"
#include "app/support/VirtualDisplay.h"
#include "app/support/WindowSteps.h"
#include "support/RunningProgram.h"

#include "controller/Updater.h"
#include "design/PaintedText.h"
#include "login/LoginItemScanner.h"
#include "login/LoginSettings.h"
#include "panes/LoginItemsList.h"
#include "panes/LoginItemsText.h"
#include "panes/LoginItemsView.h"
#include "panes/ShelfPage.h"
#include "panes/ShelfView.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "window/DetailSidebar.h"
#include "window/DetailedView.h"
#include "window/HeaderBar.h"
#include "window/MainWindow.h"
#include "window/ModeSwitch.h"
#include "window/RootView.h"

#include "platform/DesktopEntry.h"
#include <QPushButton>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace kelvora::testing {
namespace {

// A desktop as a new user meets it: its name, the language of the session and the names its
// entries show in that language.
struct Desktop {
    const char* name;
    const char* lang;
    struct Row {
        const char* id;
        const char* name;
        const char* badge;
    };
    std::vector<Row> rows;
    const char* counts;
    const char* settings; // the header's button, naming what it opens
};

std::ostream& operator<<(std::ostream& out, const Desktop& desktop) {
    return out << desktop.name;
}

const std::vector<Desktop> kDesktops = {
    {"GNOME",
     "fr_FR.UTF-8",
     {{"openAtLogin:notes", "Bloc-notes", "RUNNING"},
      {"openAtLogin:chat", "Discussion", "ON"},
      {"openAtLogin:oldsync", "Ancienne synchro", "LEFTOVER"},
      {"openAtLogin:org.telegram.desktop", "Télégramme", "ON"},
      {"globalAgent:indexer", "Indexeur", "OFF"},
      {"userAgent:photo-backup.service", "Photo backup", "WAITING"},
      {"userAgent:syncthing.service", "File sync", "WAITING"}},
     "5 start when you log in · 1 running now",
     "Open Startup Applications"},
    {"KDE",
     "en_GB.UTF-8",
     {{"openAtLogin:notes", "Notes", "RUNNING"},
      {"openAtLogin:chat", "Chat", "NOT ON THIS DESKTOP"},
      {"openAtLogin:oldsync", "Old sync", "LEFTOVER"},
      {"openAtLogin:org.telegram.desktop", "Telegram", "ON"},
      {"globalAgent:indexer", "Indexer", "OFF"},
      {"userAgent:photo-backup.service", "Photo backup", "WAITING"},
      {"userAgent:syncthing.service", "File sync", "WAITING"}},
     "4 start when you log in · 1 running now",
     "Open Autostart settings"},
};

// The real window on a home holding what a Linux desktop starts at login: two autostart
// entries of the user's (one only for GNOME), one installed for everyone that the user
// turned off, one systemd unit of the user's and a packaged one the user enabled, and an
// entry whose program was removed. Everything is read and switched by the live code, with
// the stand-in systemctl in place of systemd's.
class LoginItemsOnLinuxTest : public ControllerTest, public ::testing::WithParamInterface<Desktop> {
protected:
    void SetUp() override {
        Prefs::setBoolean(Prefs::Key::welcomeDone, true);
        setenv("XDG_DATA_DIRS", (env.dir() / "share").c_str(), 1);
    }

    std::string autostart() const { return env.config() + "/autostart"; }
    std::string units() const { return env.config() + "/systemd/user"; }
    std::string program(const std::string& name, const std::string& text = "#!/bin/sh\n") {
        std::string path = write("bin/" + name, text);
        chmod(path.c_str(), 0755);
        return path;
    }
    static void entry(const std::string& path, const std::string& keys) {
        createDirectories(parentPath(path));
        writeFileAtomically(path, "[Desktop Entry]\nType=Application\n" + keys);
    }

    void writeHome(const std::string& notesProgram) {
        entry(autostart() + "/notes.desktop", "Name=Notes\nName[fr]=Bloc-notes\n"
                                              "Comment[fr]=Garde vos notes\nExec=" +
                                                  notesProgram + " --tray\n");
        entry(autostart() + "/chat.desktop", "Name=Chat\nName[fr]=Discussion\nExec=" +
                                                 program("chat") + " %U\nOnlyShowIn=GNOME;\n");
        entry(autostart() + "/oldsync.desktop",
              "Name=Old sync\nName[fr]=Ancienne synchro\nExec=/opt/removed/bin/oldsync\n");
        // As the desktop's background portal writes it, for the user's own Flatpak.
        entry(autostart() + "/org.telegram.desktop.desktop",
              "Name=org.telegram.desktop\nExec=flatpak run --command=telegram-desktop "
              "org.telegram.desktop\nX-Flatpak=org.telegram.desktop\n");
        createDirectories(env.data() + "/flatpak/app/org.telegram.desktop/current");
        entry(env.data() + "/flatpak/exports/share/applications/org.telegram.desktop.desktop",
              "Name=Telegram\nName[fr]=Télégramme\n");
        entry(env.configDirs() + "/autostart/indexer.desktop",
              "Name=Indexer\nName[fr]=Indexeur\nExec=" + program("indexer") + "\n");
        entry(autostart() + "/indexer.desktop",
              "Name=Indexer\nName[fr]=Indexeur\nExec=" + program("indexer") + "\nHidden=true\n");
        env.dir().write("config/systemd/user/photo-backup.service",
                        "[Unit]\nDescription=Photo backup\n[Service]\nExecStart=" +
                            program("backupd", "#!/bin/sh\nexit 0\n") +
                            "\n[Install]\nWantedBy=default.target\n");
        createDirectories(units() + "/default.target.wants");
        symlink((units() + "/photo-backup.service").c_str(),
                (units() + "/default.target.wants/photo-backup.service").c_str());
        // As `systemctl --user enable syncthing` links the unit a package installed.
        const std::string packaged =
            env.dir().write("share/systemd/user/syncthing.service",
                            "[Unit]\nDescription=File sync\n[Service]\nExecStart=" +
                                program("syncthing", "#!/bin/sh\nexit 0\n") +
                                " serve\n[Install]\nWantedBy=default.target\n");
        symlink(packaged.c_str(), (units() + "/default.target.wants/syncthing.service").c_str());
    }

    std::unique_ptr<AppModel> liveModel() {
        AppModel::Tools tools = this->tools();
        AppModel::Tools live = AppModel::Tools::live();
        // The live reading, but not of this machine's own system services.
        tools.readLoginItems = AppModel::Tools::loginReader([this] {
            LoginItemScanner scanner = LoginItemScanner::live();
            scanner.systemUnits = URL::fileURL(env.dir() / "system", true);
            return scanner;
        });
        tools.switchLoginItem = live.switchLoginItem;
        tools.openLoginSettings = [this] { ++settingsOpened; };
        // As on a desktop whose own settings are installed.
        tools.loginSettingsPlace = [] {
            return LoginSettings::find(currentDesktops(),
                                       [](const std::string& name) { return "/usr/bin/" + name; },
                                       {})
                .place;
        };
        return makeModel(tools);
    }

    static const LoginListLayout::Row* row(LoginItemsView& pane, const std::string& id) {
        return pane.list()->layout().rowOf(id);
    }
    // Presses the row's one button and waits until the list read again after it shows the
    // row as `done` says.
    static void press(LoginItemsView& pane, AppModel& model, const std::string& id,
                      const QString& title,
                      const std::function<bool(const LoginListLayout::Row*)>& done) {
        const auto* found = row(pane, id);
        ASSERT_TRUE(found) << id;
        ASSERT_EQ(found->action.title, title) << id;
        QTest::mouseClick(pane.list(), Qt::LeftButton, {}, found->button.center().toPoint());
        ASSERT_TRUE(waitUntil([&] { return !model.isChangingFiles() && done(row(pane, id)); }))
            << id << " after " << title.toStdString();
        ASSERT_FALSE(model.loginError()) << *model.loginError();
    }
    static bool isOff(const LoginListLayout::Row* shown) { return shown && shown->item.isOff(); }
    static bool isOn(const LoginListLayout::Row* shown) { return shown && !shown->item.isOff(); }

    std::string systemctlCalls() const {
        return fileText(env.data() + "/Kelvora/systemctl-calls.log").value_or("");
    }

    int settingsOpened = 0;
    DesktopSession session_{GetParam().name, GetParam().lang};
};

TEST_P(LoginItemsOnLinuxTest, ThePaneListsSwitchesAndShelvesWhatTheDesktopStarts) {
    KELVORA_ON_VIRTUAL_DISPLAY();
    const Desktop& desktop = GetParam();
    const std::string notes = env.home() + "/bin/notes-daemon";
    RunningProgram running(notes);
    writeHome(notes);
    auto model = liveModel();
    Updater updater;
    MainWindow window(*model, updater);
    ASSERT_NO_FATAL_FAILURE(showAndScan(window, *model));
    QTest::mouseClick(window.root()->header()->modeSwitch()->segment(AppModel::ViewMode::detailed),
                      Qt::LeftButton);
    DetailedView* detailed = detailedView(window);
    ASSERT_NO_FATAL_FAILURE(clickSidebarRow(window, Sidebar::Destination::loginItems));
    ASSERT_TRUE(waitUntil([&] { return detailed->pane() == DetailedPane::loginItems; }));
    auto* pane = qobject_cast<LoginItemsView*>(detailed->paneWidget());
    ASSERT_TRUE(pane);
    ASSERT_TRUE(waitUntil([&] { return model->loginItems().has_value(); }));

    // Exactly what starts, with the names of the session's language and the right states;
    // the header counts what "At login" says starts.
    ASSERT_EQ(pane->list()->layout().rows.size(), desktop.rows.size());
    for (const auto& expected : desktop.rows) {
        SCOPED_TRACE(expected.id);
        const auto* shown = row(*pane, expected.id);
        ASSERT_TRUE(shown);
        EXPECT_EQ(shown->item.name, expected.name);
        EXPECT_EQ(LoginItemsText::badgeLabel(shown->item), expected.badge);
    }
    EXPECT_EQ(pane->findChild<PaintedText*>("loginCounts")->text().toStdString(), desktop.counts);
    int starting = 0;
    for (const LoginItem& item : *model->loginItems())
        starting += LoginItemsText::atLogin(item) == "Starts";
    EXPECT_TRUE(QString(desktop.counts).startsWith(QString::number(starting) + " start"));
    EXPECT_EQ(row(*pane, "openAtLogin:notes")->item.state.pid, running.pid());
    // Off on KDE as it is written into the entry: for every desktop.
    EXPECT_EQ(row(*pane, "openAtLogin:chat")->action.title,
              std::string(desktop.name) == "KDE" ? "Turn off everywhere" : "Turn off");

    // The entry installed for everyone: on removes the user's hiding copy, off writes it.
    const std::string copy = autostart() + "/indexer.desktop";
    ASSERT_NO_FATAL_FAILURE(press(*pane, *model, "globalAgent:indexer", "Turn on", isOn));
    EXPECT_FALSE(fileExists(copy));
    EXPECT_EQ(row(*pane, "globalAgent:indexer")->item.state, LoginItem::State::waiting());
    ASSERT_NO_FATAL_FAILURE(press(*pane, *model, "globalAgent:indexer", "Turn off", isOff));
    EXPECT_TRUE(DesktopEntry::read(copy)->flag("Hidden"));
    EXPECT_TRUE(fileExists(env.configDirs() + "/autostart/indexer.desktop"));

    // The unit, through systemctl (the stand-in): off removes its link, on makes it again.
    const std::string link = units() + "/default.target.wants/photo-backup.service";
    const std::string unit = "userAgent:photo-backup.service";
    ASSERT_NO_FATAL_FAILURE(press(*pane, *model, unit, "Turn off", isOff));
    EXPECT_FALSE(fileExists(link));
    ASSERT_NO_FATAL_FAILURE(press(*pane, *model, unit, "Turn on", isOn));
    EXPECT_TRUE(fileExists(link));
    EXPECT_NE(systemctlCalls().find("--user disable --now photo-backup.service\n"
                                    "--user show-environment\n"
                                    "--user show --property="),
              std::string::npos)
        << systemctlCalls();
    EXPECT_NE(systemctlCalls().find("--user enable --now photo-backup.service\n"),
              std::string::npos);

    // The packaged unit: off takes away the link that was all that listed it, and the row
    // stays, off and no longer counted; on gives back the very link.
    const std::string packagedLink = units() + "/default.target.wants/syncthing.service";
    const auto enabledTo = linkTarget(packagedLink);
    ASSERT_TRUE(enabledTo);
    const std::string packaged = "userAgent:syncthing.service";
    auto* counts = pane->findChild<PaintedText*>("loginCounts");
    const int countedOn = std::stoi(counts->text().toStdString());
    ASSERT_NO_FATAL_FAILURE(press(*pane, *model, packaged, "Turn off", isOff));
    EXPECT_FALSE(linkTarget(packagedLink));
    EXPECT_EQ(LoginItemsText::badgeLabel(row(*pane, packaged)->item), "OFF");
    EXPECT_EQ(std::stoi(counts->text().toStdString()), countedOn - 1);
    ASSERT_NO_FATAL_FAILURE(press(*pane, *model, packaged, "Turn on", isOn));
    EXPECT_EQ(linkTarget(packagedLink), enabledTo);
    EXPECT_EQ(std::stoi(counts->text().toStdString()), countedOn);

    // The leftover entry goes onto the Undo Shelf and comes back from it.
    const std::string leftover = autostart() + "/oldsync.desktop";
    ASSERT_NO_FATAL_FAILURE(press(*pane, *model, "openAtLogin:oldsync", "Remove",
                                  [](const LoginListLayout::Row* shown) { return !shown; }));
    EXPECT_FALSE(fileExists(leftover));
    ASSERT_EQ(model->sweeps().size(), 1u);
    clickSidebarRow(window, Sidebar::Destination::shelf);
    ASSERT_TRUE(waitUntil([&] { return detailed->pane() == DetailedPane::shelf; }));
    auto* shelf = qobject_cast<ShelfView*>(detailed->paneWidget());
    ASSERT_TRUE(waitUntil([&] { return shelf->page()->layout().sections.size() == 1u; }));
    const QRectF putBack = shelf->page()->layout().sections[0].row(0).button;
    QTest::mouseClick(shelf->page(), Qt::LeftButton, {}, putBack.center().toPoint());
    ASSERT_TRUE(waitUntil([&] { return fileExists(leftover) && !model->shelfBusy(); }));
    clickSidebarRow(window, Sidebar::Destination::loginItems);
    ASSERT_TRUE(waitUntil([&] {
        auto* again = qobject_cast<LoginItemsView*>(detailed->paneWidget());
        return again && again->list()->layout().rowOf("openAtLogin:oldsync");
    }));
    pane = qobject_cast<LoginItemsView*>(detailed->paneWidget());
    EXPECT_EQ(row(*pane, "openAtLogin:oldsync")->item.name, desktop.rows[2].name);

    // No button does nothing: the header's opens the desktop's settings, and says which.
    auto* settings = pane->findChild<QPushButton*>("openLoginSettings");
    EXPECT_EQ(settings->text().toStdString(), desktop.settings);
    QTest::mouseClick(settings, Qt::LeftButton);
    EXPECT_EQ(settingsOpened, 1);
}

INSTANTIATE_TEST_SUITE_P(Desktops, LoginItemsOnLinuxTest, ::testing::ValuesIn(kDesktops),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace kelvora::testing
