#include "app/controller/ControllerFixture.h"
#include "app/design/Pictures.h"
#include "app/support/VirtualDisplay.h"
#include "app/window/DetailFixture.h"

#include "design/Buttons.h"
#include "design/Fonts.h"
#include "design/PaintedText.h"
#include "design/Scrolling.h"
#include "design/Snapshot.h"
#include "panes/Copy.h"
#include "snapshot/Marketing.h"
#include "snapshot/SnapshotRun.h"
#include "window/AppEvents.h"
#include "window/DetailSidebar.h"
#include "window/DetailedView.h"
#include "window/FlowStates.h"
#include "window/HeaderBar.h"
#include "window/ModeSwitch.h"
#include "window/PickFooter.h"
#include "window/RootTexts.h"
#include "window/RootView.h"
#include "window/SimpleView.h"

#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

namespace kelvora::testing {
namespace {

const QRectF kCheckAgain(1180, 14, 80, 24);

class RootViewTest : public ControllerTest {
protected:
    // The working window, not the first-run welcome.
    void SetUp() override { Prefs::setBoolean(Prefs::Key::welcomeDone, true); }

    // A controller on the marketing data in a given phase, keeping its shelf in the test's
    // folder.
    std::unique_ptr<AppModel> demoModel(std::optional<AppModel::Phase> phase = std::nullopt,
                                        AppModel::ViewMode mode = AppModel::ViewMode::simple) {
        return std::make_unique<AppModel>(Marketing::result(), mode,
                                          UndoShelf(URL::fileURL(shelfRoot(), true), 7),
                                          std::move(phase));
    }

    // A fixture home with an app cache (deleted by a clean-up) and a file in the Trash
    // (moved to the shelf), scanned.
    std::unique_ptr<AppModel> readyWithJunk() {
        write("Library/Caches/com.example.tool/blob.bin", std::string(300'000, 'c'));
        write(".Trash/old draft.txt", std::string(40'000, 't'));
        auto model = makeModel();
        model->scan();
        EXPECT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::ready); }));
        return model;
    }

    // A controller on a finding with something in every category, in the detailed view.
    std::unique_ptr<AppModel> everyCategoryModel() {
        return std::make_unique<AppModel>(everyCategory(), AppModel::ViewMode::detailed,
                                          UndoShelf(URL::fileURL(shelfRoot(), true), 7),
                                          std::nullopt);
    }

