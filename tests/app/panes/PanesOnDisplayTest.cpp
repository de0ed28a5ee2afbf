#include "app/controller/ControllerFixture.h"
#include "app/support/VirtualDisplay.h"

#include "design/Fonts.h"
#include "design/PaintedText.h"
#include "design/RowStack.h"
#include "panes/LoginItemsList.h"
#include "panes/LoginItemsView.h"
#include "panes/ReceiptSheet.h"
#include "panes/SearchParts.h"
#include "panes/SearchResults.h"
#include "panes/SearchView.h"
#include "platform/FileSystem.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace kelvora::testing {
namespace {

// The panes in a window of their own on the virtual display, over a controller whose
// login items and search are the live ones: the launchctl and search stand-ins.
struct OnDisplayTest : ControllerTest {
    AppModel::Tools liveTools() {
        AppModel::Tools tools = this->tools();
        AppModel::Tools live = AppModel::Tools::live();
        tools.readLoginItems = live.readLoginItems;
        tools.switchLoginItem = live.switchLoginItem;
        tools.search = live.search;
        return tools;
    }

    void showWindow(QWidget& widget, QSize size) {
        Fonts::registerFonts(KELVORA_FONTS_DIR);
        widget.resize(size);
        widget.show();
        widget.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
    }
};

TEST_F(OnDisplayTest, SaveWritesTheReceiptWhereTheDialogSaysAndReturnCloses) {
    KELVORA_ON_VIRTUAL_DISPLAY();
    ScanResult before;
    before.disk = {500'000'000'000, 60'000'000'000};
    CleanReport report;
    report.freed = 2'000'000'000;
    report.byKind = {{JunkKind::caches, 2'000'000'000}};
    Receipt receipt =
        Receipt::make(before, report, {500'000'000'000, 62'000'000'000}, 7, currentDate());
    int closed = 0;
    ReceiptSheet sheet(receipt, [&closed] { ++closed; });
    showWindow(sheet, sheet.sizeHint());

    std::string target = env.home() + "/Pictures/My receipt.png";
    createDirectories(env.home() + "/Pictures");
    bool answered = false;
    QString proposed;
    // The dialog runs its own loop; the test answers it from there as a user would.
    auto answer = std::make_shared<std::function<void()>>();
    *answer = [&, answer] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            QTimer::singleShot(50, *answer);
            return;
        }
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_TRUE(name);
        proposed = name->text();
        name->setText(QString::fromStdString(target));
        QTest::keyClick(name, Qt::Key_Return);
        answered = true;
    };
    QTimer::singleShot(50, *answer);
    QTest::mouseClick(sheet.findChild<QPushButton*>("save"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return answered; }));
    EXPECT_TRUE(proposed.startsWith("Kelvora receipt ")) << proposed.toStdString();
    ASSERT_TRUE(waitUntil([&] { return fileExists(target); }));
    EXPECT_EQ(QImage(QString::fromStdString(target)).width(), 816);
    EXPECT_TRUE(sheet.error().isEmpty());

    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    QTest::keyClick(&sheet, Qt::Key_Return);
    EXPECT_EQ(closed, 1);
}

