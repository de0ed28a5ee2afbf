#include "app/controller/ControllerFixture.h"
#include "app/support/VirtualDisplay.h"
#include "app/support/WindowSteps.h"

#include "controller/Updater.h"
#include "design/Buttons.h"
#include "design/PaintedText.h"
#include "model/Format.h"
#include "window/CategoryDetail.h"
#include "window/CategoryList.h"
#include "window/DetailSidebar.h"
#include "window/DetailedView.h"
#include "window/FlowStates.h"
#include "window/HeaderBar.h"
#include "window/MainWindow.h"
#include "window/ModeSwitch.h"
#include "window/PickFooter.h"
#include "window/RootTexts.h"
#include "window/RootView.h"
#include "window/SimpleView.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>

#include <set>

namespace kelvora::testing {
namespace {

using Kind = AppModel::Phase::Kind;

// The real window on a fixture home, driven through its own buttons, boxes and keys on a
// virtual display, as a user would.
class WindowDriveTest : public ControllerTest {
protected:
    // Two app caches and an old draft in the Trash: the caches are deleted, the draft waits
    // on the shelf.
    struct Home {
        std::string tool;
        std::string kept;
        std::string draft;
    };
    Home writeHome() {
        Prefs::setBoolean(Prefs::Key::welcomeDone, true);
        Home home{env.home() + "/Library/Caches/com.example.tool",
                  env.home() + "/Library/Caches/com.example.kept", ""};
        write("Library/Caches/com.example.tool/blob.bin", std::string(400'000, 'c'));
        write("Library/Caches/com.example.kept/blob.bin", std::string(300'000, 'k'));
        home.draft = write(".Trash/old draft.txt", std::string(50'000, 't'));
        sync();
        return home;
    }

    static QMessageBox* openBox(const char* name) {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == name && widget->isVisible())
                return qobject_cast<QMessageBox*>(widget);
        return nullptr;
    }

    // Confirms the free-up box the window put up, and waits for the clean-up to end.
    static void confirmCleanUp(AppModel& model) {
        QMessageBox* confirmation = openBox("FreeUpConfirmation");
        ASSERT_TRUE(confirmation);
        const RootTexts::Confirmation expected = RootTexts::freeUp(model);
        EXPECT_EQ(confirmation->text().toStdString(), expected.title);
        EXPECT_EQ(confirmation->informativeText().toStdString(), expected.message);
        QTest::mouseClick(confirmation->findChild<QPushButton*>("ConfirmButton"), Qt::LeftButton);
        ASSERT_TRUE(waitUntil([&] { return model.phase().is(Kind::done); }));
    }

    // Clicks an item's row of a category list: on its pick box, or on its name.
    static void clickRow(CategoryList* list, const std::string& path, bool onPickBox) {
        CategoryRows* rows = list->rows();
        for (int row = 0; row < rows->rowCount(); ++row) {
            const ScanItem* item = rows->item(row);
            if (!item || item->location.path() != path) continue;
            const CategoryRowGeometry geometry = CategoryRowGeometry::of(list->rowRect(row));
            const QPointF at = onPickBox ? geometry.pickBox.center() : geometry.text.center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at.toPoint());
            return;
        }
        ADD_FAILURE() << "no row for " << path;
    }

    static bool isPicked(const AppModel& model, const std::string& path) {
        for (const ScanItem& item : model.result()->items)
            if (item.location.path() == path) return model.picks().isPicked(item);
        return false;
    }

    // Every picked item went where the report says: the shelved ones into their clean-up
    // on the shelf, the others removed outright, nothing skipped or failed, and the
    // report's figures are the picks' bytes.
    void expectCleanedAsReported(const CleanReport& report, const std::vector<ScanItem>& picked) {
        EXPECT_TRUE(report.failures.empty());
        EXPECT_EQ(report.skippedInUse, 0);
        std::set<std::string> shelved;
        if (report.sweep)
            for (const auto& entry : report.sweep->entries) {
                shelved.insert(entry.location);
                for (const auto& file : entry.files) {
                    EXPECT_FALSE(fileExists(file.original)) << file.original;
                    EXPECT_TRUE(
                        fileExists(shelfRoot() + "/" + report.sweep->id + "/items/" + file.stored))
                        << file.original << " is kept on the shelf";
                }
            }
        int64_t shelvedBytes = 0;
        int64_t deletedBytes = 0;
        for (const ScanItem& item : picked) {
            const std::string path = item.location.path();
            EXPECT_EQ(shelved.count(path) > 0, item.goesOnShelf()) << path;
            (item.goesOnShelf() ? shelvedBytes : deletedBytes) += item.bytes;
            for (const URL& target : item.targets)
                EXPECT_FALSE(fileExists(target.path())) << target.path() << " is gone";
        }
        EXPECT_EQ(shelved.size(), static_cast<size_t>(std::count_if(
                                      picked.begin(), picked.end(),
                                      [](const ScanItem& item) { return item.goesOnShelf(); })))
            << "nothing unpicked went to the shelf";
        EXPECT_EQ(report.shelved, shelvedBytes);
        EXPECT_EQ(report.freed, deletedBytes);
    }
};

TEST_F(WindowDriveTest, ScanPickCleanAndConfirmThroughTheDetailedView) {
    KELVORA_ON_VIRTUAL_DISPLAY();
    const Home files = writeHome();
    auto model = makeModel();
    Updater updater;
    MainWindow window(*model, updater);
    ASSERT_NO_FATAL_FAILURE(showAndScan(window, *model));

    QTest::keyClick(&window, Qt::Key_R, Qt::ControlModifier);
    EXPECT_TRUE(model->phase().is(Kind::scanning)) << "Check Again";
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(Kind::ready); }));

    RootView* root = window.root();
    QTest::mouseClick(root->header()->modeSwitch()->segment(AppModel::ViewMode::detailed),
                      Qt::LeftButton);
    ASSERT_EQ(model->mode(), AppModel::ViewMode::detailed);
    DetailedView* detailed = detailedView(window);
    ASSERT_TRUE(detailed);

    // The sidebar's row opens the category with its largest item in the inspector.
    clickSidebarRow(window, Sidebar::Destination::category, JunkKind::caches);
    ASSERT_TRUE(waitUntil([&] { return detailed->pane() == DetailedPane::category; }));
    EXPECT_EQ(model->category(), JunkKind::caches);
    EXPECT_EQ(model->focusedItem(), URL::fileURL(files.tool, true));
    auto* detail = qobject_cast<CategoryDetail*>(detailed->paneWidget());
    ASSERT_TRUE(detail);
    ASSERT_TRUE(waitUntil([&] {
        return detail->list()->rows()->rowCount() == 2 && !detail->list()->rowRect(1).isEmpty();
    })) << "the rows are laid out";
    const std::vector<ScanItem>& shown = model->result()->items;
    for (int row = 0; row < 2; ++row) {
        const ScanItem* item = detail->list()->rows()->item(row);
        EXPECT_TRUE(std::less_equal<>()(shown.data(), item) &&
                    std::less<>()(item, shown.data() + shown.size()))
            << "row " << row << " shows the result's own item, not a copy";
    }
    EXPECT_TRUE(detailed->pickFooter()->isVisible());
    EXPECT_EQ(detail->header().countLine,
              "2 of 2 picked · " +
                  Format::size(model->picks().pickedBytes(*model->result(), JunkKind::caches)));

    // Unpick one cache with its box, unpick and pick the other again; the focus stays.
    clickRow(detail->list(), files.kept, true);
    EXPECT_FALSE(isPicked(*model, files.kept));
    clickRow(detail->list(), files.tool, true);
    EXPECT_FALSE(isPicked(*model, files.tool));
    clickRow(detail->list(), files.tool, true);
    EXPECT_TRUE(isPicked(*model, files.tool));
    EXPECT_EQ(model->focusedItem(), URL::fileURL(files.tool, true)) << "a box moves no focus";
    clickRow(detail->list(), files.kept, false);
    EXPECT_EQ(model->focusedItem(), URL::fileURL(files.kept, true)) << "the row takes it";
    ASSERT_TRUE(
        waitUntil([&] { return detail->header().countLine.rfind("1 of 2 picked", 0) == 0; }));
    ASSERT_TRUE(waitUntil([&] {
        return detailed->pickFooter()->content().countLine.rfind("2 of 3 items picked", 0) == 0;
    })) << detailed->pickFooter()->content().countLine;

    const std::vector<ScanItem> picked = model->picks().picked(*model->result());
    ASSERT_EQ(picked.size(), 2u);
    QTest::mouseClick(detailed->pickFooter()->button(), Qt::LeftButton);
    ASSERT_NO_FATAL_FAILURE(confirmCleanUp(*model));

    const CleanReport report = *model->phase().report;
    expectCleanedAsReported(report, picked);
    EXPECT_TRUE(fileExists(files.kept + "/blob.bin")) << "the unpicked cache stays";
    EXPECT_EQ(report.shelved, model->shelfBytes());

    ASSERT_TRUE(waitUntil([&] { return detailed->pane() == DetailedPane::done; }));
    auto* done = qobject_cast<DoneState*>(detailed->paneWidget());
    ASSERT_TRUE(done);
    EXPECT_TRUE(done->isVisible());
    EXPECT_TRUE(waitUntil([&] { return QApplication::focusWidget() == done->openShelfButton(); }))
        << "the Done page's first control takes the keyboard, not "
        << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString()
                                        : "nothing");
    EXPECT_FALSE(detailed->pickFooter()->isVisible());
    EXPECT_EQ(done->headline()->text().toStdString(),
              "Cleared " + Format::size(report.freed + report.shelved) + ".");
    EXPECT_NE(done->paragraph()->text().toStdString().find(Format::size(model->shelfBytes()) +
                                                           " is on the Undo Shelf until "),
              std::string::npos);
    QTest::mouseClick(done->openShelfButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return detailed->pane() == DetailedPane::shelf; }));