    static void drop(RootView& root, const QList<QUrl>& urls, bool* accepted = nullptr) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(600, 400), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(&root, &enter);
        QDropEvent dropped(QPointF(600, 400), Qt::CopyAction, &data, Qt::LeftButton,
                           Qt::NoModifier);
        QCoreApplication::sendEvent(&root, &dropped);
        if (accepted) *accepted = dropped.isAccepted();
    }
};

TEST(HeaderLayout, SwitchSitsMidWindowButtonsAtTheRight) {
    struct Case {
        qreal width;
        std::optional<qreal> shelf;
    };
    const QSizeF switchSize(170, 32);
    for (const Case& c : std::vector<Case>{{1280, std::nullopt}, {1280, 150}, {1100, 150}}) {
        const auto layout = HeaderBar::layout(c.width, switchSize, c.shelf, 96);
        EXPECT_DOUBLE_EQ(layout.modeSwitch.center().x(), c.width / 2) << c.width;
        EXPECT_DOUBLE_EQ(layout.modeSwitch.center().y(), 26);
        EXPECT_DOUBLE_EQ(layout.checkAgain.right(), c.width - 18);
        EXPECT_DOUBLE_EQ(layout.checkAgain.height(), 32);
        ASSERT_EQ(layout.shelfButton.has_value(), c.shelf.has_value());
        if (c.shelf) {
            EXPECT_DOUBLE_EQ(layout.shelfButton->right(), layout.checkAgain.left() - 8);
        }
    }
}

TEST_F(RootViewTest, HeaderAndModeSwitchDrawAndSwitchTheView) {
    KELVORA_REQUIRE_GUI();
    auto model = demoModel();
    RootView root(*model, 0);
    ASSERT_TRUE(root.header());
    EXPECT_EQ(root.mainView()->objectName(), "SimpleView");
    for (Appearance appearance : {Appearance::light, Appearance::dark}) {
        const QImage image = Snapshot::renderWindow(root, appearance == Appearance::dark);
        keepPicture(image, appearance == Appearance::dark ? "root-simple-dark" : "root-simple");
        EXPECT_TRUE(near(at(image, 20, 400), Theme::color(Token::ground, appearance)));
        EXPECT_GT(
            countNear(image, QRectF(560, 10, 160, 32), Theme::color(Token::chip, appearance), 2),
            3000)
            << "the mode switch's plate";
        EXPECT_GT(countNear(image, kCheckAgain, Theme::color(Token::panel, appearance)), 2000);
    }
    EXPECT_FALSE(root.header()->shelfButton()->isVisibleTo(&root)) << "nothing on the shelf";

    ModeSwitch* modes = root.header()->modeSwitch();
    EXPECT_EQ(modes->accessibleName(), "View");
    EXPECT_TRUE(modes->segment(AppModel::ViewMode::simple)->isChecked());
    QTest::mouseClick(modes->segment(AppModel::ViewMode::detailed), Qt::LeftButton);
    EXPECT_EQ(model->mode(), AppModel::ViewMode::detailed);
    EXPECT_TRUE(modes->segment(AppModel::ViewMode::detailed)->isChecked());
    EXPECT_FALSE(modes->segment(AppModel::ViewMode::simple)->isChecked());
    QWidget* detailed = root.mainView();
    EXPECT_EQ(detailed->objectName(), "DetailedView");
    QTest::mouseClick(modes->segment(AppModel::ViewMode::detailed), Qt::LeftButton);
    EXPECT_EQ(root.mainView(), detailed) << "choosing the shown mode again rebuilds nothing";
    ASSERT_TRUE(waitUntil([&] { return !detailed->graphicsEffect(); })) << "it fades in";
    const QImage image = Snapshot::renderWindow(root, false);
    keepPicture(image, "root-detailed");
    // Between a category's meter and its figure.
    EXPECT_TRUE(near(at(image, 1145, 600), Theme::color(Token::panel, Appearance::light)));
    EXPECT_TRUE(near(at(image, 700, 52), Theme::color(Token::line, Appearance::light)));
}

TEST_F(RootViewTest, CheckAgainWaitsDimmedWhileAScanRuns) {
    KELVORA_REQUIRE_GUI();
    // A leftover of a removed app, whose check holds the scan until the test lets it go.
    write("Library/Application Support/com.example.gone/state.db", "x");
    auto model = makeModel();
    installedGate = std::make_shared<Gate>();
    RootView root(*model, 0);
    root.show();
    model->scan();
    ASSERT_TRUE(waitUntil([&] { return installedGate->waiting() > 0; }));
    OutlineButton* checkAgain = root.header()->checkAgainButton();
    EXPECT_FALSE(checkAgain->isEnabled());
    QImage dimmed = Snapshot::renderWindow(root, false);
    keepPicture(dimmed, "root-scanning");
    EXPECT_EQ(countNear(dimmed, kCheckAgain, Theme::color(Token::panel, Appearance::light)), 0)
        << "drawn at half strength";
    QTest::mouseClick(checkAgain, Qt::LeftButton);
    installedGate->open();
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::ready); }));
    EXPECT_TRUE(checkAgain->isEnabled());
    EXPECT_GT(countNear(Snapshot::renderWindow(root, false), kCheckAgain,
                        Theme::color(Token::panel, Appearance::light)),
              2000);
    QTest::mouseClick(checkAgain, Qt::LeftButton);
    EXPECT_TRUE(model->phase().is(AppModel::Phase::Kind::scanning));
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::ready); }));
}