TEST_F(OnDisplayTest, ALoginItemTurnsOffAndOnThroughItsButton) {
    KELVORA_ON_VIRTUAL_DISPLAY();
    // A program that ends at once, so turning it on leaves nothing running behind the test.
    writePlist(Json{{"Label", "com.example.tidy"},
                    {"ProgramArguments", Json::array({"/bin/true"})},
                    {"RunAtLoad", true}},
               write("Library/LaunchAgents/com.example.tidy.plist", ""));
    writePlist(
        Json{{"Label", "com.example.after"}, {"ProgramArguments", Json::array({"/bin/true"})}},
        write("Library/LaunchAgents/com.example.after.plist", ""));
    auto model = makeModel(liveTools());
    LoginItemsView pane(*model);
    showWindow(pane, QSize(1000, 700));
    model->show(std::nullopt, false, false, true, false, false);

    const std::string id = "userAgent:com.example.tidy";
    auto row = [&] { return pane.list()->layout().rowOf(id); };
    auto press = [&] {
        QPoint button = row()->button.center().toPoint();
        QTest::mouseClick(pane.list(), Qt::LeftButton, {}, button);
    };
    ASSERT_TRUE(waitUntil([&] { return row() != nullptr; }));
    ASSERT_EQ(row()->action.title, "Turn off");

    // A click anywhere on a row, blank space too, selects it; its file can be shown.
    ASSERT_NE(model->loginSelection(), id);
    QPoint blank(static_cast<int>(row()->badge.left()) - 20,
                 static_cast<int>(row()->rect.center().y()));
    QTest::mouseClick(pane.list(), Qt::LeftButton, {}, blank);
    EXPECT_EQ(model->loginSelection(), id);
    QTest::mouseClick(pane.findChild<QPushButton*>("inspectorReveal"), Qt::LeftButton);
    ASSERT_EQ(revealed.size(), 1u);
    EXPECT_EQ(revealed[0].path(), env.home() + "/Library/LaunchAgents/com.example.tidy.plist");

    press();
    ASSERT_TRUE(waitUntil([&] { return row() && row()->item.isOff(); }));
    EXPECT_EQ(row()->action.title, "Turn on");
    EXPECT_FALSE(model->loginError());

    press();
    ASSERT_TRUE(waitUntil([&] { return row() && !row()->item.isOff(); }));
    EXPECT_EQ(row()->action.title, "Turn off");
    EXPECT_FALSE(model->loginError());
    EXPECT_TRUE(fileExists(env.home() + "/Library/LaunchAgents/com.example.tidy.plist"));
}

TEST_F(OnDisplayTest, PickedHitsOfATypedSearchMoveToTheShelfAndComeBack) {
    KELVORA_ON_VIRTUAL_DISPLAY();
    std::string holiday = write("Movies/holiday.mov", std::string(40000, 'h'));
    std::string clip = write("Movies/clip.mp4", std::string(2000, 'c'));
    write("Documents/notes.txt", "not a video");
    auto model = makeModel(liveTools());
    SearchView pane(*model);
    showWindow(pane, QSize(900, 640));

    QTest::keyClicks(pane.field(), "videos");
    EXPECT_FALSE(model->searchQuery()) << "nothing is searched while typing";
    QTest::keyClick(pane.field(), Qt::Key_Return);
    ASSERT_TRUE(waitUntil([&] { return !model->searching() && model->searchHits(); }));
    ASSERT_EQ(pane.hits()->rowCount(), 2);
    EXPECT_EQ(pane.hits()->row(0).hit.url.path(), holiday) << "largest first";
    EXPECT_EQ(pane.chips()->texts(), QStringList{"Videos"});

    RowStack* list = pane.results();
    QRect first = list->visualRect(pane.hits()->index(0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      SearchHitDelegate::pickBox(first).center().toPoint());
    EXPECT_EQ(pane.findChild<PaintedText*>("searchCount")->text(), "2 found · 1 picked");
    ASSERT_TRUE(pane.moveButton()->isEnabled());
    QTest::mouseClick(pane.moveButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !model->sweeps().empty(); }));
    ASSERT_TRUE(waitUntil([&] { return pane.hits()->rowCount() == 1; }));
    EXPECT_FALSE(fileExists(holiday));
    EXPECT_TRUE(fileExists(clip));
    EXPECT_EQ(pane.findChild<PaintedText*>("searchCount")->text(), "1 found · 0 picked");
    EXPECT_FALSE(model->shelfError());

    // What is left can be shown in the file manager from its row's menu.
    QTimer::singleShot(100, [] {
        if (QWidget* menu = QApplication::activePopupWidget()) {
            QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        }
    });
    QRect left = list->visualRect(pane.hits()->index(0));
    QContextMenuEvent request(QContextMenuEvent::Mouse, left.center(),
                              list->viewport()->mapToGlobal(left.center()));
    QApplication::sendEvent(list->viewport(), &request);
    ASSERT_TRUE(waitUntil([&] { return !revealed.empty(); }));
    EXPECT_EQ(revealed.back().path(), clip);

    UndoShelf::Sweep sweep = model->sweeps().front();
    model->putBackAll(sweep);
    ASSERT_TRUE(waitUntil([&] { return fileExists(holiday); }));
    EXPECT_TRUE(waitUntil([&] { return model->sweeps().empty(); }));
}

} // namespace
} // namespace kelvora::testing
