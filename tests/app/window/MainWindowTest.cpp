#include "app/controller/ControllerFixture.h"
#include "app/support/VirtualDisplay.h"
#include "app/support/WindowSteps.h"

#include "controller/Updater.h"
#include "design/Buttons.h"
#include "design/Scrolling.h"
#include "design/WindowFit.h"
#include "onboarding/SettingsView.h"
#include "window/AppEvents.h"
#include "window/HeaderBar.h"
#include "window/MainWindow.h"
#include "window/ModeSwitch.h"
#include "window/PickFooter.h"

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <cstdio>
#include <regex>

namespace kelvora::WindowFit {
void PrintTo(const Fit& fit, std::ostream* out) {
    *out << "smallest " << fit.minimum.width() << "x" << fit.minimum.height() << ", at "
         << fit.geometry.x() << "," << fit.geometry.y() << " " << fit.geometry.width() << "x"
         << fit.geometry.height();
}
} // namespace kelvora::WindowFit

namespace kelvora::testing {
namespace {

// Comes first among the bases, so the graphical application exists before the fixture's.
struct GuiApplication {
    GuiApplication() {
        if (QCoreApplication::instance()) return;
        static int argc = 1;
        static char name[] = "kelvora_app_tests";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
};

class MainWindowTest : public GuiApplication, public ControllerTest {
protected:
    static bool guiAvailable() {
        return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    }
};

TEST_F(MainWindowTest, IsTheMainWindowWithItsCommandsEnabledAsTheFlowAllows) {
    if (!guiAvailable()) GTEST_SKIP() << "this process already runs a non-graphical Qt loop";
    auto model = makeModel();
    Updater updater;
    MainWindow window(*model, updater);
    EXPECT_EQ(window.objectName(), "main");
    EXPECT_EQ(window.windowTitle(), "Kelvora");
    EXPECT_EQ(window.size(),
              MainWindow::firstSize(QGuiApplication::primaryScreen()->availableGeometry().size()));
    EXPECT_EQ(window.minimumSize(), QSize(1100, 720));
    EXPECT_FALSE(window.checkForUpdatesAction()->isEnabled());
    EXPECT_EQ(window.checkAgainAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
    EXPECT_EQ(MainWindow::supportMailURL().toStdString(),
              "mailto:support@kelvora.app?subject=Kelvora%20help");

    // The welcome shows on a first launch: no scan, and "Check Again" waits for it.
    window.show();
    EXPECT_TRUE(model->phase().is(AppModel::Phase::Kind::scanning));
    EXPECT_FALSE(model->canScan() && window.checkAgainAction()->isEnabled());
    model->finishWelcome();
    EXPECT_FALSE(window.checkAgainAction()->isEnabled()) << "disabled while the scan runs";
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::ready); }));
    EXPECT_TRUE(window.checkAgainAction()->isEnabled());

    window.showWelcomeAction()->trigger();
    EXPECT_TRUE(model->showingWelcome());
    EXPECT_FALSE(window.checkAgainAction()->isEnabled());
    // A home with no System Data has nothing to explain of it: the question is not asked.
    EXPECT_FALSE(window.systemDataAction()->isVisible());
    window.systemDataAction()->trigger();
    EXPECT_FALSE(model->showingSystemDataHelp());
    write("Library/iTunes/iPhone Software Updates/iPhone.ipsw", std::string(50'000, 'u'));
    model->setShowingWelcome(false);
    model->scan();
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::ready); }));
    EXPECT_TRUE(window.systemDataAction()->isVisible());
    window.systemDataAction()->trigger();
    EXPECT_TRUE(model->showingSystemDataHelp());
}

