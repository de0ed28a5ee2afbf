#include "app/controller/ControllerFixture.h"
#include "app/design/Pictures.h"
#include "app/panes/LoginItemFixture.h"

#include "design/Fonts.h"
#include "design/RowStack.h"
#include "design/Snapshot.h"
#include "design/Theme.h"
#include "model/Format.h"
#include "panes/LoginItemsList.h"
#include "panes/LoginItemsView.h"
#include "panes/ShelfPage.h"
#include "panes/ShelfView.h"
#include "panes/SimilarPhotosView.h"
#include "platform/FileSystem.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace kelvora::testing {
namespace {

using Source = LoginItem::Source;
using State = LoginItem::State;

// The child of a list that assistive technology hears by this name.
QAccessibleInterface* childNamed(QAccessibleInterface* list, const std::string& name) {
    for (int i = 0; list && i < list->childCount(); ++i)
        if (QAccessibleInterface* child = list->child(i);
            child && child->text(QAccessible::Name).toStdString() == name)
            return child;
    return nullptr;
}

QStringList actionsOf(QAccessibleInterface* child) {
    return child && child->actionInterface() ? child->actionInterface()->actionNames()
                                             : QStringList();
}

// The painted lists of the tool panes, each over a controller of its own home: what their
// rows are to assistive technology, and how the keyboard's row is marked.
class PaintedRowsTest : public ControllerTest {
protected:
    PaintedRowsTest() { Fonts::registerFonts(KELVORA_FONTS_DIR); }

    // One clean-up on the shelf holding a file from the Downloads folder.
    std::string shelveNotes() {
        std::string path = write("Downloads/Notes.zip", std::string(5000, 'n'));
        ScanItem item;
        item.kind = JunkKind::downloads;
        item.location = URL::fileURL(path);
        item.targets = {item.location};
        item.bytes = 5000;
        auto made = UndoShelf(URL::fileURL(shelfRoot(), true), 7)
                        .shelve({{item, "Notes.zip"}}, addSeconds(currentDate(), -60));
        EXPECT_TRUE(made.sweep && made.failures.empty());
        return path;
    }

    // Two groups of photos found, the beach's extras larger.
    std::unique_ptr<AppModel> photosFound() {
        beach.keep = URL::fileURL(env.home() + "/Pictures/beach.jpg");
        beach.extras = {URL::fileURL(env.home() + "/Pictures/beach-2.jpg"),
                        URL::fileURL(env.home() + "/Pictures/beach-3.jpg")};
        beach.bytes = 3'000'000;
        dog.keep = URL::fileURL(env.home() + "/Pictures/dog.jpg");
        dog.extras = {URL::fileURL(env.home() + "/Pictures/dog-2.jpg")};
        dog.bytes = 800'000;
        AppModel::Tools fake = tools();
        fake.findPhotos = [this](const std::vector<URL>&, const std::function<void(double)>&,
                                 const StopToken&) {
            return std::vector<SimilarPhotos::Group>{beach, dog};
        };
        fake.revealSeveral = [this](const std::vector<URL>& urls) { revealedTogether = urls; };
        auto model = makeModel(fake);
        model->show(std::nullopt, false, false, false, true, false);
        model->findSimilarPhotos();
        EXPECT_TRUE(waitUntil([&] { return !model->findingPhotos() && model->photoGroups(); }));
        return model;
    }

    // A running agent, one switched off and an application's helper, read as the pane opens;
    // what is switched is recorded.
    std::unique_ptr<AppModel> loginItemsRead() {
        std::vector<LoginItem> items = {item(Source::userAgent, "Sketch Sync", State::running(512)),
                                        item(Source::userAgent, "Backup", State::off()),
                                        item(Source::appHelper, "Dropbox Helper")};
        AppModel::Tools fake = tools();
        // As on a computer with System Events: the apps that open at login are asked for.
        fake.hasSystemEvents = [] { return true; };
        fake.readLoginItems = [items](bool, const std::vector<LoginItemScanner::OpenAtLoginApp>&) {
            return items;
        };
        fake.switchLoginItem = [this](const LoginItem& item, bool on) {
            std::lock_guard lock(switchedMutex);
            switched.push_back(item.name + (on ? " on" : " off"));
            return std::optional<std::string>();
        };
        auto model = makeModel(fake);
        model->show(std::nullopt, false, false, true, false, false);
        EXPECT_TRUE(waitUntil([&] { return model->loginItems().has_value(); }));
        return model;
    }

    std::vector<std::string> switchedSoFar() {
        std::lock_guard lock(switchedMutex);
        return switched;
    }

