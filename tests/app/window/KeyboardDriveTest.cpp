#include "app/controller/ControllerFixture.h"
#include "app/design/Pictures.h"
#include "app/support/Rings.h"
#include "app/support/VirtualDisplay.h"
#include "app/support/WindowSteps.h"

#include "controller/Updater.h"
#include "design/Buttons.h"
#include "design/Focus.h"
#include "design/PaintedRows.h"
#include "design/RowStack.h"
#include "design/Theme.h"
#include "engine/DiskScanner.h"
#include "onboarding/SettingsControls.h"
#include "onboarding/SettingsView.h"
#include "panes/LoginItemsList.h"
#include "panes/LoginItemsView.h"
#include "panes/SearchView.h"
#include "panes/ShelfPage.h"
#include "panes/ShelfView.h"
#include "panes/SimilarPhotosView.h"
#include "panes/SpaceMapCanvas.h"
#include "panes/SpaceMapParts.h"
#include "panes/SpaceMapTiles.h"
#include "panes/SpaceMapView.h"
#include "platform/FileSystem.h"
#include "window/CategoryDetail.h"
#include "window/CategoryList.h"
#include "window/DetailSidebar.h"
#include "window/DetailedView.h"
#include "window/FlowStates.h"
#include "window/HeaderBar.h"
#include "window/Inspector.h"
#include "window/MainWindow.h"
#include "window/ModeSwitch.h"
#include "window/OverviewList.h"
#include "window/RootView.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <algorithm>

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

    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(focused(), key, modifiers);
    }

    // Moves the sidebar's keyboard to a row with the arrows, and opens it with Return.
    static void openFromSidebar(DetailSidebar& sidebar, Sidebar::Destination destination,
                                std::optional<JunkKind> kind = std::nullopt) {
        SidebarList* list = sidebar.list();
        ASSERT_EQ(focused(), list) << "the keyboard is in the sidebar";
        const auto& rows = sidebar.rows();
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const Sidebar::Row& row) {
            return row.destination == destination && row.kind == kind;
        });
        ASSERT_NE(row, rows.end());
        const int wanted = static_cast<int>(row - rows.begin());
        for (int presses = 0; presses < 40 && list->currentRow() != wanted; ++presses)
            press(list->currentRow() < wanted ? Qt::Key_Down : Qt::Key_Up);
        ASSERT_EQ(list->currentRow(), wanted);
        press(Qt::Key_Return);
    }

    // The window as it draws now, light and dark at ratio 2 (so the 2 px ring lands on whole
    // pixels), wears the accent ring along the left and right edges of `ring` (given in the
    // widget's own coordinates); the pictures are kept.
    static void expectRinged(MainWindow& window, const QWidget& widget, const QRectF& ring,
                             const std::string& name) {
        // What the last key set off is laid out first.
        settle(std::chrono::milliseconds(50));
        const QRectF place = ring.translated(widget.mapTo(&window, QPoint(0, 0)));
        for (Appearance appearance : {Appearance::light, Appearance::dark}) {
            bool light = appearance == Appearance::light;
            SCOPED_TRACE(name + (light ? " light" : " dark"));
            Theme::Scope scope(appearance);
            window.root()->applyForeground();
            QImage image(window.size() * 2, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(2);
            image.fill(Qt::transparent);
            window.render(&image);
            keepPicture(image, "keyboard-" + name + "-" + std::to_string(window.width()) +
                                   (light ? "-light" : "-dark"));
            EXPECT_TRUE(near(at(image, place.left() + 1, place.center().y()), Theme::signal(), 40));
            EXPECT_TRUE(
                near(at(image, place.right() - 1, place.center().y()), Theme::signal(), 40));
        }
        window.root()->applyForeground();
    }

    // The row the keyboard is on wears the ring, at the default and the smallest size.
    template <class List>
    static void expectKeyboardsRowRinged(MainWindow& window, List& rows, const std::string& name) {
        ASSERT_GE(rows.currentRow(), 0);
        for (QSize size : {QSize(1280, 820), QSize(1100, 720)}) {
            window.resize(size);
            settle(std::chrono::milliseconds(50));
            // A list's ring lies 4 px inside its row.
            expectRinged(window, rows,
                         rows.paintedRowRect(rows.currentRow()).adjusted(4, 4, -4, -4), name);
        }
        window.resize(1280, 820);
    }

    // Tab from the stop the keyboard is on round all the stops of the window and back: each
    // wears its ring. The stops in the order met.
    static std::vector<QWidget*> expectEveryStopRinged(QWidget& top, const std::string& name) {
        std::vector<QWidget*> stops;
        QWidget* start = focused();
        if (!start || !top.isAncestorOf(start)) {
            ADD_FAILURE() << name << ": the keyboard is not in the window";
            return stops;
        }
        do {
            stops.push_back(focused());
            expectStopRinged(top, *focused(), name + "-" + std::to_string(stops.size()));
            if (::testing::Test::HasFatalFailure()) return stops;
            press(Qt::Key_Tab);
        } while (focused() != start && focused() && stops.size() < 60);
        EXPECT_EQ(focused(), start) << name << ": Tab comes round again";
        return stops;
    }

    // Presses Shift+Tab until the widget has the keyboard.
    static void tabBackTo(QWidget* target) {
        ASSERT_TRUE(target);
        for (int presses = 0; presses < 60 && focused() != target; ++presses)
            press(Qt::Key_Backtab, Qt::ShiftModifier);
        ASSERT_EQ(focused(), target)
            << "Shift+Tab never reached " << target->metaObject()->className();
    }

    // Shift+Tab back to the sidebar, then its row opened with the arrows and Return; the pane
    // it opened.
    static QWidget* openWithKeys(DetailedView& detailed, Sidebar::Destination destination,
                                 std::optional<JunkKind> kind = std::nullopt) {
        static const std::map<Sidebar::Destination, DetailedPane> paneOf{
            {Sidebar::Destination::overview, DetailedPane::overview},
            {Sidebar::Destination::category, DetailedPane::category},
            {Sidebar::Destination::shelf, DetailedPane::shelf},
            {Sidebar::Destination::spaceMap, DetailedPane::spaceMap},
            {Sidebar::Destination::search, DetailedPane::search},
            {Sidebar::Destination::photos, DetailedPane::photos},
            {Sidebar::Destination::loginItems, DetailedPane::loginItems}};
        auto* sidebar = qobject_cast<DetailSidebar*>(detailed.sidebar());
        tabBackTo(sidebar->list());
        openFromSidebar(*sidebar, destination, kind);
        if (::testing::Test::HasFatalFailure()) return nullptr;
        if (!waitUntil([&] { return detailed.pane() == paneOf.at(destination); })) {
            ADD_FAILURE() << "Return on the sidebar's row opens its pane";
            return nullptr;
        }
        return detailed.paneWidget();
    }

    // Tab reaches the switch, ringed; the key (Return or Space) shows the detailed view and the
    // switch keeps the keyboard; the view once it has faded in, so that pictures are whole.
    static DetailedView* detailedWithKeys(MainWindow& window, AppModel& model, Qt::Key key) {
        QWidget* segment =
            window.root()->header()->modeSwitch()->segment(AppModel::ViewMode::detailed);
        tabTo(window, segment);
        if (::testing::Test::HasFatalFailure()) return nullptr;
        expectRinged(window, *segment, segment->rect(), "mode-switch");
        press(key);
        EXPECT_EQ(model.mode(), AppModel::ViewMode::detailed);
        EXPECT_EQ(focused(), segment);
        DetailedView* detailed = detailedView(window);
        if (detailed) waitUntil([&] { return !detailed->graphicsEffect(); });
        return detailed;
    }

    void SetUp() override { Prefs::setBoolean(Prefs::Key::welcomeDone, true); }
};

