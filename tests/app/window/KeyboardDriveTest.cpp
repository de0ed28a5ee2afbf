#include "app/controller/ControllerFixture.h"
#include "app/design/Pictures.h"
#include "app/support/VirtualDisplay.h"

#include "controller/Updater.h"
#include "design/Buttons.h"
#include "design/PaintedRows.h"
#include "design/RowStack.h"
#include "design/Theme.h"
#include "engine/DiskScanner.h"
#include "panes/LoginItemsList.h"
#include "panes/LoginItemsView.h"
#include "panes/ShelfPage.h"
#include "panes/ShelfView.h"
#include "panes/SimilarPhotosView.h"
#include "platform/FileSystem.h"
#include "window/DetailSidebar.h"
#include "window/DetailedView.h"
#include "window/HeaderBar.h"
#include "window/MainWindow.h"
#include "window/ModeSwitch.h"
#include "window/RootView.h"

#include <QApplication>
#include <QTest>

#include <unistd.h>

namespace kelvora::testing {
namespace {

using Kind = AppModel::Phase::Kind;

// The real window on a virtual display, used with the keyboard alone: Tab from control to
// control, the arrows inside a list, Space and Return to act. No mouse anywhere.
class KeyboardDriveTest : public ControllerTest {
protected:
    static QWidget* focused() { return QApplication::focusWidget(); }

    // Presses Tab until the widget has the keyboard; fails when a long round of the window's
    // controls never reaches it.
    static void tabTo(MainWindow& window, QWidget* target) {
        ASSERT_TRUE(target);
        for (int presses = 0; presses < 150 && focused() != target; ++presses)
            QTest::keyClick(focused() ? focused() : &window, Qt::Key_Tab);
        ASSERT_EQ(focused(), target) << "Tab never reached " << target->metaObject()->className();
    }

    static void press(Qt::Key key) { QTest::keyClick(focused(), key); }

    // The row the keyboard is on wears the accent ring as the window draws it, at the default
    // and the smallest size, light and dark; the pictures are kept.
    static void expectKeyboardsRowRinged(MainWindow& window, QWidget& list, const PaintedRows& rows,
                                         const std::string& name) {
        ASSERT_GE(rows.currentRow(), 0);
        for (QSize size : {QSize(1280, 820), QSize(1100, 720)}) {
            window.resize(size);
            settle(std::chrono::milliseconds(50));
            QRect row = rows.paintedRowRect(rows.currentRow())
                            .translated(list.mapTo(&window, QPoint(0, 0)));
            for (Appearance appearance : {Appearance::light, Appearance::dark}) {
                bool light = appearance == Appearance::light;
                SCOPED_TRACE(std::to_string(size.width()) + (light ? " light" : " dark"));
                Theme::Scope scope(appearance);
                window.root()->applyForeground();
                // At ratio 2, as the snapshots are, so the 2 px ring lands on whole pixels.
                QImage image(window.size() * 2, QImage::Format_ARGB32_Premultiplied);
                image.setDevicePixelRatio(2);
                image.fill(Qt::transparent);
                window.render(&image);
                keepPicture(image, "keyboard-" + name + "-" + std::to_string(size.width()) +
                                       (light ? "-light" : "-dark"));
                EXPECT_TRUE(near(at(image, row.left() + 5, row.center().y()), Theme::signal(), 40));
                EXPECT_TRUE(
                    near(at(image, row.right() - 5, row.center().y()), Theme::signal(), 40));
            }
        }
        window.root()->applyForeground();
        window.resize(1280, 820);
    }

