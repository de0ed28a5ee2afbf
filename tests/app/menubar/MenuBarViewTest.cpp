#include "app/design/Pictures.h"
#include "app/menubar/MenuBarFixture.h"
#include "app/support/Keys.h"
#include "app/support/VirtualDisplay.h"

#include "controller/AppModel.h"
#include "controller/Prefs.h"
#include "design/Buttons.h"
#include "design/DialView.h"
#include "design/Fonts.h"
#include "design/Snapshot.h"
#include "engine/DiskHistory.h"
#include "menubar/MenuBarExtra.h"
#include "menubar/MenuBarView.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>

namespace kelvora::testing {
namespace {

using Kind = MenuBarModel::State::Kind;
using State = MenuBarModel::State;
using Section = MenuBarLayout::Section;

TEST(MenuBarTextTest, TheDialPreviewsTheOfferAndStaysOnItsScale) {
    const int64_t GB = 1'000'000'000;
    struct Case {
        const char* name;
        DiskSpace disk;
        State state;
        MenuBarText::DialValues dial;
    } cases[] = {
        {"checking", {1000 * GB, 400 * GB}, State::checking(), {0.6, 0.6, 1000 * GB}},
        {"an offer", {1000 * GB, 400 * GB}, State::ready(100 * GB), {0.6, 0.5, 1000 * GB}},
        {"nothing on offer", {1000 * GB, 400 * GB}, State::ready(0), {0.6, 0.6, 1000 * GB}},
        {"cleaned", {1000 * GB, 400 * GB}, State::cleaned(100 * GB), {0.6, 0.6, 1000 * GB}},
        {"more on offer than in use",
         {1000 * GB, 400 * GB},
         State::ready(900 * GB),
         {0.6, 0, 1000 * GB}},
        {"a disk that reads as empty", {0, 0}, State::ready(5 * GB), {0, 0, 0}},
        {"more free than the disk", {1000 * GB, 1200 * GB}, State::checking(), {0, 0, 1000 * GB}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto dial = MenuBarText::dial(c.disk, c.state);
        EXPECT_DOUBLE_EQ(dial.used, c.dial.used);
        EXPECT_DOUBLE_EQ(dial.after, c.dial.after);
        EXPECT_EQ(dial.totalBytes, c.dial.totalBytes);
    }
    EXPECT_EQ(MenuBarText::clearTitle(2'140'000), "Clear 2 MB of caches");
    EXPECT_EQ(MenuBarText::freeOf({494'380'000'000, 0}), "free of 494.4 GB");
}

class MenuBarViewTest : public MenuBarTest {
protected:
    MenuBarViewTest() { Fonts::registerFonts(KELVORA_FONTS_DIR); }

    std::unique_ptr<AppModel> appModel() {
        return std::make_unique<AppModel>(
            ScanResult{}, AppModel::ViewMode::simple,
            UndoShelf(URL::fileURL(env.data() + "/Kelvora/Undo Shelf", true), 7), std::nullopt);
    }

    // Three weeks of free space falling by 5 GB a day.
    void writeFallingHistory() {
        DiskHistory history;
        Date now = currentDate();
        for (int day = 20; day >= 0; --day)
            history.record(300'000'000'000 - (20 - day) * 5'000'000'000LL,
                           addSeconds(now, -day * 86400.0));
        history.save(URL::fileURL(historyFile()));
    }

    // A model in the state the picture shows, as the popup's opening leaves it; the check of
    // "checking" and the clean of "cleaning" wait at `held`.
    void driveTo(MenuBarModel& menu, Section section, const std::shared_ptr<Gate>& held) {
        world.onCheck(0, {cacheItem("Inkwell", section == Section::nothing ? 0 : 3'000'000)},
                      section == Section::checking ? held : nullptr);
        menu.refresh();
        if (section == Section::checking) return;
        ASSERT_TRUE(settledIn(menu, Kind::ready));
        if (section == Section::offer || section == Section::nothing) return;
        world.cleanGate = held;
        menu.quickClean();
        if (section == Section::cleaning) return;
        held->open();
        ASSERT_TRUE(settledIn(menu, Kind::cleaned));
    }
};

TEST_F(MenuBarViewTest, EachStateDrawsItsQuickCleanInBothAppearances) {
    KELVORA_REQUIRE_GUI();
    writeFallingHistory();
    world.disk = {494'380'000'000, 120'000'000'000};
    struct Case {
        const char* name;
        Section section;
        bool notice;
        QString words;
    } cases[] = {
        {"checking", Section::checking, false, "Checking app caches…"},
        {"offer", Section::offer, true,
         "App caches only. They rebuild on their own, and caches of open apps stay."},
        {"nothing", Section::nothing, false, "No caches worth clearing right now."},
        {"cleaning", Section::cleaning, false, ""},
        {"cleaned", Section::cleaned, false, "Cleared 3 MB. For everything else, open Kelvora."},
    };
    for (const auto& c : cases) {
        auto held = gate();
        auto menu = makeMenu();
        driveTo(*menu, c.section, held);
        auto app = appModel();
        if (c.notice)
            app->setRemovedAppNotice(AppModel::Notice{
                "Sketchpad was removed", "It left 4 items behind in your Library, 310 MB."});
        for (Appearance appearance : {Appearance::light, Appearance::dark}) {
            SCOPED_TRACE(std::string(c.name) + (appearance == Appearance::dark ? " dark" : ""));
            Theme::Scope scope(appearance);
            MenuBarView view(*menu, *app);
            Snapshot::setSnapshot(&view, true);
            QImage image = Render::widget(view);
            keepPicture(image, std::string("menubar-") + c.name +
                                   (appearance == Appearance::dark ? "-dark" : ""));
            const MenuBarLayout& layout = view.layout();
            EXPECT_EQ(image.width(), 600);
            EXPECT_EQ(layout.section, c.section);
            EXPECT_TRUE(near(at(image, 3, 3), Theme::ground()));
            EXPECT_EQ(layout.numberText + " " + layout.unitText, "120.0 GB");
            EXPECT_GT(countNear(image, layout.number, Theme::ink(), 40), 40);
            EXPECT_GT(countNear(image, layout.dial, Theme::signal(), 40), 0) << "the needle";
            ASSERT_TRUE(layout.forecast) << "three weeks of falling free space";
            EXPECT_EQ(layout.forecast->lines.text().left(34), "At this rate, your disk is full in");
            EXPECT_LE(layout.forecast->at.x() + layout.forecast->lines.naturalWidth(), 284)
                << "the forecast wraps inside the popup";
            EXPECT_EQ(layout.separators.size(), c.notice ? 3u : 2u);
            for (const QRectF& separator : layout.separators)
                EXPECT_TRUE(
                    near(at(image, separator.center().x(), separator.top() + 0.25), Theme::line()));

            QString shown = layout.status        ? layout.status->lines.text()
                            : layout.cleanedLine ? layout.cleanedLine->text()
                                                 : QString();
            EXPECT_EQ(shown, c.words);
            auto* button = view.findChild<SignalButton*>("quickClean");
            bool offersButton = c.section == Section::offer || c.section == Section::cleaning;
            EXPECT_EQ(!button->isHidden(), offersButton);
            if (offersButton) {
                EXPECT_EQ(button->text(),
                          c.section == Section::offer ? "Clear 3 MB of caches" : "Clearing…");
                EXPECT_EQ(button->busy(), c.section == Section::cleaning);
                QRectF rect = *layout.signalButton;
                EXPECT_TRUE(near(at(image, rect.left() + 3, rect.center().y()), Theme::signal()));
            }
            if (layout.status) {
                QRectF words(layout.status->at, layout.status->lines.size());
                EXPECT_GT(countNear(image, words, Theme::muted(), 40), 30);
            }
            if (c.section == Section::cleaned) {
                QRectF line(layout.cleanedAt, layout.cleanedLine->size);
                EXPECT_GT(countNear(image, line, Theme::signalText(), 30), 20) << "the size";
            }
            double offer = c.section == Section::offer ? 3'000'000.0 / 494'380'000'000 : 0;
            EXPECT_NEAR(view.dial()->after(), view.dial()->used() - offer, 1e-12);
            if (c.notice) {
                ASSERT_TRUE(layout.notice);
                EXPECT_EQ(layout.notice->title.lines.text(), "Sketchpad was removed");
                EXPECT_TRUE(near(
                    at(image, layout.notice->review.left() + 6, layout.notice->review.center().y()),
                    Theme::panel()));
            }
        }
        held->open();
    }
}

TEST_F(MenuBarViewTest, TheKeyboardRingsOpenKelvoraLikeEveryOtherControl) {
    KELVORA_REQUIRE_GUI();
    auto held = gate();
    auto menu = makeMenu();
    driveTo(*menu, Section::nothing, held);
    auto app = appModel();
    for (Appearance appearance : {Appearance::light, Appearance::dark}) {
        SCOPED_TRACE(appearance == Appearance::light ? "light" : "dark");
        Theme::Scope scope(appearance);
        MenuBarView view(*menu, *app);
        view.show();
        QApplication::setActiveWindow(&view);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
        ASSERT_TRUE(settledIn(*menu, Kind::ready));
        auto* open = view.findChild<QPushButton*>("openKelvora");
        ASSERT_TRUE(tabTo(view, *open));
        QImage image = Render::widget(view, view.size());
        keepPicture(image, std::string("menubar-open-focused-") +
                               (appearance == Appearance::light ? "light" : "dark"));
        const QRectF text(open->geometry());
        LinkFocusLook look = linkFocusLook(image, text, TextLinkButton::ringRect(text),
                                           Theme::signal(), Theme::signalText());
        EXPECT_GT(look.ring, 200) << "a ring around Open Kelvora";
        EXPECT_EQ(look.accentText, 0) << "its words keep their colour";
        EXPECT_GT(countNear(image, text, Theme::ink(), 40), 60);
    }
    held->open();
}

TEST_F(MenuBarViewTest, ItsButtonsCleanOnceDismissTheNoticeAndAskForTheWindowOrToQuit) {
    KELVORA_REQUIRE_GUI();
    auto held = gate();
    auto menu = makeMenu();
    driveTo(*menu, Section::offer, held);
    auto app = appModel();
    AppModel::Notice notice{"Sketchpad was removed", "It left 4 items behind."};
    app->setRemovedAppNotice(notice);
    MenuBarView view(*menu, *app);
    view.show();
    QSignalSpy opened(&view, &MenuBarView::openRequested);
    QSignalSpy quitting(&view, &MenuBarView::quitRequested);
    auto click = [&](const char* name) {
        auto* button = view.findChild<QPushButton*>(name);
        ASSERT_TRUE(button && button->isVisible()) << name;
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    };

    world.cleanGate = held;
    click("quickClean");
    EXPECT_EQ(menu->state(), State::cleaning());
    EXPECT_EQ(view.layout().signalTitle, "Clearing…");
    click("quickClean");
    held->open();
    ASSERT_TRUE(settledIn(*menu, Kind::cleaned));
    EXPECT_EQ(world.cleans.load(), 1) << "the busy button takes no second press";
    EXPECT_FALSE(view.findChild<SignalButton*>("quickClean")->isVisible());
    EXPECT_EQ(view.layout().cleanedLine->text().left(8), "Cleared ");

    click("reviewLeftovers");
    EXPECT_EQ(opened.count(), 1);
    EXPECT_EQ(app->removedAppNotice(), notice) << "only Dismiss or the controller clears it";
    int tall = view.height();
    click("dismiss");
    EXPECT_FALSE(app->removedAppNotice());
    EXPECT_FALSE(view.layout().notice);
    EXPECT_FALSE(view.findChild<QPushButton*>("reviewLeftovers")->isVisible());
    EXPECT_LT(view.height(), tall) << "the popup shrinks to its content";
    click("openKelvora");
    EXPECT_EQ(opened.count(), 2);
    click("quit");
    EXPECT_EQ(quitting.count(), 1);
}

// A tray host of Debian's, on the virtual display this test runs on; stopped with the test.
class TrayHost {
public:
    TrayHost() {
        std::vector<std::string> words = {"trayer",      "--edge",  "top",      "--align", "right",
                                          "--widthtype", "request", "--height", "24"};
        std::vector<char*> argv;
        for (auto& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        if (posix_spawnp(&pid_, "trayer", nullptr, nullptr, argv.data(), environ) != 0) pid_ = 0;
    }
    ~TrayHost() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    bool started() const { return pid_ > 0; }

private:
    pid_t pid_ = 0;
};

// What QApplication::exec returns when the window closes: 0 when closing it quit the
// application, 7 when it was still running a moment later.
int statusAfterClosing(QWidget& window) {
    window.show();
    QTimer::singleShot(300, &window, [&window] { window.close(); });
    QTimer::singleShot(2500, qApp, [] { QCoreApplication::exit(7); });
    return QApplication::exec();
}

QWidget* trayIconWidget() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (QString(widget->metaObject()->className()) == "QSystemTrayIconSys" &&
            widget->isVisible())
            return widget;
    return nullptr;
}

TEST_F(MenuBarViewTest, WithATrayTheIconOpensItsPopupAndClosingTheWindowKeepsItRunning) {
    KELVORA_ON_VIRTUAL_DISPLAY();
    // With a session bus the icon would go to a notifier service instead of the tray.
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    if (std::system("command -v trayer >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no tray host: install Debian's trayer (scripts/setup does)";
    TrayHost host;
    ASSERT_TRUE(host.started());
    if (!waitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); },
                   std::chrono::seconds(10)))
        GTEST_SKIP() << "trayer did not start a tray on this display";
    world.onCheck(0, {cacheItem("Inkwell", 3'000'000)});
    auto menu = makeMenu();
    auto app = appModel();
    QWidget window;
    window.resize(400, 300);
    int opened = 0;
    MenuBarExtra extra(*menu, *app, [&] {
        ++opened;
        window.show();
    });
    extra.quitWithLastWindow();

    ASSERT_TRUE(waitUntil([] { return trayIconWidget() != nullptr; }, std::chrono::seconds(10)))
        << "the icon never docked in the tray";
    QWidget* icon = trayIconWidget();
    QTest::mouseClick(icon, Qt::LeftButton, {}, icon->rect().center());
    ASSERT_TRUE(waitUntil([&] { return extra.popup()->isVisible(); }));
    ASSERT_TRUE(settledIn(*menu, Kind::ready)) << "opening the popup checks the caches";
    EXPECT_EQ(world.checks.load(), 1);
    EXPECT_EQ(extra.popup()->findChild<SignalButton*>("quickClean")->text(),
              "Clear 3 MB of caches");
    QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_TRUE(screen.contains(extra.popup()->frameGeometry())) << "the popup stays on screen";
    EXPECT_EQ(extra.popup()->width(), 300);

    auto* open = extra.popup()->findChild<QPushButton*>("openKelvora");
    QTest::mouseClick(open, Qt::LeftButton, {}, open->rect().center());
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(extra.popup()->isVisible());

    EXPECT_EQ(statusAfterClosing(window), 7) << "kept running in the tray";
    Prefs::setBoolean(Prefs::Key::showMenuBar, false);
    extra.follow();
    EXPECT_TRUE(waitUntil([] { return trayIconWidget() == nullptr; })) << "the icon goes at once";
    EXPECT_EQ(statusAfterClosing(window), 0) << "with the extra off, closing the window quits";
}

TEST(MenuBarPlacementTest, ThePopupLiesInsideTheScreensFreeAreaOnEveryEdge) {
    // The screen's free area with a panel below it, or above it.
    const QRect below(0, 0, 1100, 696), above(0, 24, 1100, 696);
    struct Case {
        const char* what;
        QRect anchor;
        QRect placed;
        QRect area;
        QSize size = QSize(300, 400);
    } cases[] = {
        {"a tray in the bottom right corner", {1076, 700, 22, 20}, {800, 296, 300, 400}, below},
        {"a tray in the top right corner", {1076, 2, 22, 20}, {800, 26, 300, 400}, above},
        {"a tray at the left of a bottom panel", {2, 700, 22, 20}, {0, 296, 300, 400}, below},
        {"a pointer near the bottom of the area", {600, 690, 1, 1}, {450, 286, 300, 400}, below},
        {"a pointer just above the middle", {600, 340, 1, 1}, {450, 296, 300, 400}, below},
        {"a popup taller than the area", {600, 690, 1, 1}, {450, 0, 300, 900}, below, {300, 900}},
    };
    for (const Case& c : cases) {
        QRect placed = MenuBarExtra::popupPlace(c.anchor, c.area, c.size);
        EXPECT_EQ(placed, c.placed) << c.what;
        if (c.size.height() <= c.area.height()) EXPECT_TRUE(c.area.contains(placed)) << c.what;
    }
}

// On a 720-high screen the popup opens while it checks, then grows by the offer and its
// button: it is placed again, so "Open Kelvora" and "Quit" stay on the screen.
TEST_F(MenuBarViewTest, OnAShortScreenThePopupStaysWholeOnceItsOfferArrives) {
    KELVORA_ON_VIRTUAL_SCREEN("1100x720x24");
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_EQ(screen->geometry().size(), QSize(1100, 720));
    const QRect area = screen->availableGeometry();
    auto held = std::make_shared<Gate>();
    world.onCheck(0, {cacheItem("Inkwell", 3'000'000)}, held);
    auto menu = makeMenu();
    auto app = appModel();
    MenuBarExtra extra(*menu, *app, [] {});
    QCursor::setPos(area.right() - 12, area.bottom() - 4);
    extra.openPopup();
    ASSERT_TRUE(waitUntil([&] { return extra.popup()->isVisible(); }));
    const int checking = extra.popup()->height();
    held->open();
    ASSERT_TRUE(settledIn(*menu, Kind::ready));
    ASSERT_TRUE(waitUntil([&] { return extra.popup()->height() > checking; }));
    QTest::qWait(50);
    EXPECT_TRUE(area.contains(extra.popup()->frameGeometry()))
        << "the popup at " << extra.popup()->y() << ", " << extra.popup()->height() << " high";
    for (const char* name : {"openKelvora", "quit", "quickClean"}) {
        auto* button = extra.popup()->findChild<QWidget*>(name);
        QRect global(button->mapToGlobal(QPoint(0, 0)), button->size());
        EXPECT_TRUE(area.contains(global)) << name;
    }
    QImage picture = screen->grabWindow(0).toImage();
    keepPicture(picture, "tray-popup-on-1100x720-screen");
    EXPECT_EQ(picture.size(), QSize(1100, 720));
}

TEST_F(MenuBarViewTest, WithoutATrayClosingTheWindowQuits) {
    KELVORA_ON_VIRTUAL_DISPLAY();
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    auto menu = makeMenu();
    auto app = appModel();
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable()) << "this display has no tray host";
    QWidget window;
    window.resize(400, 300);
    MenuBarExtra extra(*menu, *app, [] {});
    extra.quitWithLastWindow();
    EXPECT_TRUE(Prefs::showMenuBar());
    EXPECT_FALSE(MenuBarExtra::keepsRunning());
    EXPECT_EQ(statusAfterClosing(window), 0);
}

} // namespace
} // namespace kelvora::testing