    SimilarPhotos::Group beach, dog;
    std::vector<URL> revealedTogether;
    std::mutex switchedMutex;
    std::vector<std::string> switched;
};

TEST_F(PaintedRowsTest, ShelfEntriesAreHeardAsRowsThatPutBack) {
    KELVORA_REQUIRE_GUI();
    std::string notes = shelveNotes();
    auto model = makeModel();
    ShelfView view(*model);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(view.page());
    ASSERT_TRUE(list);
    EXPECT_EQ(list->role(), QAccessible::List);

    QAccessibleInterface* summary = childNamed(list, "On the Undo Shelf");
    ASSERT_TRUE(summary);
    const ShelfLayout& layout = view.page()->layout();
    EXPECT_TRUE(summary->text(QAccessible::Description)
                    .startsWith(layout.summary.numberText + " " + layout.summary.unitText + ". "))
        << summary->text(QAccessible::Description).toStdString();
    const auto& section = layout.sections.at(0);
    QAccessibleInterface* header = childNamed(list, section.dateText.toStdString());
    ASSERT_TRUE(header) << "each clean-up's header is read";
    EXPECT_EQ(header->role(), QAccessible::StaticText);
    EXPECT_TRUE(actionsOf(header).isEmpty());

    QAccessibleInterface* entry = childNamed(list, "Notes.zip");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->role(), QAccessible::ListItem);
    EXPECT_EQ(entry->text(QAccessible::Description).toStdString(),
              "~/Downloads/Notes.zip, " + Format::size(5000));
    EXPECT_EQ(actionsOf(entry), QStringList{"Put back"});
    EXPECT_TRUE(entry->state().focusable);
    EXPECT_EQ(list->indexOfChild(entry), list->indexOfChild(header) + 1);
    EXPECT_TRUE(childNamed(list, "Put all back")) << "the real buttons follow the rows";

    entry->actionInterface()->doAction("Put back");
    ASSERT_TRUE(waitUntil([&] { return !model->shelfBusy() && model->sweeps().empty(); }));
    EXPECT_TRUE(fileExists(notes));
    EXPECT_TRUE(childNamed(list, "The shelf is empty."));
    EXPECT_FALSE(childNamed(list, "Notes.zip"));
}

TEST_F(PaintedRowsTest, PhotoGroupsAreHeardWithTheirPickAndFlipIt) {
    KELVORA_REQUIRE_GUI();
    auto model = photosFound();
    SimilarPhotosView view(*model);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(view.rows());
    ASSERT_TRUE(list);
    ASSERT_EQ(list->childCount(), 2);
    QAccessibleInterface* row = list->child(0);
    EXPECT_EQ(row->text(QAccessible::Name).toStdString(), "beach.jpg");
    EXPECT_EQ(row->text(QAccessible::Description).toStdString(),
              Format::size(3'000'000) + ", 2 extras");
    EXPECT_TRUE(row->state().checkable);
    EXPECT_FALSE(row->state().checked);
    EXPECT_EQ(row->text(QAccessible::Value).toStdString(), "not picked");
    const QString toggle = QAccessibleActionInterface::toggleAction();
    EXPECT_EQ(actionsOf(row), (QStringList{toggle, "Show in Folder"}));

    row->actionInterface()->doAction(toggle);
    EXPECT_EQ(model->photoPicks(), std::unordered_set<URL>{beach.keep});
    EXPECT_TRUE(row->state().checked);
    EXPECT_EQ(row->text(QAccessible::Value).toStdString(), "picked");
    list->child(1)->actionInterface()->doAction("Show in Folder");
    EXPECT_EQ(revealedTogether.size(), 2u);
}

TEST_F(PaintedRowsTest, LoginRowsAreHeardWithTheirStateAndTheirButton) {
    KELVORA_REQUIRE_GUI();
    auto model = loginItemsRead();
    LoginItemsView pane(*model);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(pane.list());
    ASSERT_TRUE(list);

    QAccessibleInterface* ask = childNamed(list, "See which apps open when you log in");
    ASSERT_TRUE(ask);
    EXPECT_EQ(actionsOf(ask), QStringList{"Check apps"});
    QAccessibleInterface* caption = childNamed(list, "Running in the background");
    ASSERT_TRUE(caption) << "section titles are read";
    EXPECT_EQ(caption->role(), QAccessible::StaticText);

    QAccessibleInterface* sync = childNamed(list, "Sketch Sync");
    ASSERT_TRUE(sync);
    EXPECT_EQ(sync->text(QAccessible::Description).toStdString(),
              "Keeps Sketch Sync up to date. Running now, process 512.");
    EXPECT_EQ(actionsOf(sync), (QStringList{"Turn off", "Show details"}));
    EXPECT_TRUE(sync->state().selectable);
    EXPECT_EQ(actionsOf(childNamed(list, "Backup")), (QStringList{"Turn on", "Show details"}));
    QAccessibleInterface* helper = childNamed(list, "Dropbox Helper");
    EXPECT_EQ(helper->actionInterface()->localizedActionDescription("Settings…").toStdString(),
              "Switch this one in its app’s settings");
    EXPECT_EQ(actionsOf(helper), (QStringList{"Settings…", "Show details"}));

    model->setLoginSelection("userAgent:com.example.Backup");
    EXPECT_FALSE(sync->state().selected);
    sync->actionInterface()->doAction("Show details");
    EXPECT_EQ(model->loginSelection(), "userAgent:com.example.Sketch Sync");
    EXPECT_TRUE(sync->state().selected);
    sync->actionInterface()->doAction("Turn off");
    ASSERT_TRUE(waitUntil([&] { return !switchedSoFar().empty(); }));
    EXPECT_EQ(switchedSoFar(), std::vector<std::string>{"Sketch Sync off"});
}