// On the rows of the Undo Shelf, the similar photos and the login items, Return and Space act
// on the row the keyboard is on, which wears the ring, and the keyboard stays in the list.
TEST_F(KeyboardDriveTest, ReturnAndSpaceActOnTheRowTheKeyboardIsOn) {
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
    SimilarPhotos::Group beach{URL::fileURL(write("Pictures/beach.jpg")),
                               {URL::fileURL(write("Pictures/beach-2.jpg"))},
                               1};
    SimilarPhotos::Group dog{
        URL::fileURL(write("Pictures/dog.jpg")), {URL::fileURL(write("Pictures/dog-2.jpg"))}, 1};
    // Programs that end at once, so nothing is left running behind the test.
    for (const std::string label : {"com.example.after", "com.example.tidy"})
        writePlist(Json{{"Label", label}, {"ProgramArguments", Json::array({"/bin/true"})}},
                   write("Library/LaunchAgents/" + label + ".plist", ""));
    AppModel::Tools tools = this->tools();
    AppModel::Tools live = AppModel::Tools::live();
    tools.readLoginItems = live.readLoginItems;
    tools.switchLoginItem = live.switchLoginItem;
    tools.findPhotos = [&](const std::vector<URL>&, const std::function<void(double)>&,
                           const StopToken&) {
        return std::vector<SimilarPhotos::Group>{beach, dog};
    };
    auto model = makeModel(tools);
    Updater updater;
    MainWindow window(*model, updater);
    ASSERT_NO_FATAL_FAILURE(showAndScan(window, *model));
    DetailedView* detailed = detailedWithKeys(window, *model, Qt::Key_Space);
    ASSERT_TRUE(detailed) << "Space on the switch shows the detailed view";

    // The shelf: Tab lands on the largest entry; Down moves to the notes, Return puts them
    // back; the keyboard stays in the list, on what is left, and Space puts it back.
    auto* shelf = qobject_cast<ShelfView*>(openWithKeys(*detailed, Sidebar::Destination::shelf));
    ASSERT_TRUE(shelf);
    ASSERT_NO_FATAL_FAILURE(tabTo(window, shelf->page()));
    press(Qt::Key_Down);
    ASSERT_NO_FATAL_FAILURE(expectKeyboardsRowRinged(window, *shelf->page(), "shelf"));
    press(Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return fileExists(notes) && !model->shelfBusy(); }));
    EXPECT_FALSE(fileExists(film)) << "only the row the keyboard was on";
    ASSERT_EQ(model->sweeps().size(), 1u);
    ASSERT_EQ(model->sweeps()[0].entries.size(), 1u);
    EXPECT_EQ(focused(), shelf->page());
    press(Qt::Key_Space);
    ASSERT_TRUE(waitUntil([&] { return fileExists(film) && !model->shelfBusy(); }));
    EXPECT_TRUE(model->sweeps().empty());

    // The similar photos: Space and Return flip the pick of the group the keyboard is on.
    auto* photos =
        qobject_cast<SimilarPhotosView*>(openWithKeys(*detailed, Sidebar::Destination::photos));
    ASSERT_TRUE(photos);
    ASSERT_NO_FATAL_FAILURE(tabTo(window, photos->findChild<InkButton*>("findPhotos")));
    press(Qt::Key_Space);
    ASSERT_TRUE(waitUntil([&] { return model->photoGroups() && !model->findingPhotos(); }));
    ASSERT_NO_FATAL_FAILURE(tabTo(window, photos->rows()));
    press(Qt::Key_Space);
    EXPECT_EQ(model->photoPicks(), std::unordered_set<URL>{beach.keep});
    press(Qt::Key_Down);
    ASSERT_NO_FATAL_FAILURE(expectKeyboardsRowRinged(window, *photos->rows(), "photos"));
    press(Qt::Key_Space);
    EXPECT_EQ(model->photoPicks(), (std::unordered_set<URL>{beach.keep, dog.keep}));
    press(Qt::Key_Up);
    press(Qt::Key_Return);
    EXPECT_EQ(model->photoPicks(), std::unordered_set<URL>{dog.keep});

    // The login items: the arrows select as they go, so the inspector follows the keyboard;
    // Return turns off the item the keyboard is on, and only that one.
    auto* login =
        qobject_cast<LoginItemsView*>(openWithKeys(*detailed, Sidebar::Destination::loginItems));
    ASSERT_TRUE(login);
    const std::string tidy = "userAgent:com.example.tidy";
    ASSERT_TRUE(waitUntil([&] { return login->list()->layout().rowOf(tidy) != nullptr; }));
    ASSERT_NO_FATAL_FAILURE(tabTo(window, login->list()));
    for (int presses = 0; presses < 5 && model->loginSelection() != tidy; ++presses)
        press(Qt::Key_Down);
    ASSERT_EQ(model->loginSelection(), tidy);
    ASSERT_EQ(login->list()->layout().rowOf(tidy)->action.title, "Turn off");
    ASSERT_NO_FATAL_FAILURE(expectKeyboardsRowRinged(window, *login->list(), "login-items"));
    // Every stop of the pane with an item in its inspector wears the ring, and Tab comes back.
    ASSERT_NO_FATAL_FAILURE(expectEveryStopRinged(window, "login-inspector"));
    press(Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] {
        const auto* row = login->list()->layout().rowOf(tidy);
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

// The keyboard alone, at the smallest and the usual size. The switch and the sidebar wear
// the ring; every row of the sidebar opens its pane with the arrows and Return, and the
// pane takes the keyboard into its first list or control; the overview opens a category
// with Return; the space map's tiles walk in reading order, open with Return and go up with
// Backspace; Return presses a focused button; a sheet opened from the keyboard starts on its
// default button, closes with Escape and gives the keyboard back to what opened it; the
// settings opened from the keyboard start on their first control, Tab goes down the page,
// and Escape and Ctrl+W close them. Every stop met on the way wears the ring. After each
// step the keyboard is where the user looks next.
TEST_F(KeyboardDriveTest, EveryPaneOpensAndAnswersFromTheKeyboardAlone) {
    KELVORA_ON_VIRTUAL_DISPLAY();
    write("Library/Caches/com.example.tool/blob.bin", std::string(400'000, 'c'));
    write("Library/Caches/com.example.kept/blob.bin", std::string(300'000, 'k'));
    write("Documents/notes/today.txt", std::string(90'000, 'n'));
    write(".Trash/old draft.txt", std::string(50'000, 't'));
    // A System Data category, which the Help menu explains.
    write("Library/iTunes/iPhone Software Updates/iPhone.ipsw", std::string(50'000, 'u'));
    const std::string bundle = writeApp("Sketchpad", "com.example.sketchpad");
    // A never-touch row, whose button comes in the middle of the settings.
    Prefs::setStringList(Prefs::Key::neverTouch, {env.home() + "/Music"});
    AppModel::Tools tools = this->tools();
    tools.measure = AppModel::Tools::live().measure;
    for (QSize size : {QSize(1280, 820), QSize(1100, 720)}) {
        SCOPED_TRACE(std::to_string(size.width()) + " wide");
        // Every stop is looked at once, in the smallest window, which comes last: a clean-up
        // ends it.
        const bool everyStop = size.width() == 1100;
        auto model = makeModel(tools);
        model->setMode(AppModel::ViewMode::simple);
        Updater updater;
        MainWindow window(*model, updater);
        ASSERT_NO_FATAL_FAILURE(showAndScan(window, *model, size));
        RootView* root = window.root();

        // The switch: Tab reaches it ringed, Return presses it, and it keeps the keyboard.
        QWidget* detailedSegment =
            root->header()->modeSwitch()->segment(AppModel::ViewMode::detailed);
        DetailedView* detailed = detailedWithKeys(window, *model, Qt::Key_Return);
        ASSERT_TRUE(detailed);
        auto* sidebar = qobject_cast<DetailSidebar*>(detailed->sidebar());
        SidebarList* list = sidebar->list();

        // The sidebar is one stop of Tab, right after the header's buttons; the keyboard
        // starts on the open row, ringed, and the next Tab goes on to the pane.
        int tabs = 0;
        for (; tabs < 5 && focused() != list; ++tabs)
            press(Qt::Key_Tab);
        ASSERT_EQ(focused(), list);
        EXPECT_LE(tabs, 2) << "Check again, then the sidebar";
        EXPECT_EQ(list->currentRow(), 0) << "on the overview, which is open";
        ASSERT_NO_FATAL_FAILURE(expectRinged(window, *list, list->paintedRowRect(0), "sidebar"));
        press(Qt::Key_Tab);
        auto* overview = qobject_cast<OverviewList*>(detailed->paneWidget());
        ASSERT_TRUE(overview);
        EXPECT_EQ(focused(), overview->pane()->list()) << "the sidebar takes one Tab";
        ASSERT_NO_FATAL_FAILURE(tabBackTo(list));
        press(Qt::Key_End);
        EXPECT_EQ(list->currentRow(), list->paintedRowCount() - 1);
        press(Qt::Key_Home);
        EXPECT_EQ(list->currentRow(), 0);

        // Every row opens its pane with the arrows and Return; the pane has the keyboard.
        const std::vector<Sidebar::Row> rows = sidebar->rows();
        for (const Sidebar::Row& row : rows) {
            SCOPED_TRACE(row.title);
            QWidget* pane = openWithKeys(*detailed, row.destination, row.kind);
            ASSERT_TRUE(pane);
            QWidget* expected = nullptr;
            switch (row.destination) {
            case Sidebar::Destination::overview:
                expected = qobject_cast<OverviewList*>(pane)->pane()->list();
                break;
            case Sidebar::Destination::category:
                // A category with nothing found offers nothing to reach.
                expected = model->result()->itemsOf(*row.kind).empty()
                               ? static_cast<QWidget*>(list)
                               : qobject_cast<CategoryDetail*>(pane)->list();
                break;
            case Sidebar::Destination::search:
                expected = qobject_cast<SearchView*>(pane)->field();
                break;
            case Sidebar::Destination::photos:
                expected = pane->findChild<InkButton*>("findPhotos");
                break;
            case Sidebar::Destination::spaceMap:
                // Measuring leaves only the button that maps another folder.
                expected = qobject_cast<SpaceMapView*>(pane)->header()->choose();
                break;
            case Sidebar::Destination::loginItems:
                // None to list: the header's first button.
                expected = pane->findChild<OutlineButton*>("openLoginSettings");
                break;
            case Sidebar::Destination::shelf:
                // An empty shelf offers nothing to reach: the keyboard stays on its row.
                expected = list;
                break;
            }
            EXPECT_EQ(focused(), expected)
                << (focused() ? focused()->metaObject()->className() : "nothing");
            if (auto* rows = dynamic_cast<PaintedRows*>(focused())) {
                EXPECT_TRUE(rows->showsFocusOn(rows->currentRow())) << "ringed";
            }
            if (row.destination == Sidebar::Destination::spaceMap)
                ASSERT_TRUE(waitUntil([&] { return model->spaceMap() && !model->measuring(); }));
            if (!everyStop) continue;
            const std::vector<QWidget*> stops = expectEveryStopRinged(window, row.title);
            ASSERT_FALSE(::testing::Test::HasFatalFailure());
            // The inspector is read from the top: its path before the buttons below it.
            auto* inspector = pane->findChild<Inspector*>();
            std::vector<int> tops;
            for (QWidget* stop : stops)
                if (inspector && inspector->isAncestorOf(stop))
                    tops.push_back(stop->mapTo(inspector, QPoint(0, 0)).y());
            EXPECT_TRUE(std::is_sorted(tops.begin(), tops.end())) << row.title;
        }

        // The overview's rows take Return: the category opens with the keyboard in its list.
        overview =
            qobject_cast<OverviewList*>(openWithKeys(*detailed, Sidebar::Destination::overview));
        ASSERT_TRUE(overview);
        OverviewRows* categories = overview->pane()->list();
        ASSERT_EQ(focused(), categories);
        press(Qt::Key_Down);
        EXPECT_EQ(categories->currentRow(), 1);
        press(Qt::Key_End);
        ASSERT_NO_FATAL_FAILURE(expectRinged(
            window, *categories,
            categories->paintedRowRect(categories->currentRow()).adjusted(4, 4, -4, -4),
            "overview"));
        ASSERT_EQ(categories->rows().back().kind, JunkKind::trash);
        press(Qt::Key_Return);
        ASSERT_TRUE(waitUntil([&] { return detailed->pane() == DetailedPane::category; }));
        EXPECT_EQ(model->category(), JunkKind::trash);
        EXPECT_EQ(focused(), qobject_cast<CategoryDetail*>(detailed->paneWidget())->list());

        // The space map: Tab reaches the tiles, which walk in reading order and select as
        // they go; Return opens a folder, Backspace comes back up onto it.
        auto* map =
            qobject_cast<SpaceMapView*>(openWithKeys(*detailed, Sidebar::Destination::spaceMap));
        ASSERT_TRUE(map);
        SpaceMapCanvas* tiles = map->canvas();
        ASSERT_NO_FATAL_FAILURE(tabTo(window, tiles));
        std::vector<QRectF> places;
        for (int i = 0; i < static_cast<int>(tiles->tiles().size()); ++i)
            places.push_back(tiles->tileRect(i));
        const std::vector<int> order = SpaceMapTiles::readingOrder(places);
        ASSERT_GE(order.size(), 3u);
        EXPECT_EQ(tiles->current(), order[0]) << "the first tile in reading order";
        ASSERT_TRUE(model->mapSelection());
        EXPECT_EQ(model->mapSelection(), tiles->tiles()[order[0]].entry->url);
        press(Qt::Key_Right);
        EXPECT_EQ(tiles->current(), order[1]);
        EXPECT_EQ(model->mapSelection(), tiles->tiles()[order[1]].entry->url);
        // The inspector's new words may change the map's height: the tile settles first.
        settle(std::chrono::milliseconds(50));
        ASSERT_NO_FATAL_FAILURE(expectRinged(
            window, *tiles,
            SpaceMapTiles::drawn(tiles->tileRect(tiles->current())).adjusted(5, 5, -5, -5),
            "space-map"));
        press(Qt::Key_Left);
        const URL library = URL::fileURL(env.home() + "/Library", true);
        for (int presses = 0; presses < 10 && model->mapSelection() != library; ++presses)
            press(Qt::Key_Right);
        ASSERT_EQ(model->mapSelection(), library);
        press(Qt::Key_Return);
        ASSERT_EQ(model->mapFolder(), library);
        EXPECT_EQ(focused(), tiles) << "the keyboard stays on the tiles";
        EXPECT_TRUE(model->mapSelection()) << "on the first tile of the folder opened";
        press(Qt::Key_Backspace);
        EXPECT_EQ(model->mapFolder(), model->spaceMap()->root());
        EXPECT_EQ(model->mapSelection(), library) << "back on the folder left";
        press(Qt::Key_Up, Qt::AltModifier);
        EXPECT_EQ(model->mapFolder(), model->spaceMap()->root()) << "nothing above the root";

        // "Choose folder…" maps another folder; the keyboard comes back to the window and
        // goes on to the new folder's tiles.
        OutlineButton* choose = map->header()->choose();
        ASSERT_NO_FATAL_FAILURE(tabBackTo(choose));
        QTimer answer;
        answer.setInterval(20);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            answer.stop();
            // The folder the dialog is in is the one it maps.
            dialog->setDirectory(QString::fromStdString(env.home() + "/Documents"));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        answer.start();
        press(Qt::Key_Return);
        // As the desktop does once a dialog closes; a virtual display has no one to do it.
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        ASSERT_TRUE(waitUntil([&] {
            return !model->measuring() && model->spaceMap() &&
                   model->spaceMap()->root().lastPathComponent() == "Documents";
        }));
        ASSERT_TRUE(waitUntil([&] { return focused() == tiles; }));
        EXPECT_TRUE(tiles->showsFocusOn(tiles->current()));

        // Return presses the button the keyboard is on.
        QWidget* photos = openWithKeys(*detailed, Sidebar::Destination::photos);
        ASSERT_TRUE(photos);
        ASSERT_EQ(focused(), photos->findChild<InkButton*>("findPhotos"));
        press(Qt::Key_Return);
        ASSERT_TRUE(waitUntil([&] { return model->photoGroups() && !model->findingPhotos(); }))
            << "Return looks for similar photos";

        // A sheet takes the keyboard and gives it back to what had it: the uninstall sheet
        // an app dropped on the window opens closes with Escape, and the sidebar has the
        // keyboard again.
        ASSERT_NO_FATAL_FAILURE(tabBackTo(list));
        model->prepareUninstall(URL::fileURL(bundle));
        ASSERT_TRUE(waitUntil([&] { return root->uninstallSheet() != nullptr; }));
        EXPECT_TRUE(root->uninstallSheet()->isAncestorOf(focused()));
        if (everyStop) {
            if (!(focused()->focusPolicy() & Qt::TabFocus)) press(Qt::Key_Tab);
            ASSERT_TRUE(root->uninstallSheet()->isAncestorOf(focused()));
            ASSERT_NO_FATAL_FAILURE(expectEveryStopRinged(window, "uninstall"));
        }
        press(Qt::Key_Escape);
        ASSERT_TRUE(waitUntil([&] { return !model->uninstallTarget(); }));
        EXPECT_EQ(focused(), list);

        // The System Data sheet, chosen in the Help menu with the keys: the keyboard lands on
        // its button, ringed; Escape closes it and gives the keyboard back.
        QAction* whatIsSystemData = window.systemDataAction();
        ASSERT_TRUE(whatIsSystemData->isVisible());
        QMenu* help = nullptr;
        for (QObject* holder : whatIsSystemData->associatedObjects())
            if (auto* menu = qobject_cast<QMenu*>(holder)) help = menu;
        ASSERT_TRUE(help);
        help->popup(window.mapToGlobal(QPoint(40, 40)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
        for (int presses = 0; presses < 6 && help->activeAction() != whatIsSystemData; ++presses)
            QTest::keyClick(help, Qt::Key_Down);
        ASSERT_EQ(help->activeAction(), whatIsSystemData);
        QTest::keyClick(help, Qt::Key_Return);
        ASSERT_TRUE(waitUntil([&] { return root->systemDataSheet() != nullptr; }));
        QWidget* gotIt = root->systemDataSheet()->findChild<InkButton*>("gotIt");
        EXPECT_EQ(focused(), gotIt);
        if (everyStop) ASSERT_NO_FATAL_FAILURE(expectEveryStopRinged(window, "system-data"));
        press(Qt::Key_Escape);
        EXPECT_FALSE(model->showingSystemDataHelp());
        EXPECT_FALSE(root->systemDataSheet());
        EXPECT_EQ(focused(), list);

        // The settings, opened with Ctrl+comma: the keyboard starts on the first control,
        // ringed, and Tab goes down the page as it reads, each stop ringed. They close with
        // Escape, and again with Ctrl+W.
        SettingsView::Services services = SettingsView::Services::live();
        services.helperStatus = [] { return ShelfSweeper::Status::off(); };
        SettingsView settings(*model, services);
        settings.resize(settings.sizeHint());
        QObject::connect(&window, &MainWindow::settingsRequested, &settings, [&settings] {
            settings.show();
            settings.activateWindow();
        });
        press(Qt::Key_Comma, Qt::ControlModifier);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&settings));
        QWidget* first = settings.findChild<ChoiceButton*>(Prefs::Key::shelfDays);
        ASSERT_TRUE(waitUntil([&] { return focused() == first; }))
            << "the first control has the keyboard";
        if (everyStop) {
            const std::vector<QWidget*> stops = expectEveryStopRinged(settings, "settings");
            std::vector<QWidget*> controls;
            for (QWidget* control : settings.page()->findChildren<QWidget*>())
                if ((control->focusPolicy() & Qt::TabFocus) && control->isVisible() &&
                    control->isEnabled())
                    controls.push_back(control);
            EXPECT_EQ(stops.size(), controls.size()) << "every control, once";
            for (size_t i = 1; i < stops.size(); ++i) {
                const QPoint before = stops[i - 1]->mapTo(settings.page(), QPoint(0, 0));
                const QPoint now = stops[i]->mapTo(settings.page(), QPoint(0, 0));
                EXPECT_LT(std::pair(before.y(), before.x()), std::pair(now.y(), now.x()))
                    << "Tab goes from " << stops[i - 1]->objectName().toStdString() << " down to "
                    << stops[i]->objectName().toStdString();
            }
        }
        for (const auto& [key, modifiers] : {std::pair{Qt::Key_Escape, Qt::NoModifier},
                                             std::pair{Qt::Key_W, Qt::ControlModifier}}) {
            settings.show();
            settings.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&settings));
            QTest::keyClick(&settings, Qt::Key_Tab);
            ASSERT_TRUE(settings.isAncestorOf(focused()));
            press(key, modifiers);
            EXPECT_FALSE(settings.isVisible());
        }
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        EXPECT_EQ(focused(), list) << "the window keeps its keyboard where it was";

        // "Check again" stops taking presses while it checks: the keyboard goes to the
        // switch beside it, which stays, rather than to whatever comes next.
        QWidget* checkAgain = root->header()->checkAgainButton();
        ASSERT_NO_FATAL_FAILURE(tabBackTo(checkAgain));
        press(Qt::Key_Return);
        EXPECT_TRUE(model->phase().is(Kind::scanning));
        EXPECT_EQ(focused(), detailedSegment);
        ASSERT_TRUE(waitUntil([&] { return model->phase().is(Kind::ready); }));
        EXPECT_EQ(focused(), detailedSegment);

        // The receipt of a clean-up, opened with Return on "Share receipt": the keyboard lands
        // on "Done", ringed; Escape closes it and gives the keyboard back to the button.
        if (!everyStop) continue;
        ASSERT_TRUE(openWithKeys(*detailed, Sidebar::Destination::overview));
        model->freeUp();
        ASSERT_TRUE(waitUntil([&] { return model->phase().is(Kind::done) && model->receipt(); }));
        ASSERT_TRUE(waitUntil([&] { return detailed->pane() == DetailedPane::done; }));
        auto* done = qobject_cast<DoneState*>(detailed->paneWidget());
        ASSERT_TRUE(done);
        ASSERT_NO_FATAL_FAILURE(tabTo(window, done->shareReceiptButton()));
        press(Qt::Key_Return);
        ASSERT_TRUE(root->receiptSheet());
        EXPECT_EQ(focused(), root->receiptSheet()->findChild<InkButton*>("done"));
        ASSERT_NO_FATAL_FAILURE(expectEveryStopRinged(window, "receipt"));
        press(Qt::Key_Escape);
        EXPECT_FALSE(model->showingReceipt());
        EXPECT_FALSE(root->receiptSheet());
        EXPECT_EQ(focused(), done->shareReceiptButton());
    }
}

} // namespace
} // namespace kelvora::testing