    // Shows the window, waits for the scan that showing it starts, and opens a tool of the
    // sidebar: into the detailed view through the mode switch, then the tool's row.
    template <class Pane>
    static Pane* openWithKeys(MainWindow& window, AppModel& model, Sidebar::Destination tool,
                              DetailedPane shown) {
        window.resize(1280, 820);
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window) ||
            !waitUntil([&] { return model.phase().is(Kind::ready); })) {
            ADD_FAILURE() << "the window shows and scans";
            return nullptr;
        }
        RootView* root = window.root();
        tabTo(window, root->header()->modeSwitch()->segment(AppModel::ViewMode::detailed));
        press(Qt::Key_Space);
        auto* detailed = qobject_cast<DetailedView*>(root->mainView());
        if (!detailed) {
            ADD_FAILURE() << "Space on the switch shows the detailed view";
            return nullptr;
        }
        // Pictures of the window are taken once the view has faded in.
        waitUntil([&] { return !detailed->graphicsEffect(); });
        tabTo(window, qobject_cast<DetailSidebar*>(detailed->sidebar())->button(tool));
        press(Qt::Key_Space);
        if (!waitUntil([&] { return detailed->pane() == shown; })) {
            ADD_FAILURE() << "Space on the sidebar's row opens its pane";
            return nullptr;
        }
        return qobject_cast<Pane*>(detailed->paneWidget());
    }

    std::unique_ptr<AppModel> liveLoginModel() {
        AppModel::Tools tools = this->tools();
        AppModel::Tools live = AppModel::Tools::live();
        tools.readLoginItems = live.readLoginItems;
        tools.switchLoginItem = live.switchLoginItem;
        return makeModel(tools);
    }

    void SetUp() override { Prefs::setBoolean(Prefs::Key::welcomeDone, true); }
};

TEST_F(KeyboardDriveTest, ReturnOnAShelfRowPutsItsFilesBack) {
    KELVORA_ON_VIRTUAL_DISPLAY();
    std::string notes = write("Downloads/Notes.zip", std::string(5000, 'n'));
    std::string film = write("Movies/Film.mov", std::string(90'000, 'f'));
    std::vector<UndoShelf::LabelledItem> items;
    for (const std::string& path : {notes, film}) {
        ScanItem item;
        item.kind = JunkKind::downloads;
        item.location = URL::fileURL(path);
        item.targets = {item.location};
        item.bytes = static_cast<int64_t>(fileText(path)->size());
        items.push_back({item, item.location.lastPathComponent()});
    }
    ASSERT_TRUE(UndoShelf(URL::fileURL(shelfRoot(), true), 7)
                    .shelve(items, addSeconds(currentDate(), -60))
                    .sweep);
    ASSERT_FALSE(fileExists(notes));

    auto model = makeModel();
    Updater updater;
    MainWindow window(*model, updater);
    auto* shelf =
        openWithKeys<ShelfView>(window, *model, Sidebar::Destination::shelf, DetailedPane::shelf);
    ASSERT_TRUE(shelf);

    // Tab lands on the largest entry; Down moves to the notes, Return puts them back.
    ASSERT_NO_FATAL_FAILURE(tabTo(window, shelf->page()));
    press(Qt::Key_Down);
    ASSERT_NO_FATAL_FAILURE(
        expectKeyboardsRowRinged(window, *shelf->page(), *shelf->page(), "shelf"));
    press(Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return fileExists(notes) && !model->shelfBusy(); }));
    EXPECT_FALSE(fileExists(film)) << "only the row the keyboard was on";
    ASSERT_EQ(model->sweeps().size(), 1u);
    ASSERT_EQ(model->sweeps()[0].entries.size(), 1u);

    // The keyboard stays in the list, on what is left.
    EXPECT_EQ(focused(), shelf->page());
    press(Qt::Key_Space);
    ASSERT_TRUE(waitUntil([&] { return fileExists(film) && !model->shelfBusy(); }));
    EXPECT_TRUE(model->sweeps().empty());
}