TEST(MainWindowSizeTest, OpensAtTheDefaultSizeHeldInsideTheScreenNeverBelowTheSmallest) {
    struct Case {
        QSize available;
        QSize opens;
    } cases[] = {
        {{1920, 1080}, {1280, 820}}, {{1280, 820}, {1280, 820}}, {{1366, 740}, {1280, 740}},
        {{1100, 720}, {1100, 720}},  {{1200, 700}, {1200, 720}}, {{800, 600}, {1100, 720}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MainWindow::firstSize(c.available), c.opens)
            << c.available.width() << "x" << c.available.height();
}

// On a screen of the smallest window's size the window opens wholly on it, not at the
// default size running past its edges.
TEST_F(MainWindowTest, OnAScreenOfTheSmallestSizeItOpensWhollyOnIt) {
    KELVORA_ON_VIRTUAL_SCREEN("1100x720x24");
    auto model = makeModel();
    Updater updater;
    MainWindow window(*model, updater);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(window.size(), QSize(1100, 720));
    EXPECT_TRUE(area.contains(window.frameGeometry()));
}

TEST(MainWindowSizeTest, UnderAFrameTheWindowFitsTheFreeAreaLessTheFrame) {
    const QMargins openbox(1, 20, 1, 5);
    struct Case {
        const char* what;
        QRect area;
        QMargins frame;
        QRect geometry;
        WindowFit::Fit fit;
    } cases[] = {
        {"no frame on a large screen: as it was",
         {0, 0, 1920, 1080},
         {},
         {320, 130, 1280, 820},
         {{1100, 720}, {320, 130, 1280, 820}}},
        {"a window moved partly off the free area comes back whole",
         {0, 32, 1366, 736},
         openbox,
         {600, 10, 1100, 700},
         {{1100, 711}, {265, 52, 1100, 711}}},
        {"a screen smaller than the smallest window: the window fills its free area",
         {0, 0, 300, 200},
         openbox,
         {50, 50, 1100, 720},
         {{298, 175}, {1, 20, 298, 175}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WindowFit::fitIn(c.area, c.frame, c.geometry, MainWindow::kSmallestSize), c.fit)
            << c.what;
}

// The first integers `pattern` captures in what `command` prints.
std::vector<int> numbers(const std::string& command, const std::string& pattern) {
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t read; (read = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            text.append(buffer, read);
        pclose(pipe);
    }
    std::smatch match;
    std::vector<int> found;
    if (std::regex_search(text, match, std::regex(pattern)))
        for (size_t i = 1; i < match.size(); ++i)
            found.push_back(std::stoi(match[i]));
    return found;
}

// Where the window manager put the window, as the X tools read it from the display rather
// than as the toolkit believes it: the free area, the frame drawn around the window, the
// window itself and the smallest size the window asks for.
struct Framed {
    QRect area;
    QMargins frame;
    QRect window;
    QSize minimum;

    QRect outer() const { return window.marginsAdded(frame); }

    static std::optional<Framed> read(WId id) {
        const std::string of = " -id " + std::to_string(id), n = "(-?\\d+)",
                          four = "= " + n + ", " + n + ", " + n + ", " + n;
        auto area = numbers("xprop -root _NET_WORKAREA", four);
        auto frame =
            numbers("xprop" + of + " _NET_FRAME_EXTENTS", four); // left, right, top, bottom
        auto place = numbers("xwininfo" + of, "Absolute upper-left X: *" + n +
                                                  "\\s*Absolute upper-left Y: *" + n +
                                                  "[\\s\\S]*?Width: *" + n + "\\s*Height: *" + n);
        auto minimum =
            numbers("xprop" + of + " WM_NORMAL_HINTS", "minimum size: " + n + " by " + n);
        if (area.size() != 4 || frame.size() != 4 || place.size() != 4 || minimum.size() != 2)
            return std::nullopt;
        return Framed{{area[0], area[1], area[2], area[3]},
                      {frame[0], frame[2], frame[1], frame[3]},
                      {place[0], place[1], place[2], place[3]},
                      {minimum[0], minimum[1]}};
    }
};

struct ScreenCase {
    const char* name;
    const char* screen;
    int panel; // the height of a panel along the top
};
void PrintTo(const ScreenCase& screen, std::ostream* out) {
    *out << screen.screen << " with a panel of " << screen.panel << " px";
}

class WindowManagerFitTest : public MainWindowTest,
                             public ::testing::WithParamInterface<ScreenCase> {
protected:
    // The window manager's settings, with the panel's strip kept free; none where openbox or
    // the X tools are missing.
    std::optional<std::string> managerConfig() {
        if (std::system("command -v openbox >/dev/null 2>&1") != 0 ||
            std::system("command -v xprop >/dev/null 2>&1") != 0 ||
            std::system("command -v xwininfo >/dev/null 2>&1") != 0)
            return std::nullopt;
        return "openbox --config-file \"" +
               manager_.write("rc.xml", "<?xml version=\"1.0\"?>\n<openbox_config "
                                        "xmlns=\"http://openbox.org/3.4/rc\"><margins><top>" +
                                            std::to_string(GetParam().panel) +
                                            "</top></margins></openbox_config>\n") +
               "\" 2>/dev/null";
    }

    // The window as the window manager placed it, once its frame lies on the free area or
    // ten seconds have passed.
    static std::optional<Framed> placed(QWidget& window) {
        std::optional<Framed> framed;
        waitUntil(
            [&] {
                framed = Framed::read(window.winId());
                return framed && framed->frame.top() > 0 && framed->area.contains(framed->outer());
            },
            std::chrono::seconds(10));
        return framed;
    }

    static void expectOnTheFreeArea(const Framed& framed, const QSize& screenSize) {
        EXPECT_EQ(framed.area, QRect(0, GetParam().panel, screenSize.width(),
                                     screenSize.height() - GetParam().panel))
            << "the panel keeps its strip";
        EXPECT_GT(framed.frame.top(), 0) << "the window manager drew a title bar";
        EXPECT_TRUE(framed.area.contains(framed.outer()))
            << "the frame, " << framed.outer().x() << "," << framed.outer().y() << " "
            << framed.outer().width() << "x" << framed.outer().height()
            << ", lies on the free area";
        const QSize room = framed.area.marginsRemoved(framed.frame).size();
        EXPECT_LE(framed.minimum.width(), room.width()) << "the window can be made to fit";
        EXPECT_LE(framed.minimum.height(), room.height()) << "the window can be made to fit";
    }

    // A control of `window` lies on the free area and is shown whole.
    static void expectShownWhole(const Framed& framed, QWidget& window, QWidget& control) {
        const QRect onScreen(framed.window.topLeft() + control.mapTo(&window, QPoint()),
                             control.size());
        const std::string name = control.objectName().toStdString();
        EXPECT_TRUE(control.isVisible()) << name;
        EXPECT_TRUE(framed.area.contains(onScreen)) << name << " lies on the free area";
        EXPECT_EQ(control.visibleRegion(), QRegion(control.rect())) << name << " is shown whole";
    }

private:
    TempDir manager_;
};

// The real window under a window manager that draws a title bar and borders around it, on a
// screen of the smallest window's size and on a laptop's screen under a panel: the frame,
// the footer's "Clean up" and the inspector's buttons all lie on the free area, and the
// smallest size the window allows fits it too.
TEST_P(WindowManagerFitTest, TheFramedWindowAndItsButtonsLieOnTheFreeArea) {
    const std::optional<std::string> manager = managerConfig();
    if (!manager)
        GTEST_SKIP() << "openbox or the X tools xprop and xwininfo (x11-utils) are not installed, "
                        "so no window manager frames the window";
    KELVORA_ON_VIRTUAL_SCREEN(GetParam().screen, false, *manager);

    Prefs::setBoolean(Prefs::Key::welcomeDone, true);
    write("Library/Caches/com.example.tool/blob.bin", std::string(400'000, 'c'));
    auto model = makeModel();
    Updater updater;
    MainWindow window(*model, updater);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::ready); }));
    QTest::mouseClick(window.root()->header()->modeSwitch()->segment(AppModel::ViewMode::detailed),
                      Qt::LeftButton);
    ASSERT_NO_FATAL_FAILURE(
        clickSidebarRow(window, Sidebar::Destination::category, JunkKind::caches));
    DetailedView* detailed = detailedView(window);
    ASSERT_TRUE(waitUntil([&] { return detailed->pane() == DetailedPane::category; }));
    auto* showInFolder = detailed->findChild<QWidget*>("showInFolder");
    ASSERT_TRUE(showInFolder);

    const std::optional<Framed> framed = placed(window);
    ASSERT_TRUE(framed) << "the X tools read the window's place and frame";
    expectOnTheFreeArea(*framed, window.screen()->geometry().size());
    for (QWidget* button : {static_cast<QWidget*>(detailed->pickFooter()->button()), showInFolder})
        expectShownWhole(*framed, window, *button);
}

// The settings window too: its frame lies on the free area, and its column scrolls to its
// last button, shown whole.
TEST_P(WindowManagerFitTest, TheSettingsWindowLiesOnTheFreeAreaAndItsColumnScrolls) {
    const std::optional<std::string> manager = managerConfig();
    if (!manager) GTEST_SKIP() << "openbox or the X tools xprop and xwininfo are not installed";
    KELVORA_ON_VIRTUAL_SCREEN(GetParam().screen, false, *manager);

    auto model = makeModel();
    SettingsView::Services services = SettingsView::Services::live();
    services.helperStatus = [] {
        return ShelfSweeper::Status::unavailable(ShelfSweeper::kNoServiceManager);
    };
    SettingsView settings(*model, services);
    settings.show();
    settings.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&settings));
    const std::optional<Framed> framed = placed(settings);
    ASSERT_TRUE(framed) << "the X tools read the window's place and frame";
    expectOnTheFreeArea(*framed, settings.screen()->geometry().size());

    QScrollArea* area = settings.scrolling()->scrollArea();
    EXPECT_EQ(area->verticalScrollBar()->maximum() > 0,
              settings.page()->height() > area->viewport()->height())
        << "a column taller than the window scrolls";
    auto* last = settings.findChild<QWidget*>("showWelcome");
    ASSERT_TRUE(last);
    area->ensureWidgetVisible(last);
    settle();
    expectShownWhole(*framed, settings, *last);
}

INSTANTIATE_TEST_SUITE_P(Screens, WindowManagerFitTest,
                         ::testing::Values(ScreenCase{"SmallestWindowsSize", "1100x720x24", 0},
                                           ScreenCase{"LaptopUnderAPanel", "1366x768x24", 32}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, OpenedApplicationsReachTheUninstallFlow) {
    if (!guiAvailable()) GTEST_SKIP() << "this process already runs a non-graphical Qt loop";
    auto model = makeModel();
    Updater updater;
    MainWindow window(*model, updater);
    std::string notes = write("Documents/notes.txt");
    std::string app = writeApp("Sketchpad", "com.example.sketchpad");
    EXPECT_EQ(firstApplication({URL::fileURL(notes), URL::fileURL(app)}), URL::fileURL(app));
    emit AppEvents::shared().kelvoraOpenApps({URL::fileURL(notes), URL::fileURL(app)});
    ASSERT_TRUE(waitUntil([&] { return model->uninstallTarget().has_value(); }));
    EXPECT_EQ(model->uninstallTarget()->location, URL::fileURL(app));
}

} // namespace
} // namespace kelvora::testing
