#include "app/design/Pictures.h"
#include "app/panes/LoginItemFixture.h"
#include "app/support/EventLoop.h"
#include "app/support/IsolatedHome.h"
#include "support/ChildProcess.h"

#include "controller/AppModel.h"
#include "controller/LoginItemsOrder.h"
#include "design/Fonts.h"
#include "design/PaintedText.h"
#include "design/QtString.h"
#include "design/Snapshot.h"
#include "design/Theme.h"
#include "panes/LoginItemInspector.h"
#include "panes/LoginItemsList.h"
#include "panes/LoginItemsText.h"
#include "panes/LoginItemsView.h"
#include "panes/StateBadge.h"

#include <QPushButton>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace kelvora::testing {
namespace {

using Source = LoginItem::Source;
using State = LoginItem::State;
using Kind = LoginItemsText::Action::Kind;

LoginItem missing(LoginItem made) {
    made.programMissing = true;
    return made;
}

std::vector<std::string> names(const std::vector<LoginItem>& items) {
    std::vector<std::string> shown;
    for (const auto& one : items)
        shown.push_back(one.name);
    return shown;
}

TEST(LoginItemsTextTest, TheBadgeSaysTheStateAndReadsItAloud) {
    LoginItem empty = item(Source::userAgent, "empty");
    empty.isPlaceholder = true;
    empty.programMissing = true;
    LoginItem elsewhere = item(Source::openAtLogin, "a", State::notLoaded());
    elsewhere.mechanism = LoginItem::Mechanism::autostart;
    elsewhere.desktopNote = "It is set to start only on KDE, so GNOME doesn’t start it.";
    struct Case {
        LoginItem item;
        const char* label;
        const char* spoken;
    } cases[] = {
        {empty, "EMPTY", "An empty file that does nothing"},
        {missing(item(Source::userAgent, "a", State::off())), "OFF", "Switched off"},
        {missing(item(Source::globalAgent, "a", State::running(7))), "LEFTOVER",
         "Left behind by a removed app"},
        {item(Source::userAgent, "a", State::running(512)), "RUNNING", "Running now, process 512"},
        {item(Source::userAgent, "a", State::off()), "OFF", "Switched off"},
        {item(Source::openAtLogin, "a", State::offRunning(9)), "RUNNING",
         "Running now, process 9; switched off, so it won’t start at the next login"},
        {item(Source::systemDaemon, "a", State::notLoaded()), "NOT RUNNING",
         "Not running; nothing has started it this session"},
        {elsewhere, "NOT ON THIS DESKTOP", "Not on this desktop"},
        {item(Source::openAtLogin, "a"), "ON", "Opens at login"},
        {item(Source::appHelper, "a"), "WAITING", "Ready, starts when needed"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LoginItemsText::badgeLabel(c.item), c.label);
        EXPECT_EQ(LoginItemsText::badgeSpoken(c.item), c.spoken);
    }
}

TEST(LoginItemsTextTest, RunningItemsComeFirstAndSwitchedOffOnesLastThenByName) {
    std::vector<LoginItem> listed = {
        item(Source::userAgent, "beta", State::running(1)),
        item(Source::userAgent, "aardvark", State::off()),
        item(Source::userAgent, "zeta", State::waiting()),
        item(Source::systemDaemon, "daemon", State::running(3)),
        item(Source::globalAgent, "Alpha", State::running(2)),
        item(Source::userAgent, "kappa", State::notLoaded()),
        item(Source::userAgent, "gamma", State::running(4)),
        item(Source::openAtLogin, "Notes", State::off()),
    };
    EXPECT_EQ(names(LoginItemsOrder::sorted(listed)),
              (std::vector<std::string>{"Notes", "Alpha", "beta", "gamma", "kappa", "zeta",
                                        "aardvark", "daemon"}));
}

TEST(LoginItemsTextTest, NamesSortAsTheUsersLanguageOrdersThemLetterCaseAside) {
    struct Case {
        QLocale locale;
        std::vector<std::string> names;
        std::vector<std::string> sorted;
    };
    const std::vector<std::string> accented = {"zeta", "\u00C9mile", "alpha", "Beta",
                                               "\u00E9clair"};
    const std::vector<std::string> common = {"alpha", "Beta", "\u00E9clair", "\u00C9mile", "zeta"};
    const std::vector<Case> cases = {
        {QLocale(QLocale::English, QLocale::UnitedStates), accented, common},
        {QLocale(QLocale::French, QLocale::France), accented, common},
        {QLocale::c(), accented, common},
        // Swedish puts its own letters after z.
        {QLocale(QLocale::Swedish, QLocale::Sweden),
         {"\u00C4pple", "zeta", "apa"},
         {"apa", "zeta", "\u00C4pple"}},
    };
    for (const Case& c : cases) {
        std::vector<LoginItem> listed;
        for (const auto& name : c.names)
            listed.push_back(item(Source::userAgent, name));
        EXPECT_EQ(names(LoginItemsOrder::sorted(listed, c.locale)), c.sorted)
            << c.locale.name().toStdString();
    }
}

TEST(LoginItemsTextTest, CountsLeaveOutMissingSwitchedOffAndUnloadedPrograms) {
    LoginItem onDemand = item(Source::userAgent, "on demand", State::running(9));
    onDemand.startsAtLogin = false;
    std::vector<LoginItem> listed = {
        item(Source::userAgent, "starts"),
        item(Source::openAtLogin, "running app", State::running(5)),
        missing(item(Source::userAgent, "gone")),
        item(Source::userAgent, "off", State::off()),
        item(Source::globalAgent, "not loaded", State::notLoaded()),
        onDemand,
        item(Source::openAtLogin, "off, still running", State::offRunning(6)),
    };
    EXPECT_EQ(LoginItemsText::countsLine(listed), "2 start when you log in · 3 running now");
}

// Every combination a row can be in: "At login" says "Starts" exactly for the items the
// header counts, so the two never tell different stories.
TEST(LoginItemsTextTest, AtLoginSaysStartsExactlyForWhatTheHeaderCounts) {
    using Mechanism = LoginItem::Mechanism;
    std::vector<LoginItem> listed;
    for (auto [source, mechanism] :
         std::vector<std::pair<Source, Mechanism>>{{Source::userAgent, Mechanism::launchd},
                                                   {Source::openAtLogin, Mechanism::autostart},
                                                   {Source::globalAgent, Mechanism::autostart},
                                                   {Source::userAgent, Mechanism::systemdUnit}})
        for (State state : {State::running(4), State::waiting(), State::off(), State::notLoaded()})
            for (bool starts : {true, false})
                for (bool gone : {false, true})
                    for (bool otherDesktop : {false, true}) {
                        LoginItem made = item(source, "x", state);
                        made.mechanism = mechanism;
                        made.startsAtLogin = starts;
                        made.programMissing = gone;
                        if (otherDesktop) made.desktopNote = "Only on KDE.";
                        listed.push_back(made);
                    }
    int64_t starting = 0;
    for (const LoginItem& one : listed) {
        bool says = LoginItemsText::atLogin(one) == "Starts";
        EXPECT_EQ(says, one.isActiveAtLogin())
            << rawValue(one.source) << " " << static_cast<int>(one.state.kind) << " starts "
            << one.startsAtLogin << " gone " << one.programMissing;
        starting += says;
    }
    EXPECT_TRUE(
        LoginItemsText::countsLine(listed).startsWith(QString::number(starting) + " start"));
    LoginItem elsewhere = item(Source::globalAgent, "x", State::notLoaded());
    elsewhere.desktopNote = "It is set to start only on KDE, so GNOME doesn’t start it.";
    EXPECT_EQ(LoginItemsText::atLogin(elsewhere), "Not on this desktop");
    EXPECT_EQ(*LoginItemsText::stateNote(elsewhere), toQString(*elsewhere.desktopNote));
}

TEST(LoginItemsTextTest, EveryItemHasOneButton) {
    LoginItem elsewhere = item(Source::openAtLogin, "elsewhere", State::notLoaded());
    elsewhere.desktopNote = "It is set to start only on KDE, so GNOME doesn’t start it.";
    struct Case {
        LoginItem item;
        Kind kind;
        const char* title;
        const char* tooltip;
    } cases[] = {
        {missing(item(Source::userAgent, "leftover", State::off())), Kind::remove, "Remove",
         "Moves it onto the Undo Shelf for 7 days"},
        {item(Source::userAgent, "off", State::off()), Kind::turnOn, "Turn on", ""},
        {item(Source::openAtLogin, "app", State::notLoaded()), Kind::turnOff, "Turn off", ""},
        // Off is written into the entry, which every desktop reads.
        {elsewhere, Kind::turnOff, "Turn off everywhere",
         "Keeps it from starting on every desktop you log in to"},
        {item(Source::openAtLogin, "off, running", State::offRunning(3)), Kind::turnOn, "Turn on",
         ""},
        {missing(item(Source::globalAgent, "global")), Kind::turnOff, "Turn off", ""},
        {item(Source::systemDaemon, "daemon"), Kind::settings, "Settings…",
         "Only an administrator can switch this one"},
        {item(Source::appHelper, "helper", State::off()), Kind::settings, "Settings…",
         "Switch this one in its app’s settings"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item.name);
        EXPECT_EQ(LoginItemsText::action(c.item, 7),
                  (LoginItemsText::Action{c.kind, c.title, c.tooltip}));
    }
}

TEST(LoginItemsTextTest, TheInspectorExplainsWhereAnItemLiesAndWhyItCantBeSwitched) {
    const std::string home = "/home/me";
    LoginItem agent = item(Source::userAgent, "Sync", State::running(512));
    agent.file = URL::fileURL(home + "/Library/LaunchAgents/com.example.sync.plist");
    agent.program = URL::fileURL("/Applications/Sync.app/Contents/MacOS/sync");
    agent.owner = "Sync";
    using Fact = LoginItemsText::Fact;
    using Block = LoginItemsText::Block;
    EXPECT_EQ(LoginItemsText::facts(agent),
              (std::vector<Fact>{{"Now", "RUNNING", true},
                                 {"At login", "Starts", false},
                                 {"Belongs to", "Sync", false},
                                 {"Kind", "Launch agent, yours", false}}));
    EXPECT_EQ(LoginItemsText::blocks(agent, home),
              (std::vector<Block>{{"Where", "~/Library/LaunchAgents/com.example.sync.plist"},
                                  {"Runs", "/Applications/Sync.app/Contents/MacOS/sync"},
                                  {"Label", "com.example.Sync"}}));
    EXPECT_FALSE(LoginItemsText::stateNote(agent));
    EXPECT_FALSE(LoginItemsText::switchNote(agent));

    // An application opening at login: no label; a program that is its file: no "Runs".
    LoginItem app = item(Source::openAtLogin, "Notes");
    app.file = URL::fileURL("/private/var/apps/Notes.app");
    app.program = app.file;
    app.startsAtLogin = false;
    EXPECT_EQ(LoginItemsText::blocks(app, home),
              (std::vector<Block>{{"Where", "/var/apps/Notes.app"}}));
    EXPECT_EQ(LoginItemsText::facts(app)[1].value, "Only when needed");

    LoginItem idle = item(Source::userAgent, "Idle", State::notLoaded());
    EXPECT_TRUE(LoginItemsText::stateNote(idle)->endsWith(
        "at login. Turning it off here makes sure it stays off."));
    EXPECT_EQ(LoginItemsText::facts(item(Source::userAgent, "x", State::off()))[1].value,
              "Doesn’t start");

    LoginItem helper = item(Source::appHelper, "Helper", State::notLoaded());
    EXPECT_TRUE(LoginItemsText::stateNote(helper)->endsWith("launch agents at login."));
    EXPECT_EQ(*LoginItemsText::switchNote(helper),
              "Its app manages this helper. Switch it off in the app’s settings.");
    helper.owner = "Dropbox";
    EXPECT_TRUE(LoginItemsText::switchNote(helper)->startsWith("Dropbox manages this helper."));
    EXPECT_TRUE(LoginItemsText::switchNote(item(Source::systemDaemon, "d"))
                    ->startsWith("This runs for everyone on the computer"));
}

// Switched off while it still runs: running now, but not at the next login, and said so.
TEST(LoginItemsTextTest, AnItemSwitchedOffWhileItRunsStaysRunning) {
    LoginItem keepass = item(Source::openAtLogin, "KeePassXC", State::offRunning(41));
    keepass.mechanism = LoginItem::Mechanism::autostart;
    EXPECT_TRUE(keepass.isRunning());
    EXPECT_FALSE(keepass.isActiveAtLogin());
    EXPECT_EQ(LoginItemsText::facts(keepass)[0].value, "RUNNING");
    EXPECT_EQ(LoginItemsText::atLogin(keepass), "Doesn’t start");
    EXPECT_EQ(*LoginItemsText::stateNote(keepass),
              "It is switched off and won’t start at your next login, but what it started keeps "
              "running until you quit it or log out.");
    EXPECT_FALSE(LoginItemsText::switchNote(keepass)) << "the state note says it all";
    EXPECT_EQ(LoginItemsOrder::sorted({item(Source::openAtLogin, "Alpha"), keepass})[0].name,
              "KeePassXC")
        << "among the running";
}

// The settings button names the desktop's own tool it opens; a row is read as sentences.
TEST(LoginItemsTextTest, WordsNameWhatOpensAndReadAsSentences) {
    EXPECT_EQ(LoginItemsText::settingsTitle(LoginSettings::Place::gnomeStartup),
              "Open Startup Applications");
    EXPECT_EQ(LoginItemsText::settingsTitle(LoginSettings::Place::kdeAutostart),
              "Open Autostart settings");
    EXPECT_EQ(LoginItemsText::settingsTitle(LoginSettings::Place::folder),
              "Open the autostart folder");
    struct Case {
        std::string purpose;
        State state;
        const char* spoken;
    };
    const std::vector<Case> cases = {
        {"Runs “true” when you log in.", State::running(7),
         "Runs “true” when you log in. Running now, process 7."},
        {"Keeps notes", State::off(), "Keeps notes. Switched off."},
        {"Is it on?", State::waiting(), "Is it on? Ready, starts when needed."},
        {"", State::waiting(), "Ready, starts when needed."},
    };
    for (const Case& c : cases) {
        LoginItem row = item(Source::userAgent, "x", c.state);
        row.purpose = c.purpose;
        EXPECT_EQ(LoginItemsText::rowDescription(row).toStdString(), c.spoken);
    }
}

TEST(LoginItemsTextTest, AnItemShowsTheApplicationItLivesIn) {
    IsolatedHome env;
    std::string app = env.dir().mkdir("Tool.app/Contents/Library/LoginItems/Helper.app");
    std::string tool = env.dir() / "Tool.app";
    LoginItem helper = item(Source::appHelper, "helper");
    helper.file = URL::fileURL(app);
    EXPECT_EQ(LoginItemsText::appBundle(helper), tool);
    helper.program = URL::fileURL(env.dir() / "Gone.app/Contents/MacOS/gone");
    EXPECT_FALSE(LoginItemsText::appBundle(helper)) << "the program decides, and it is gone";
    EXPECT_FALSE(LoginItemsText::appBundle(item(Source::userAgent, "no file")));
}

TEST(LoginListLayoutTest, TheAppsSectionAlwaysShowsWithItsAskCardOrItsEmptyNote) {
    eventLoop();
    auto asking = LoginListLayout::make({}, true, std::nullopt, 7, 600);
    ASSERT_EQ(asking.sections.size(), 1u);
    EXPECT_TRUE(asking.sections[0].ask);
    EXPECT_FALSE(asking.sections[0].empty);

    auto listed = LoginListLayout::make({}, false, std::nullopt, 7, 600);
    ASSERT_EQ(listed.sections.size(), 1u);
    EXPECT_FALSE(listed.sections[0].ask);
    EXPECT_TRUE(listed.sections[0].empty);

    // Helpers under the ask card are parted from it by a hairline, the warning comes first.
    std::vector<LoginItem> items = LoginItemsOrder::sorted(
        {item(Source::appHelper, "helper"), item(Source::userAgent, "agent")});
    auto layout = LoginListLayout::make(items, true, std::string("It failed."), 7, 600);
    ASSERT_EQ(layout.sections.size(), 2u);
    EXPECT_TRUE(layout.rows[0].hairline);
    EXPECT_FALSE(layout.rows[1].hairline) << "first row of its own card";
    EXPECT_LT(layout.error->bottom(), layout.sections[0].caption.top());
}

// A pane over a demo controller holding the login items of a fixture.
struct LoginPaneTest : ::testing::Test {
    static constexpr QColor kIconColour = QColor(214, 40, 40);
    LoginPaneTest() {
        Render::application();
        Fonts::registerFonts(KELVORA_FONTS_DIR);
    }
    IsolatedHome env;
    AppModel model{ScanResult{}, AppModel::ViewMode::detailed,
                   UndoShelf(URL::fileURL(env.data() + "/shelf", true), 7), std::nullopt};