TEST_F(RootViewTest, ConfirmationsAskFirstAndCancelChangesNothing) {
    KELVORA_REQUIRE_GUI();
    auto model = readyWithJunk();
    RootView root(*model, 0);
    root.show();
    const std::string cache = env.home() + "/Library/Caches/com.example.tool/blob.bin";

    model->setConfirmingFreeUp(true);
    QMessageBox* box = root.freeUpConfirmation();
    ASSERT_TRUE(box);
    const RootTexts::Confirmation text = RootTexts::freeUp(*model);
    EXPECT_EQ(text.title.rfind("Clean up ", 0), 0u);
    EXPECT_EQ(box->windowTitle().toStdString(), text.title);
    EXPECT_EQ(box->text().toStdString(), text.title);
    EXPECT_EQ(box->informativeText().toStdString(),
              Copy::confirmMessage(model->result(), model->picks(), 7));
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_EQ(box->defaultButton()->objectName(), "CancelButton") << "Return must not clean";
    EXPECT_EQ(box->escapeButton()->objectName(), "CancelButton");
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_FALSE(model->confirmingFreeUp());
    EXPECT_TRUE(model->phase().is(AppModel::Phase::Kind::ready));
    EXPECT_TRUE(fileExists(cache));

    model->setConfirmingFreeUp(true);
    QTest::mouseClick(root.freeUpConfirmation()->findChild<QPushButton*>("ConfirmButton"),
                      Qt::LeftButton);
    EXPECT_FALSE(model->confirmingFreeUp());
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::done); }));
    EXPECT_FALSE(fileExists(cache));
    ASSERT_GE(model->shelfBytes(), 1);

    model->setConfirmingEmptyShelf(true);
    QMessageBox* empty = root.emptyShelfConfirmation();
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->text(), "Empty the Undo Shelf?");
    auto* free = empty->findChild<QPushButton*>("ConfirmButton");
    EXPECT_EQ(free->text().toStdString(), RootTexts::emptyShelf(*model).confirm);
    EXPECT_EQ(empty->buttonRole(free), QMessageBox::DestructiveRole);
    EXPECT_EQ(empty->defaultButton()->objectName(), "CancelButton");
    QTest::mouseClick(free, Qt::LeftButton);
    EXPECT_FALSE(model->confirmingEmptyShelf());
    EXPECT_TRUE(waitUntil([&] { return model->shelfBytes() == 0; }));
}

TEST_F(RootViewTest, ShelfAlertShowsTheErrorUntilDismissed) {
    KELVORA_REQUIRE_GUI();
    auto model = demoModel();
    RootView root(*model, 0);
    root.show();
    model->setShelfError("Couldn’t put back notes: it no longer exists");
    QMessageBox* alert = root.shelfAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->windowTitle(), "Undo Shelf");
    EXPECT_EQ(alert->text(), "Couldn’t put back notes: it no longer exists");
    model->setShelfError("Some items couldn’t be put back: the disk is full");
    EXPECT_EQ(root.shelfAlert(), alert) << "a newer error replaces the text in place";
    EXPECT_EQ(alert->text(), "Some items couldn’t be put back: the disk is full");
    QTest::keyClick(alert, Qt::Key_Escape);
    EXPECT_FALSE(model->shelfError());
    EXPECT_FALSE(root.shelfAlert()) << "no alert comes back until a new error";
}

TEST_F(RootViewTest, SheetsDimTheWindowAndTheReceiptClosesWhenItsCleanUpIsGone) {
    KELVORA_REQUIRE_GUI();
    // Something for System Data to hold, so its sheet has something to explain.
    write("Library/iTunes/iPhone Software Updates/iPhone.ipsw", std::string(50'000, 'u'));
    auto model = readyWithJunk();
    RootView root(*model, 0);
    root.show();

    model->setShowingSystemDataHelp(true);
    ASSERT_TRUE(root.systemDataSheet());
    EXPECT_EQ(root.systemDataSheet()->geometry(), root.rect());
    const QImage image = Snapshot::renderWindow(root, false);
    keepPicture(image, "root-sheet");
    const QColor corner = at(image, 4, 600);
    EXPECT_LT(corner.lightness(), Theme::color(Token::ground, Appearance::light).lightness() - 40)
        << "the window under a sheet is dimmed";
    EXPECT_FALSE(root.header()->isEnabled()) << "keys under the sheet are not taken";
    model->setShowingSystemDataHelp(false);
    EXPECT_FALSE(root.systemDataSheet());
    EXPECT_TRUE(root.header()->isEnabled());

    model->freeUp();
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::done); }));
    ASSERT_TRUE(model->receipt());
    model->setShowingReceipt(true);
    ASSERT_TRUE(root.receiptSheet());
    model->scan();
    EXPECT_FALSE(model->receipt());
    EXPECT_FALSE(model->showingReceipt()) << "an empty sheet would have no way out";
    EXPECT_FALSE(root.receiptSheet());
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::ready); }));
}