TEST_F(KeyboardDriveTest, SpaceOnAPhotoRowFlipsItsPick) {
    KELVORA_ON_VIRTUAL_DISPLAY();
    SimilarPhotos::Group beach{URL::fileURL(write("Pictures/beach.jpg")),
                               {URL::fileURL(write("Pictures/beach-2.jpg"))},
                               1};
    SimilarPhotos::Group dog{
        URL::fileURL(write("Pictures/dog.jpg")), {URL::fileURL(write("Pictures/dog-2.jpg"))}, 1};
    AppModel::Tools fake = tools();
    fake.findPhotos = [&](const std::vector<URL>&, const std::function<void(double)>&,
                          const StopToken&) {
        return std::vector<SimilarPhotos::Group>{beach, dog};
    };
    auto model = makeModel(fake);
    Updater updater;
    MainWindow window(*model, updater);
    auto* photos = openWithKeys<SimilarPhotosView>(window, *model, Sidebar::Destination::photos,
                                                   DetailedPane::photos);
    ASSERT_TRUE(photos);

    ASSERT_NO_FATAL_FAILURE(tabTo(window, photos->findChild<InkButton*>("findPhotos")));
    press(Qt::Key_Space);
    ASSERT_TRUE(waitUntil([&] { return model->photoGroups() && !model->findingPhotos(); }));
    ASSERT_NO_FATAL_FAILURE(tabTo(window, photos->rows()));
    press(Qt::Key_Space);
    EXPECT_EQ(model->photoPicks(), std::unordered_set<URL>{beach.keep});
    press(Qt::Key_Down);
    ASSERT_NO_FATAL_FAILURE(
        expectKeyboardsRowRinged(window, *photos->rows(), *photos->rows(), "photos"));
    press(Qt::Key_Space);
    EXPECT_EQ(model->photoPicks(), (std::unordered_set<URL>{beach.keep, dog.keep}));
    press(Qt::Key_Up);
    press(Qt::Key_Return);
    EXPECT_EQ(model->photoPicks(), std::unordered_set<URL>{dog.keep});
}

TEST_F(KeyboardDriveTest, ReturnOnALoginItemTurnsItOff) {
    KELVORA_ON_VIRTUAL_DISPLAY();
    // Programs that end at once, so nothing is left running behind the test.
    for (const std::string label : {"com.example.after", "com.example.tidy"})
        writePlist(Json{{"Label", label}, {"ProgramArguments", Json::array({"/bin/true"})}},
                   write("Library/LaunchAgents/" + label + ".plist", ""));
    auto model = liveLoginModel();
    Updater updater;
    MainWindow window(*model, updater);
    auto* pane = openWithKeys<LoginItemsView>(window, *model, Sidebar::Destination::loginItems,
                                              DetailedPane::loginItems);
    ASSERT_TRUE(pane);
    const std::string tidy = "userAgent:com.example.tidy";
    ASSERT_TRUE(waitUntil([&] { return pane->list()->layout().rowOf(tidy) != nullptr; }));

    // The arrows select as they go, so the inspector follows the keyboard.
    ASSERT_NO_FATAL_FAILURE(tabTo(window, pane->list()));
    for (int presses = 0; presses < 5 && model->loginSelection() != tidy; ++presses)
        press(Qt::Key_Down);
    ASSERT_EQ(model->loginSelection(), tidy);
    ASSERT_EQ(pane->list()->layout().rowOf(tidy)->action.title, "Turn off");
    ASSERT_NO_FATAL_FAILURE(
        expectKeyboardsRowRinged(window, *pane->list(), *pane->list(), "login-items"));
    press(Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] {
        const auto* row = pane->list()->layout().rowOf(tidy);
        return row && row->item.isOff();
    }));
    EXPECT_FALSE(model->loginError());
    auto disabled = DiskScanner::runTool("/bin/launchctl",
                                         {"print-disabled", "gui/" + std::to_string(getuid())}, 10);
    ASSERT_TRUE(disabled);
    EXPECT_NE(disabled->output.find("\"com.example.tidy\" => disabled"), std::string::npos)
        << disabled->output;
    EXPECT_EQ(disabled->output.find("\"com.example.after\" => disabled"), std::string::npos);
    EXPECT_EQ(model->loginSelection(), tidy) << "the keyboard stays on what it turned off";
}

} // namespace
} // namespace kelvora::testing