// Where the keyboard is, the row wears the accent ring of every focused control; a click
// brings no ring. Kept as pictures in both appearances.
TEST_F(PaintedRowsTest, TheKeyboardsRowWearsTheFocusRingInBothAppearances) {
    KELVORA_REQUIRE_GUI();
    shelveNotes();
    auto shelfModel = makeModel();
    auto photosModel = photosFound();
    auto loginModel = loginItemsRead();
    ShelfView shelf(*shelfModel);
    SimilarPhotosView photos(*photosModel);
    LoginItemsView login(*loginModel);

    struct Pane {
        const char* name;
        QWidget* view;
        QWidget* list;
        std::function<QRectF()> row; // the row the keyboard lands on, in the list
    } panes[] = {
        {"shelf", &shelf, shelf.page(),
         [&] { return shelf.page()->layout().sections.at(0).row(0).rect; }},
        {"photos", &photos, photos.rows(),
         [&] {
             return QRectF(photos.rows()->visualRect(photos.rows()->model()->index(0, 0)))
                 .translated(photos.rows()->viewport()->pos());
         }},
        {"login-items", &login, login.list(),
         [&] { return login.list()->layout().rowOf("userAgent:com.example.Sketch Sync")->rect; }},
    };
    for (Pane& pane : panes) {
        SCOPED_TRACE(pane.name);
        pane.view->resize(1000, 600);
        pane.view->show();
        QApplication::setActiveWindow(pane.view);
        ASSERT_TRUE(QTest::qWaitForWindowActive(pane.view));
        // Tab brings the keyboard onto the first row that offers something (on the login
        // items, the selected one); Down and Up bring it back there.
        pane.list->setFocus(Qt::TabFocusReason);
        QTest::keyClick(pane.list, Qt::Key_Down);
        QTest::keyClick(pane.list, Qt::Key_Up);
        if (std::string(pane.name) == "login-items") QTest::keyClick(pane.list, Qt::Key_Down);
        settle(std::chrono::milliseconds(50));
        QRectF row = pane.row().translated(pane.list->mapTo(pane.view, QPoint(0, 0)));
        for (Appearance appearance : {Appearance::light, Appearance::dark}) {
            Theme::Scope scope(appearance);
            bool light = appearance == Appearance::light;
            SCOPED_TRACE(light ? "light" : "dark");
            QImage image = Render::widget(*pane.view, pane.view->size());
            keepPicture(image,
                        std::string("focused-row-") + pane.name + (light ? "-light" : "-dark"));
            // The ring runs 4 px inside the row's edge, 2 px wide, so that it stays inside
            // the rounded corners of the card a row ends.
            EXPECT_TRUE(near(at(image, row.left() + 5, row.center().y()), Theme::signal(), 40));
            EXPECT_TRUE(near(at(image, row.right() - 5, row.center().y()), Theme::signal(), 40));
            EXPECT_GT(countNear(image, QRectF(row.left() + 12, row.top() + 4, row.width() - 24, 2),
                                Theme::signal(), 40),
                      static_cast<int>(row.width()))
                << "along the top";
        }
        pane.list->clearFocus();
        QTest::mouseClick(
            pane.list == photos.rows() ? photos.rows()->viewport() : pane.list, Qt::LeftButton, {},
            (pane.row().center() -
             QPointF(pane.list == photos.rows() ? photos.rows()->viewport()->pos() : QPoint()))
                .toPoint());
        QImage clicked = Render::widget(*pane.view, pane.view->size());
        EXPECT_FALSE(near(at(clicked, row.right() - 5, row.center().y()), Theme::signal(), 40))
            << "no ring after a click";
        pane.view->hide();
    }
}

} // namespace
} // namespace kelvora::testing