    std::vector<LoginItem> fixture() {
        LoginItem helper = item(Source::appHelper, "Dropbox Helper");
        helper.owner = "Dropbox";
        LoginItem sync = item(Source::userAgent, "Sketch Sync", State::running(512));
        sync.file = URL::fileURL(env.home() + "/Library/LaunchAgents/com.sketch.sync.plist");
        sync.program = URL::fileURL("/Applications/Sketch.app/Contents/MacOS/sync");
        sync.owner = "Sketch";
        // Linux's own kinds among them: an entry for everyone and a user's service.
        LoginItem printer = item(Source::globalAgent, "Printer Tools");
        printer.mechanism = LoginItem::Mechanism::autostart;
        // The image its entry names, in place of the gear.
        QImage icon(64, 64, QImage::Format_ARGB32);
        icon.fill(kIconColour);
        printer.icon = env.dir() / "printer.png";
        icon.save(QString::fromStdString(*printer.icon));
        LoginItem backup = item(Source::userAgent, "Backup", State::off());
        backup.mechanism = LoginItem::Mechanism::systemdUnit;
        return {
            helper,  sync,   missing(item(Source::userAgent, "Old Updater", State::notLoaded())),
            printer, backup, item(Source::systemDaemon, "Disk Helper", State::running(88))};
    }
};

TEST_F(LoginPaneTest, PicturesShowSectionsBadgesAndTheSelectedItemInBothAppearances) {
    KELVORA_REQUIRE_GUI();
    model.showLoginItems(fixture());
    model.setLoginSelection("userAgent:com.example.Sketch Sync");
    for (Appearance appearance : {Appearance::light, Appearance::dark}) {
        Theme::Scope scope(appearance);
        LoginItemsView pane(model);
        Snapshot::setSnapshot(&pane, true);
        QImage image = Render::widget(pane, QSize(1000, 760));
        bool isLight = appearance == Appearance::light;
        keepPicture(image, isLight ? "login-items-light" : "login-items-dark");
        SCOPED_TRACE(isLight ? "light" : "dark");

        auto* counts = pane.findChild<PaintedText*>("loginCounts");
        EXPECT_EQ(counts->text(), "4 start when you log in · 2 running now");
        const LoginListLayout& layout = pane.list()->layout();
        ASSERT_EQ(layout.sections.size(), 3u);
        QPoint list = pane.list()->mapTo(&pane, QPoint(0, 0));
        auto inPane = [&](QRectF r) { return r.translated(list); };

        const auto* selected = layout.rowOf("userAgent:com.example.Sketch Sync");
        ASSERT_TRUE(selected);
        QRectF row = inPane(selected->rect);
        EXPECT_TRUE(near(testing::at(image, row.left() + 1.5, row.center().y()), Theme::signal()));
        EXPECT_TRUE(near(testing::at(image, row.left() + 8, row.top() + 3), Theme::sidebar()));
        EXPECT_TRUE(near(testing::at(image, inPane(selected->badge).left() + 3,
                                     inPane(selected->badge).top() + 4),
                         Theme::ink()))
            << "a running item's badge is inverted";
        const auto* off = layout.rowOf("userAgent:com.example.Backup");
        EXPECT_TRUE(
            near(testing::at(image, inPane(off->badge).left() + 3, inPane(off->badge).top() + 4),
                 Theme::chip()));
        EXPECT_EQ(off->action.title, "Turn on");
        const auto* printer = layout.rowOf("globalAgent:com.example.Printer Tools");
        EXPECT_TRUE(near(testing::at(image, inPane(printer->rect).left() + 28,
                                     inPane(printer->rect).center().y()),
                         kIconColour));
        EXPECT_TRUE(
            near(testing::at(image, inPane(off->rect).left() + 8, inPane(off->rect).top() + 3),
                 Theme::panel()));

        auto* inspector = pane.inspector();
        ASSERT_TRUE(inspector->item());
        EXPECT_EQ(inspector->item()->name, "Sketch Sync");
        EXPECT_EQ(pane.findChild<QPushButton*>("inspectorSwitch")->text(), "Turn off");
        EXPECT_FALSE(pane.findChild<QPushButton*>("inspectorReveal")->isVisible())
            << "its file is not on this disk";
        QRect column(inspector->mapTo(&pane, QPoint(0, 0)), inspector->size());
        EXPECT_TRUE(
            near(testing::at(image, column.left() + 4, column.bottom() - 4), Theme::sidebar()));
        EXPECT_GT(countNear(image, QRectF(column).adjusted(20, 40, -20, -400), Theme::ink(), 30),
                  200)
            << "the name and facts are written";
    }
}

// An entry may name any file as its icon: one that is not a plain file (a pipe, which no
// one writes to) is never opened, and the row shows the gear. In a child, so that a read
// that never returns fails the test instead of hanging it.
TEST_F(LoginPaneTest, AnIconNamingAPipeIsNeverOpened) {
    KELVORA_REQUIRE_GUI();
    LoginItem piped = item(Source::globalAgent, "Piped");
    piped.mechanism = LoginItem::Mechanism::autostart;
    piped.icon = env.dir() / "piped.png";
    ASSERT_EQ(mkfifo(piped.icon->c_str(), 0644), 0);
    model.showLoginItems({piped});
    const pid_t child = fork();
    if (child == 0) {
        alarm(20);
        LoginItemsView pane(model);
        QImage image = Render::widget(pane, QSize(1000, 600));
        const auto* row = pane.list()->layout().rowOf("globalAgent:com.example.Piped");
        if (!row) _exit(2);
        const QPoint list = pane.list()->mapTo(&pane, QPoint(0, 0));
        const QRectF icon = row->rect.translated(list);
        _exit(countNear(image, QRectF(icon.left() + 14, icon.center().y() - 14, 28, 28),
                        Theme::muted(), 40) > 10
                  ? 0
                  : 3);
    }
    EXPECT_EQ(waitForChild(child, "the login items pane with an icon naming a pipe"), 0);
}

TEST_F(LoginPaneTest, BeforeTheFirstReadOnlyTheLoadingLineShows) {
    KELVORA_REQUIRE_GUI();
    Theme::Scope scope(Appearance::light);
    LoginItemsView pane(model);
    Snapshot::setSnapshot(&pane, true);
    QImage image = Render::widget(pane, QSize(1000, 600));
    keepPicture(image, "login-items-loading");
    EXPECT_FALSE(pane.findChild<PaintedText*>("loginCounts")->isVisible());
    EXPECT_FALSE(pane.list()->isVisible());
    EXPECT_FALSE(pane.inspector()->item());
    EXPECT_GT(countNear(image, QRectF(250, 280, 300, 60), Theme::muted(), 30), 50);
}

} // namespace
} // namespace kelvora::testing