    // Back to the overview through the sidebar, then from the simple view the header's
    // shelf button leads to the same pane.
    clickSidebarRow(window, Sidebar::Destination::overview);
    ASSERT_TRUE(waitUntil([&] { return detailed->pane() == DetailedPane::done; }));
    QTest::mouseClick(root->header()->modeSwitch()->segment(AppModel::ViewMode::simple),
                      Qt::LeftButton);
    OutlineButton* shelf = root->header()->shelfButton();
    ASSERT_TRUE(shelf->isVisible());
    EXPECT_EQ(shelf->text().toStdString(), "Undo Shelf · " + Format::size(model->shelfBytes()));
    QTest::mouseClick(shelf, Qt::LeftButton);
    EXPECT_EQ(model->mode(), AppModel::ViewMode::detailed);
    auto* reopened = qobject_cast<DetailedView*>(root->mainView());
    ASSERT_TRUE(reopened);
    ASSERT_TRUE(waitUntil([&] { return reopened->pane() == DetailedPane::shelf; }));
}

TEST_F(WindowDriveTest, ReturnAndTheCleanUpButtonCleanFromTheSimpleView) {
    KELVORA_ON_VIRTUAL_DISPLAY();
    const Home files = writeHome();
    auto model = makeModel();
    Updater updater;
    MainWindow window(*model, updater);
    ASSERT_NO_FATAL_FAILURE(showAndScan(window, *model));
    auto* simple = qobject_cast<SimpleView*>(window.root()->mainView());
    ASSERT_TRUE(simple);
    ASSERT_TRUE(waitUntil([&] { return simple->state().phase == Kind::ready; }));

    // Return asks first; Return again answers the box's default, which is Cancel.
    QTest::keyClick(&window, Qt::Key_Return);
    QMessageBox* confirmation = openBox("FreeUpConfirmation");
    ASSERT_TRUE(confirmation);
    QTest::keyClick(confirmation, Qt::Key_Return);
    ASSERT_TRUE(waitUntil([] { return !openBox("FreeUpConfirmation"); }));
    EXPECT_FALSE(model->confirmingFreeUp());
    EXPECT_TRUE(model->phase().is(Kind::ready)) << "nothing is cleaned without a yes";
    EXPECT_TRUE(fileExists(files.draft));

    const std::vector<ScanItem> picked = model->picks().picked(*model->result());
    ASSERT_EQ(picked.size(), 3u);
    QTest::mouseClick(simple->findChild<SignalButton*>("cleanUpButton"), Qt::LeftButton);
    ASSERT_NO_FATAL_FAILURE(confirmCleanUp(*model));
    const CleanReport report = *model->phase().report;
    expectCleanedAsReported(report, picked);

    ASSERT_TRUE(waitUntil([&] { return simple->state().phase == Kind::done; }));
    const SimpleState& state = simple->state();
    EXPECT_EQ(state.status, "Done");
    EXPECT_EQ(state.headline, Copy::doneHeadline(report));
    EXPECT_EQ(state.tiles[0].size, "Done") << "app caches";
    EXPECT_NE(state.tiles[1].size, "Done") << "no log was cleaned";
    EXPECT_EQ(state.tiles[3].size, "Done") << "the Trash";
    EXPECT_EQ(state.freeNowTitle, "Free " + Format::size(model->shelfBytes()) + " now");
    EXPECT_TRUE(simple->findChild<SignalButton*>("freeNowButton")->isVisible());
    EXPECT_FALSE(simple->findChild<SignalButton*>("cleanUpButton")->isVisible());
    EXPECT_TRUE(waitUntil([&] {
        return QApplication::focusWidget() == simple->findChild<SignalButton*>("freeNowButton");
    })) << "the done row's first control takes the keyboard, not "
        << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString()
                                        : "nothing");
}

} // namespace
} // namespace kelvora::testing