TEST_F(RootViewTest, DroppedAndOpenedApplicationsPrepareTheirUninstall) {
    KELVORA_REQUIRE_GUI();
    auto model = makeModel();
    RootView root(*model, 0);
    root.show();
    const std::string sketch = writeApp("Sketchpad", "com.example.sketchpad");
    const std::string doodle = writeApp("Doodle", "com.example.doodle");
    const std::string notes = write("Documents/notes.txt");
    createDirectories(env.home() + "/Applications/Shout.APP");
    auto url = [](const std::string& path) {
        return QUrl::fromLocalFile(QString::fromStdString(path));
    };

    struct Case {
        QList<QUrl> dropped;
        std::optional<std::string> prepared;
    };
    const std::vector<Case> cases{
        {{url(sketch), url(doodle)}, sketch},
        {{url(notes), url(doodle)}, std::nullopt},
        {{url(env.home() + "/Applications/Shout.APP")}, std::nullopt},
        {{url(env.home() + "/Documents")}, std::nullopt},
    };
    for (const Case& c : cases) {
        bool accepted = false;
        drop(root, c.dropped, &accepted);
        EXPECT_TRUE(accepted);
        EXPECT_FALSE(root.dropTargeted());
        if (c.prepared) {
            ASSERT_TRUE(waitUntil([&] { return model->uninstallTarget().has_value(); }));
            EXPECT_EQ(model->uninstallTarget()->location.path(), *c.prepared);
            ASSERT_TRUE(root.uninstallSheet());
            keepPicture(Snapshot::renderWindow(root, true), "root-uninstall-dark");
            model->closeUninstall();
            EXPECT_FALSE(root.uninstallSheet());
        } else {
            settle();
            EXPECT_FALSE(model->uninstallTarget());
            EXPECT_FALSE(model->shelfError()) << "a drop that is no app shows nothing";
        }
    }
    bool accepted = true;
    drop(root, {}, &accepted);
    EXPECT_FALSE(accepted) << "a drop without items is refused";

    QMimeData data;
    data.setUrls({url(doodle)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&root, &enter);
    EXPECT_TRUE(root.dropTargeted());
    const QImage framed = Snapshot::renderWindow(root, false);
    keepPicture(framed, "root-drop");
    EXPECT_GT(
        countNear(framed, QRectF(0, 0, 1280, 30), Theme::color(Token::signal, Appearance::light)),
        500)
        << "the dashed frame";
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(&root, &leave);
    EXPECT_FALSE(root.dropTargeted());

    emit AppEvents::shared().kelvoraOpenApps({URL::fileURL(notes), URL::fileURL(doodle)});
    ASSERT_TRUE(waitUntil([&] { return model->uninstallTarget().has_value(); }));
    EXPECT_EQ(model->uninstallTarget()->location.path(), doodle)
        << "opened files are searched for the first app";
}

TEST_F(RootViewTest, DetailedPaneFollowsTheToolsThenThePhase) {
    const ScanResult result = Marketing::result();
    auto ready = demoModel();
    auto scanning = demoModel(AppModel::Phase::scanning());
    auto done = demoModel(AppModel::Phase::done(result, Marketing::report(result), result.disk));
    struct Case {
        AppModel* model;
        std::optional<JunkKind> category;
        bool shelf, photos, loginItems, spaceMap, search;
        DetailedPane pane;
        bool footer;
    };
    const std::vector<Case> cases{
        {ready.get(), JunkKind::caches, true, true, true, true, true, DetailedPane::search, false},
        {ready.get(), {}, true, true, true, true, false, DetailedPane::photos, false},
        {ready.get(), {}, true, false, true, true, false, DetailedPane::loginItems, false},
        {ready.get(), {}, true, false, false, true, false, DetailedPane::spaceMap, false},
        {ready.get(), JunkKind::logs, true, false, false, false, false, DetailedPane::shelf, false},
        {ready.get(), JunkKind::logs, false, false, false, false, false, DetailedPane::category,
         true},
        {ready.get(), {}, false, false, false, false, false, DetailedPane::overview, true},
        {scanning.get(), JunkKind::logs, false, false, false, false, false, DetailedPane::scanning,
         false},
        {done.get(), JunkKind::logs, false, false, false, false, false, DetailedPane::done, false},
    };
    for (const Case& c : cases) {
        // Tools shown the way their own runs show them, so nothing is measured or loaded.
        c.model->show(c.category, c.shelf, false, false, c.photos, false);
        if (c.loginItems) c.model->showLoginItems({});
        if (c.spaceMap) c.model->showSpaceMap(nullptr);
        if (c.search) c.model->showSearch(PlainQuery{}, {});
        EXPECT_EQ(detailedPane(*c.model), c.pane) << static_cast<int>(c.pane);
        EXPECT_EQ(showsPickFooter(*c.model), c.footer) << static_cast<int>(c.pane);
    }
}

TEST_F(RootViewTest, DoneStateSaysWhatWasLeftAloneAndWhatFailed) {
    KELVORA_REQUIRE_GUI();
    const ScanResult result = Marketing::result();
    CleanReport failed;
    failed.skippedInUse = 2;
    failed.failures = {{URL::fileURL("/a"), "locked"},
                       {URL::fileURL("/b"), "locked"},
                       {URL::fileURL("/c"), "locked"}};
    struct Case {
        CleanReport report;
        std::string headline;
        std::string paragraph;
        bool accent;
        bool receipt;
    };
    const std::vector<Case> cases{
        {failed, "Nothing was cleared.",
         "Your computer now has 61.2 GB free. 2 items were opened by an app during cleaning, so "
         "Kelvora left them alone. 3 items couldn’t be moved. Locked.",
         false, false},
        {Marketing::report(result), "Cleared 12.6 GB.", "Your computer now has 61.2 GB free.", true,
         true},
    };
    for (const Case& c : cases) {
        auto model = demoModel(AppModel::Phase::done(result, c.report, result.disk),
                               AppModel::ViewMode::detailed);
        RootView root(*model, 0);
        auto* view = qobject_cast<DetailedView*>(root.mainView());
        ASSERT_TRUE(view);
        auto* state = qobject_cast<DoneState*>(view->paneWidget());
        ASSERT_TRUE(state);
        EXPECT_EQ(state->headline()->text().toStdString(), c.headline);
        EXPECT_EQ(state->paragraph()->text().toStdString(), c.paragraph);
        const QImage image = Snapshot::renderWindow(root, false);
        keepPicture(image, c.accent ? "root-done" : "root-done-failed");
        EXPECT_EQ(countNear(image, QRectF(100, 130, 500, 60),
                            Theme::color(Token::signalText, Appearance::light)) > 500,
                  c.accent);
        EXPECT_FALSE(state->openShelfButton()->isVisibleTo(state)) << "the shelf is empty";
        EXPECT_EQ(state->shareReceiptButton()->isVisibleTo(state), c.receipt);
        EXPECT_TRUE(state->checkAgainButton()->isVisibleTo(state));
        EXPECT_FALSE(view->pickFooter()->isVisibleTo(view));
    }
}

// At the window's smallest size the simple view is taller than its frame: it scrolls down
// to its last line instead of losing it; at the usual size it fills the frame and nothing
// scrolls.
TEST_F(RootViewTest, SimpleViewScrollsInTheSmallestWindow) {
    KELVORA_REQUIRE_GUI();
    Fonts::registerFonts(KELVORA_FONTS_DIR);
    // The dial stands at its values at once, so the picture shows it whole.
    qputenv("KELVORA_REDUCE_MOTION", "1");
    auto model = demoModel();
    model->setForecastDays(40);
    RootView root(*model, 0);
    auto* simple = qobject_cast<SimpleView*>(root.mainView());
    ASSERT_TRUE(simple);
    auto* area = qobject_cast<QScrollArea*>(simple->parentWidget()->parentWidget());
    ASSERT_TRUE(area);
    root.resize(1100, 720);
    root.show();
    settle();

    const SimpleLayout& layout = simple->currentLayout();
    ASSERT_TRUE(layout.inUse);
    QScrollBar* bar = area->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(simple->height(), simple->heightForWidth(simple->width()));
    EXPECT_LT(layout.content.top(), 1) << "laid out from the top, not centred off it";
    bar->setValue(bar->maximum());
    const qreal lastLine =
        simple->mapTo(&root, layout.inUse->textAt).y() + layout.inUse->text.size().height();
    EXPECT_LE(lastLine, root.height() - SimpleLayout::kBottomMargin + 1);
    {
        Theme::Scope light(Appearance::light);
        keepPicture(Render::widget(root, root.size()), "root-simple-smallest-scrolled");
    }

    root.resize(1280, 820);
    settle();
    EXPECT_EQ(bar->maximum(), 0);
    EXPECT_EQ(simple->size(), QSize(1280, 768));
    EXPECT_GT(simple->currentLayout().content.top(), 0) << "centred in the usual window";
    qunsetenv("KELVORA_REDUCE_MOTION");
}

// Every scroll area under `root` scrolls under the thin scroller; no classic bar shows.
void expectOnlyThinScrollers(QWidget& root, const std::string& where) {
    const auto areas = root.findChildren<QAbstractScrollArea*>();
    EXPECT_FALSE(areas.empty()) << where;
    for (QAbstractScrollArea* area : areas)
        EXPECT_TRUE(ThinScroller::of(area)) << where << ": " << area->metaObject()->className();
    for (QScrollBar* bar : root.findChildren<QScrollBar*>())
        EXPECT_FALSE(bar->isVisible()) << where << ": a classic scroll bar";
}

// With something in every category, the usual window shows every sidebar row whole above
// the disk footer. In the smallest they do not fit even closed up: they scroll there, in the
// room above the footer, under the thin scroller.
TEST_F(RootViewTest, SidebarFitsTheUsualWindowAndScrollsThinlyInTheSmallest) {
    KELVORA_REQUIRE_GUI();
    Fonts::registerFonts(KELVORA_FONTS_DIR);
    auto model = everyCategoryModel();
    RootView root(*model, 0);
    auto* sidebar =
        qobject_cast<DetailSidebar*>(qobject_cast<DetailedView*>(root.mainView())->sidebar());
    auto* area = sidebar->findChild<QScrollArea*>();
    ASSERT_TRUE(area);
    QScrollBar* bar = area->verticalScrollBar();
    for (QSize size : {QSize(1280, 820), QSize(1100, 720)}) {
        const bool usual = size.width() == 1280;
        root.resize(size);
        root.show();
        settle();
        ASSERT_EQ(sidebar->rows().size(), 1u + 14 + 5);
        const QRect rows(area->viewport()->mapTo(sidebar, QPoint()), area->viewport()->size());
        EXPECT_LT(rows.bottom(), sidebar->diskBar().top() - 20) << "the footer keeps its room";
        EXPECT_EQ(bar->maximum() > 0, !usual);
        SidebarList* list = sidebar->list();
        for (const Sidebar::Row& row : sidebar->rows()) {
            const QRect place = list->rowRect(row.destination, row.kind);
            area->ensureVisible(place.center().x(), place.center().y(), 0, place.height() / 2 + 1);
            EXPECT_TRUE(rows.contains(QRect(list->mapTo(sidebar, place.topLeft()), place.size())))
                << row.title << " in view above the footer";
            EXPECT_EQ(SidebarList::shownTitle(row, place.width()).toStdString(), row.title);
        }
        expectOnlyThinScrollers(root, std::to_string(size.width()));
        ThinScroller* scroller = ThinScroller::of(area);
        EXPECT_EQ(scroller->isShowing(), !usual) << "shown while the rows move";

        for (Appearance appearance : {Appearance::light, Appearance::dark}) {
            Theme::Scope scope(appearance);
            const QImage image = Render::widget(root, size);
            keepPicture(image, "root-every-category-" + std::to_string(size.width()) + "-" +
                                   (appearance == Appearance::dark ? "dark" : "light"));
            const QPoint origin = sidebar->mapTo(&root, QPoint());
            const QRectF loginRow(
                origin + sidebar->list()->mapTo(
                             sidebar,
                             sidebar->list()->rowRect(Sidebar::Destination::loginItems).topLeft()),
                QSizeF(200, 28));
            EXPECT_GT(countNear(image, loginRow, Theme::color(Token::muted, appearance), 40), 150)
                << "the last row is drawn";
            EXPECT_GT(countNear(image, sidebar->diskBar().translated(origin),
                                Theme::color(Token::ink, appearance), 30),
                      500)
                << "so is the disk bar";
            if (usual) continue;
            // The thumb at the end of its strip: thin, a blend of ink into the sidebar.
            const QRectF thumb =
                ThinScroller::thumb(QRectF(scroller->geometry()), bar->minimum(), bar->maximum(),
                                    bar->pageStep(), bar->value(), false)
                    .translated(origin);
            const QColor ink = blend(Theme::color(Token::ink, appearance),
                                     Theme::color(Token::sidebar, appearance), 0.38);
            EXPECT_GT(countNear(image, thumb.adjusted(1, 4, -1, -4), ink, 6),
                      0.8 * 4 * (thumb.width() - 2) * (thumb.height() - 8));
            EXPECT_EQ(countNear(image, thumb.translated(-7, 0), ink, 6), 0) << "and thin";
        }
    }
}

// Whatever the window shows, on a display at its usual and its smallest size, its lists
// and panes scroll under the thin scroller: no classic scroll bar is drawn anywhere.
TEST_F(RootViewTest, NoPaneOfTheWindowDrawsAClassicScrollBar) {
    KELVORA_ON_VIRTUAL_DISPLAY();
    Fonts::registerFonts(KELVORA_FONTS_DIR);
    auto model = everyCategoryModel();
    RootView root(*model, 0);
    root.resize(1100, 720);
    root.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&root));
    const std::vector<std::pair<const char*, std::function<void()>>> panes{
        {"overview", [&] { model->show(std::nullopt, false, false, false, false, false); }},
        {"category and inspector", [&] { Sidebar::openCategory(*model, JunkKind::caches); }},
        {"undo shelf", [&] { model->show(std::nullopt, true, false, false, false, false); }},
        {"space map", [&] { model->showSpaceMap(nullptr); }},
        {"search", [&] { model->showSearch(PlainQuery{}, {}); }},
        {"similar photos", [&] { model->show(std::nullopt, false, false, false, true, false); }},
        {"login items", [&] { model->showLoginItems({}); }},
        {"simple view", [&] { model->setMode(AppModel::ViewMode::simple); }},
    };
    for (QSize size : {QSize(1280, 820), QSize(1100, 720)}) {
        root.resize(size);
        model->setMode(AppModel::ViewMode::detailed);
        for (const auto& [name, open] : panes) {
            open();
            settle(std::chrono::milliseconds(30));
            expectOnlyThinScrollers(root,
                                    std::string(name) + " at " + std::to_string(size.width()));
        }
    }
}

TEST(ScanningLine, NamesTheStepOnceOneIsReported) {
    EXPECT_EQ(scanningLine(std::nullopt), "Checking your computer…");
    EXPECT_EQ(scanningLine(AppModel::ScanStep{"Mail and Messages", 0.4}),
              "Checking Mail and Messages…");
}

} // namespace
} // namespace kelvora::testing
