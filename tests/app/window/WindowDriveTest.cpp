#include "app/controller/ControllerFixture.h"
#include "app/support/VirtualDisplay.h"

#include "controller/Updater.h"
#include "design/Buttons.h"
#include "model/Format.h"
#include "window/DetailedView.h"
#include "window/FlowStates.h"
#include "window/HeaderBar.h"
#include "window/MainWindow.h"
#include "window/ModeSwitch.h"
#include "window/PickFooter.h"
#include "window/RootView.h"
#include "window/StyledText.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>

namespace kelvora::testing {
namespace {

// The real window on a fixture home, driven through its own buttons and keys on a virtual
// display.
class WindowDriveTest : public ControllerTest {
protected:
    // Opening a category and picking go through the detailed view's sidebar and lists, and
    // "Clean up" through the pick footer; until those are drawn their controller calls
    // stand in, one helper each, so the story below stays the user's.
    static void openCategory(AppModel& model, JunkKind kind) {
        model.show(kind, false, false, false, false, false);
    }
    static void togglePick(AppModel& model, const std::string& path) {
        for (const ScanItem& item : model.result()->items)
            if (item.location.path() == path) model.toggle(item);
    }
    static void pressCleanUp(AppModel& model) { model.setConfirmingFreeUp(true); }

    static QMessageBox* openBox(const char* name) {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->objectName() == name && widget->isVisible())
                return qobject_cast<QMessageBox*>(widget);
        return nullptr;
    }
};

TEST_F(WindowDriveTest, ScanPickCleanAndConfirmThroughTheWindow) {
    KELVORA_ON_VIRTUAL_DISPLAY();
    Prefs::setBoolean(Prefs::Key::welcomeDone, true);
    const std::string tool = env.home() + "/Library/Caches/com.example.tool";
    const std::string kept = env.home() + "/Library/Caches/com.example.kept";
    write("Library/Caches/com.example.tool/blob.bin", std::string(400'000, 'c'));
    write("Library/Caches/com.example.kept/blob.bin", std::string(300'000, 'k'));
    const std::string draft = write(".Trash/old draft.txt", std::string(50'000, 't'));
    sync();

    auto model = makeModel();
    Updater updater;
    MainWindow window(*model, updater);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::ready); }))
        << "showing the window starts the scan";

    QTest::keyClick(&window, Qt::Key_R, Qt::ControlModifier);
    EXPECT_TRUE(model->phase().is(AppModel::Phase::Kind::scanning)) << "Check Again";
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::ready); }));

    RootView* root = window.root();
    QTest::mouseClick(root->header()->modeSwitch()->segment(AppModel::ViewMode::detailed),
                      Qt::LeftButton);
    ASSERT_EQ(model->mode(), AppModel::ViewMode::detailed);
    auto* detailed = qobject_cast<DetailedView*>(root->mainView());
    ASSERT_TRUE(detailed);

    openCategory(*model, JunkKind::caches);
    EXPECT_EQ(detailed->pane(), DetailedPane::category);
    EXPECT_TRUE(detailed->pickFooter()->isVisible());
    togglePick(*model, kept);
    togglePick(*model, tool);
    togglePick(*model, tool);
    pressCleanUp(*model);

    QMessageBox* confirmation = openBox("FreeUpConfirmation");
    ASSERT_TRUE(confirmation);
    EXPECT_TRUE(confirmation->text().startsWith("Clean up "));
    QTest::mouseClick(confirmation->findChild<QPushButton*>("ConfirmButton"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::done); }));

    const CleanReport& report = *model->phase().report;
    EXPECT_FALSE(fileExists(tool + "/blob.bin")) << "a picked cache is emptied";
    EXPECT_TRUE(fileExists(kept + "/blob.bin")) << "an unpicked one stays";
    EXPECT_FALSE(fileExists(draft));
    ASSERT_EQ(model->sweeps().size(), 1u);
    ASSERT_EQ(model->sweeps()[0].entries.size(), 1u);
    EXPECT_EQ(model->sweeps()[0].entries[0].files[0].original, draft)
        << "the Trash item waits on the shelf";
    EXPECT_EQ(report.shelved, model->shelfBytes());
    EXPECT_GE(report.freed, 400'000);

    auto* done = qobject_cast<DoneState*>(detailed->paneWidget());
    ASSERT_TRUE(done);
    EXPECT_TRUE(done->isVisible());
    EXPECT_EQ(done->headline()->text().toStdString(),
              "Cleared " + Format::size(report.freed + report.shelved) + ".");
    EXPECT_NE(done->paragraph()->text().toStdString().find(Format::size(model->shelfBytes()) +
                                                           " is on the Undo Shelf until "),
              std::string::npos);
    QTest::mouseClick(done->openShelfButton(), Qt::LeftButton);
    EXPECT_EQ(detailed->pane(), DetailedPane::shelf);

    // From the simple view the header's shelf button leads to the same pane.
    QTest::mouseClick(root->header()->modeSwitch()->segment(AppModel::ViewMode::simple),
                      Qt::LeftButton);
    model->show(std::nullopt, false, false, false, false, false);
    OutlineButton* shelf = root->header()->shelfButton();
    ASSERT_TRUE(shelf->isVisible());
    EXPECT_EQ(shelf->text().toStdString(), "Undo Shelf · " + Format::size(model->shelfBytes()));
    QTest::mouseClick(shelf, Qt::LeftButton);
    EXPECT_EQ(model->mode(), AppModel::ViewMode::detailed);
    auto* reopened = qobject_cast<DetailedView*>(root->mainView());
    ASSERT_TRUE(reopened);
    EXPECT_EQ(reopened->pane(), DetailedPane::shelf);
}

} // namespace
} // namespace kelvora::testing
