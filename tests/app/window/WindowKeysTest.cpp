#include "app/controller/ControllerFixture.h"
#include "app/support/Rings.h"
#include "app/support/VirtualDisplay.h"
#include "app/support/WindowSteps.h"
#include "app/support/XInput.h"

#include "controller/Updater.h"
#include "design/Buttons.h"
#include "onboarding/SettingsControls.h"
#include "onboarding/SettingsView.h"
#include "panes/SearchView.h"
#include "window/CategoryDetail.h"
#include "window/CategoryList.h"
#include "window/DetailSidebar.h"
#include "window/DetailedView.h"
#include "window/FlowStates.h"
#include "window/HeaderBar.h"
#include "window/Inspector.h"
#include "window/MainWindow.h"
#include "window/ModeSwitch.h"
#include "window/PickFooter.h"
#include "window/RootView.h"
#include "window/SimpleView.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace kelvora::testing {
namespace {

using Kind = AppModel::Phase::Kind;

QWidget* focused() {
    return QApplication::focusWidget();
}

std::string nameOf(const QWidget* widget) {
    return widget ? std::string(widget->metaObject()->className()) + " " +
                        widget->objectName().toStdString()
                  : "nothing";
}

// The real window under a window manager, driven by keys and clicks the X server sends, as a
// keyboard user's reach it: one after another, to the window the manager focused, with the
// focus read between them.
class WindowKeysTest : public ControllerTest {
protected:
    void SetUp() override { Prefs::setBoolean(Prefs::Key::welcomeDone, true); }

