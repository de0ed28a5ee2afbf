#include "app/controller/ControllerFixture.h"
#include "app/support/VirtualDisplay.h"

#include "controller/Updater.h"
#include "window/AppEvents.h"
#include "window/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QTest>

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