    // The window shown, active and scanned, over a home with something to clean.
    void open() {
        write("Library/Caches/com.example.tool/blob.bin", std::string(400'000, 'c'));
        write(".Trash/old draft.txt", std::string(50'000, 't'));
        ASSERT_TRUE(keys.ready()) << "the X libraries and the display answer";
        model = makeModel();
        window_ = std::make_unique<MainWindow>(*model, updater_);
        ASSERT_NO_FATAL_FAILURE(showAndScan(*window_, *model));
    }

    // The detailed view with the app caches' pane open; none if it does not open.
    static DetailedView* openCaches(MainWindow& window, AppModel& model) {
        model.setMode(AppModel::ViewMode::detailed);
        model.show(JunkKind::caches, false, false, false, false, false);
        DetailedView* detailed = detailedView(window);
        return waitUntil([&] { return detailed->pane() == DetailedPane::category; }) ? detailed
                                                                                     : nullptr;
    }

    // The settings the window asks for, opened as the application opens them: a new window
    // each time, brought forward. Held in the pointer returned, which empties as they close.
    QPointer<SettingsView>& settingsOnRequest(MainWindow& window) {
        QObject::connect(&window, &MainWindow::settingsRequested, &window, [this] {
            SettingsView::Services services = SettingsView::Services::live();
            services.helperStatus = [] { return ShelfSweeper::Status::off(); };
            settings_ = new SettingsView(*model, services);
            settings_->setAttribute(Qt::WA_DeleteOnClose);
            settings_->show();
            settings_->raise();
            settings_->activateWindow();
        });
        return settings_;
    }

    // Presses Tab until `target` has the keyboard.
    bool tabTo(const QWidget* target, int most = 40) {
        for (int presses = 0; presses < most && focused() != target; ++presses)
            keys.key(XInput::kTab);
        return focused() == target;
    }

    // Keeps a grab of the screen as it shows, to be looked at.
    static void keepScreen(const std::string& name) {
        settle(std::chrono::milliseconds(50));
        keepPicture(QGuiApplication::primaryScreen()->grabWindow(0).toImage(), "keys-" + name);
    }

    XInput keys;
    std::unique_ptr<AppModel> model;
    Updater updater_;
    std::unique_ptr<MainWindow> window_;
    QPointer<SettingsView> settings_;
};

#define KELVORA_UNDER_WINDOW_MANAGER()                                                             \
    if (std::system("command -v openbox >/dev/null 2>&1") != 0)                                    \
        GTEST_SKIP() << "openbox is not installed";                                                \
    TempDir manager;                                                                               \
    const std::string rc =                                                                         \
        manager.write("rc.xml", "<?xml version=\"1.0\"?>\n<openbox_config "                        \
                                "xmlns=\"http://openbox.org/3.4/rc\"></openbox_config>\n");        \
    KELVORA_ON_VIRTUAL_SCREEN("1366x900x24", false,                                                \
                              "openbox --config-file \"" + rc + "\" 2>/dev/null")

struct CleanUpCase {
    const char* name;
    AppModel::ViewMode mode;
    QSize size;
    const char* doneButton; // the first control of the page the clean-up ends on
};
void PrintTo(const CleanUpCase& cleanUp, std::ostream* out) {
    *out << cleanUp.name;
}

class KeyboardCleanUpTest : public WindowKeysTest,
                            public ::testing::WithParamInterface<CleanUpCase> {};

// From the keyboard alone: Tab to the clean-up button and Return; in the confirmation, each
// Tab moves between its buttons, and Return on "Clean up" cleans. The page the clean-up ends
// on has its first button focused and ringed, though the focus came back with the window's
// activation after the confirmation closed.
TEST_P(KeyboardCleanUpTest, TabReachesCleanUpAndTheDonePageRingsItsFirstButton) {
    KELVORA_UNDER_WINDOW_MANAGER();
    const CleanUpCase& cleanUp = GetParam();
    ASSERT_NO_FATAL_FAILURE(open());
    MainWindow& window = *window_;
    model->setMode(cleanUp.mode);
    window.resize(cleanUp.size);
    QWidget* start = cleanUp.mode == AppModel::ViewMode::simple
                         ? window.root()->mainView()->findChild<QWidget*>("cleanUpButton")
                         : detailedView(window)->pickFooter()->button();
    ASSERT_TRUE(start);
    ASSERT_TRUE(tabTo(start)) << "Tab reaches the clean-up button, not " << nameOf(focused());
    keys.key(XInput::kReturn);
    ASSERT_TRUE(waitUntil([] {
        return focused() && focused()->window()->objectName() == "FreeUpConfirmation";
    })) << "the confirmation has the keyboard, not "
        << nameOf(focused());
    auto* box = focused()->window();
    auto* confirm = box->findChild<QPushButton*>("ConfirmButton");
    auto* cancel = box->findChild<QPushButton*>("CancelButton");
    EXPECT_EQ(focused(), cancel) << "it starts on its default, Cancel";
    for (QPushButton* next : {confirm, cancel, confirm}) {
        keys.key(XInput::kTab);
        ASSERT_EQ(focused(), next)
            << "Tab moves to " << next->text().toStdString() << ", not " << nameOf(focused());
    }
    keepScreen(std::string("confirmation-") + cleanUp.name);
    keys.key(XInput::kReturn);
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(Kind::done); })) << "Return cleans";
    auto* done = window.root()->mainView()->findChild<QWidget*>(cleanUp.doneButton);
    ASSERT_TRUE(done);
    ASSERT_TRUE(waitUntil([&] { return focused() == done && window.isActiveWindow(); }))
        << "the Done page's first button has the keyboard, not " << nameOf(focused());
    keepScreen(std::string("done-") + cleanUp.name);
    expectStopRinged(window, *done, cleanUp.name);
}

INSTANTIATE_TEST_SUITE_P(Views, KeyboardCleanUpTest,
                         ::testing::Values(CleanUpCase{"Simple", AppModel::ViewMode::simple,
                                                       MainWindow::kDefaultSize, "freeNowButton"},
                                           CleanUpCase{
                                               "DetailedSmallest", AppModel::ViewMode::detailed,
                                               MainWindow::kSmallestSize, "OpenUndoShelfButton"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Ctrl+comma, pressed as a person does (Ctrl down, then the comma), from the sidebar and from
// the inspector: the settings window opens with its first control focused and ringed.
TEST_F(WindowKeysTest, CtrlCommaOpensTheSettingsRingedFromTheSidebarAndTheInspector) {
    KELVORA_UNDER_WINDOW_MANAGER();
    ASSERT_NO_FATAL_FAILURE(open());
    MainWindow& window = *window_;
    DetailedView* detailed = openCaches(window, *model);
    ASSERT_TRUE(detailed);
    QPointer<SettingsView>& settings = settingsOnRequest(window);
    QWidget* sidebar = qobject_cast<DetailSidebar*>(detailed->sidebar())->list();
    QWidget* inspector = detailed->findChild<QWidget*>("showInFolder");
    for (QWidget* from : {sidebar, inspector}) {
        SCOPED_TRACE(nameOf(from));
        ASSERT_TRUE(tabTo(from));
        keys.key(XInput::kComma, {XInput::kControl});
        ASSERT_TRUE(waitUntil([&] { return settings && settings->isActiveWindow(); }));
        QWidget* first = settings->findChild<ChoiceButton*>(Prefs::Key::shelfDays);
        ASSERT_TRUE(waitUntil([&] { return focused() == first; }))
            << "the first control has the keyboard, not " << nameOf(focused());
        settle(std::chrono::milliseconds(100));
        keepScreen("settings-from-" + from->objectName().toStdString());
        expectStopRinged(*settings, *first, "settings");
        keys.key(XInput::kEscape);
        ASSERT_TRUE(waitUntil([&] { return !settings && window.isActiveWindow(); }));
    }
}

// Alt+K and Escape twice, or Alt+K and S for the settings and Escape to close them: the
// focus comes back to the simple view's "Clean up" wearing its ring, as after a sheet.
TEST_F(WindowKeysTest, TheFocusComesBackRingedAfterTheMenu) {
    KELVORA_UNDER_WINDOW_MANAGER();
    ASSERT_NO_FATAL_FAILURE(open());
    MainWindow& window = *window_;
    QPointer<SettingsView>& settings = settingsOnRequest(window);
    QWidget* cleanUp = window.root()->mainView()->findChild<QWidget*>("cleanUpButton");
    ASSERT_TRUE(cleanUp);
    for (const bool throughSettings : {false, true}) {
        const std::string name = throughSettings ? "settings" : "escape";
        SCOPED_TRACE(name);
        ASSERT_TRUE(tabTo(cleanUp)) << nameOf(focused());
        keys.key('k', {XInput::kAlt});
        ASSERT_TRUE(
            waitUntil([] { return QApplication::activePopupWidget(); }, std::chrono::seconds(3)));
        if (throughSettings) {
            keys.key('s');
            ASSERT_TRUE(waitUntil([&] { return settings && settings->isActiveWindow(); }));
            keys.key(XInput::kEscape);
            ASSERT_TRUE(waitUntil([&] { return !settings && window.isActiveWindow(); }));
        } else {
            keys.key(XInput::kEscape);
            keys.key(XInput::kEscape);
        }
        ASSERT_TRUE(waitUntil([&] {
            return !QApplication::activePopupWidget() && focused() == cleanUp;
        })) << "the focus comes back, not to "
            << nameOf(focused());
        keepScreen("after-menu-" + name);
        expectStopRinged(window, *cleanUp, "after the menu, " + name);
    }
}

// Search chosen in the sidebar with a click, and typed into straight after, every key queued
// before the window takes any in: the field has the keyboard and every character typed.
TEST_F(WindowKeysTest, TheSearchFieldKeepsEveryCharacterTypedAsItOpens) {
    KELVORA_UNDER_WINDOW_MANAGER();
    ASSERT_NO_FATAL_FAILURE(open());
    MainWindow& window = *window_;
    model->setMode(AppModel::ViewMode::detailed);
    DetailedView* detailed = detailedView(window);
    ASSERT_TRUE(waitUntil([&] { return !detailed->graphicsEffect(); }));
    auto* sidebar = qobject_cast<DetailSidebar*>(detailed->sidebar());
    const QPoint row = sidebar->list()->rowRect(Sidebar::Destination::search).center();
    QTest::mouseClick(sidebar->list(), Qt::LeftButton, {}, row);
    keys.type("capture d'écran");
    SearchView* search = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        search = qobject_cast<SearchView*>(detailed->paneWidget());
        return search != nullptr;
    })) << "the click opens the search";
    QLineEdit* field = search->field();
    waitUntil([&] { return field->text() == "capture d'écran"; }, std::chrono::seconds(3));
    EXPECT_EQ(focused(), field) << nameOf(focused());
    EXPECT_EQ(field->text().toStdString(), "capture d'écran");
}

// In a category's pane Tab follows the page from top to bottom: "Pick all" and "Pick none"
// above the list, then the list, then the inspector beside it.
TEST_F(WindowKeysTest, TabFollowsACategoryPaneFromTopToBottom) {
    KELVORA_UNDER_WINDOW_MANAGER();
    ASSERT_NO_FATAL_FAILURE(open());
    MainWindow& window = *window_;
    DetailedView* detailed = openCaches(window, *model);
    ASSERT_TRUE(detailed);
    auto* pane = qobject_cast<CategoryDetail*>(detailed->paneWidget());
    ASSERT_TRUE(tabTo(qobject_cast<DetailSidebar*>(detailed->sidebar())->list()));
    std::vector<QWidget*> stops;
    for (int presses = 0; presses < 12 && stops.size() < 4; ++presses) {
        keys.key(XInput::kTab);
        if (pane->isAncestorOf(focused()) && (stops.empty() || stops.back() != focused()))
            stops.push_back(focused());
    }
    ASSERT_EQ(stops.size(), 4u);
    EXPECT_EQ(stops[0], pane->pickAllButton()) << nameOf(stops[0]);
    EXPECT_EQ(stops[1], pane->pickNoneButton()) << nameOf(stops[1]);
    EXPECT_EQ(stops[2], static_cast<QWidget*>(pane->list())) << nameOf(stops[2]);
    EXPECT_TRUE(pane->inspector()->isAncestorOf(stops[3])) << nameOf(stops[3]);
}

// Alt and a menu's underlined letter open that menu, as in the desktop's own apps, and the
// menus keep their titles.
TEST_F(WindowKeysTest, AltAndAMenusLetterOpenIt) {
    KELVORA_UNDER_WINDOW_MANAGER();
    ASSERT_NO_FATAL_FAILURE(open());
    for (const auto& [letter, title] :
         {std::pair{'k', "Kelvora"}, std::pair{'f', "File"}, std::pair{'h', "Help"}}) {
        keys.key(static_cast<unsigned long>(letter), {XInput::kAlt});
        ASSERT_TRUE(
            waitUntil([] { return QApplication::activePopupWidget(); }, std::chrono::seconds(3)))
            << "Alt+" << letter << " opens a menu";
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_TRUE(menu);
        EXPECT_EQ(menu->menuAction()->iconText().toStdString(), title);
        if (std::string(title) == "Help") keepScreen("help-menu");
        keys.key(XInput::kEscape);
        keys.key(XInput::kEscape);
        ASSERT_TRUE(waitUntil([] { return !QApplication::activePopupWidget(); }));
    }
}

} // namespace
} // namespace kelvora::testing
