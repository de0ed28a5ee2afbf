#include "app/controller/ControllerFixture.h"
#include "app/design/Pictures.h"
#include "app/support/VirtualDisplay.h"

#include "controller/Updater.h"
#include "design/Buttons.h"
#include "design/Fonts.h"
#include "design/Snapshot.h"
#include "design/Theme.h"
#include "panes/SpaceMapCanvas.h"
#include "panes/SpaceMapParts.h"
#include "panes/SpaceMapView.h"
#include "window/MainWindow.h"
#include "window/RootView.h"

#include <QAccessible>
#include <QTest>

namespace kelvora::testing {
namespace {

constexpr QSize kPane(1000, 640);

// A home with three folders, two files and a folder the measurement may not enter.
class SpaceMapViewTest : public ControllerTest {
protected:
    SpaceMapViewTest() {
        write("Movies/film.mov", std::string(2'000'000, 'm'));
        write("Movies/clip.mov", std::string(400'000, 'c'));
        write("Music/album.flac", std::string(900'000, 'a'));
        write("backup.zip", std::string(1'200'000, 'z'));
        write("notes.txt", std::string(9'000, 'n'));
        write("Library/Caches/app/cache.bin", std::string(700'000, 'l'));
        write("Secret/diary.txt", std::string(50'000, 'd'));
        Fonts::registerFonts(KELVORA_FONTS_DIR);
        AppModel::Tools fake = tools();
        fake.revealSeveral = [this](const std::vector<URL>& urls) { revealedTogether = urls; };
        model = makeModel(fake);
        map = SpaceMap::measure(home(), {env.home() + "/Secret"});
        model->showSpaceMap(map);
    }

    URL folder(const std::string& name) const { return map->root().appending(name, true); }
    // Where a tile is drawn, in the pane's own coordinates.
    QRectF tileInPane(SpaceMapView& view, const std::string& name) const {
        SpaceMapCanvas* canvas = view.canvas();
        for (int i = 0; i < static_cast<int>(canvas->tiles().size()); ++i)
            if (canvas->tiles()[i].name == name)
                return SpaceMapTiles::drawn(canvas->tileRect(i))
                    .translated(canvas->mapTo(&view, QPoint(0, 0)));
        ADD_FAILURE() << "no tile " << name;
        return {};
    }

    // A deep folder with a long name, the only one on its way down from "Projects", mapped
    // and shown in the window's detailed view with its node_modules folder selected.
    URL mapDeepFolder() {
        const std::string deep = "Projects/clients/northwind/2023/annual-report/final/"
                                 "Photography selects from the spring shoot at the lake house";
        write(deep + "/node_modules/left-pad/index.js", std::string(300'000, 'j'));
        write(deep + "/cover.tiff", std::string(100'000, 't'));
        map = SpaceMap::measure(home(), {});
        model->showSpaceMap(map);
        model->setMode(AppModel::ViewMode::detailed);
        model->setShowingWelcome(false);
        URL folder = map->root().appending(deep, true);
        model->setMapFolder(folder);
        model->setMapSelection(folder.appending("node_modules", true));
        return folder;
    }

    std::unique_ptr<AppModel> model;
    std::shared_ptr<const SpaceMap> map;
    std::vector<URL> revealedTogether;
};

std::vector<std::string> crumbLabels(SpaceMapView& view) {
    std::vector<std::string> labels;
    for (CrumbButton* button : view.header()->crumbs()->buttons())
        labels.push_back(button->text().toStdString());
    return labels;
}

TEST_F(SpaceMapViewTest, MapOfAFolderIsDrawnInBothAppearances) {
    KELVORA_REQUIRE_GUI();
    model->setMapSelection(folder("Library"));
    for (Appearance appearance : {Appearance::light, Appearance::dark}) {
        Theme::Scope scope(appearance);
        SpaceMapView view(*model, 28);
        Snapshot::setSnapshot(&view, true);
        QImage image = Render::widget(view, kPane);
        keepPicture(image, appearance == Appearance::light ? "space-map-light" : "space-map-dark");
        SCOPED_TRACE(appearance == Appearance::light ? "light" : "dark");

        // The largest tile is the darkest shade whatever the appearance; the selected one
        // carries the accent border; a gap of the pane's ground lies between tiles.
        QRectF movies = tileInPane(view, "Movies");
        QRectF library = tileInPane(view, "Library");
        EXPECT_TRUE(near(at(image, movies.right() - 10, movies.bottom() - 10), QColor(0x1A1A18)));
        EXPECT_TRUE(near(at(image, library.left() + 1.5, library.center().y()), Theme::signal()));
        EXPECT_TRUE(near(at(image, movies.right() + 1.5, movies.center().y()), Theme::ground()));
        EXPECT_GT(countNear(image, movies.adjusted(8, 8, -8, -8), QColor(0xF6F5F1), 40), 20)
            << "the largest tile is labelled";

        QRectF inspector(view.inspector()->mapTo(&view, QPoint(0, 0)), view.inspector()->size());
        EXPECT_TRUE(
            near(at(image, inspector.right() - 4, inspector.bottom() - 4), Theme::sidebar()));
        EXPECT_TRUE(near(at(image, 4, kPane.height() - 4), Theme::ground()));
    }

    SpaceMapView view(*model, 28);
    EXPECT_EQ(crumbLabels(view), std::vector<std::string>{"Home"});
    EXPECT_TRUE(view.header()->back()->isHidden());
    EXPECT_EQ(view.findChild<PaintedText*>("selectedName")->text(), "Library");
    auto tiles = view.canvas()->tiles();
    ASSERT_EQ(tiles.size(), 5u); // the private folder gets no tile
    EXPECT_EQ(tiles[0].name, "Movies");
    auto shows = [&](const QString& text) {
        auto lines = view.findChildren<SymbolLabel*>();
        return std::any_of(lines.begin(), lines.end(), [&](SymbolLabel* line) {
            return line->isVisibleTo(&view) && line->text() == text;
        });
    };
    EXPECT_TRUE(shows("Closed to Kelvora, not measured: Secret"));
    EXPECT_TRUE(shows("Best left alone")); // what the folder guide says of the Library
}

// The guide knows the system's cache folder and each cache in it as the App caches category
// does, wherever the cache folder lies.
TEST_F(SpaceMapViewTest, TheGuideAnswersOfCachesAsTheirCategoryDoes) {
    KELVORA_REQUIRE_GUI();
    env.dir().write("cache/ms-playwright/chromium-1091/chrome", std::string(600'000, 'p'));
    env.dir().write("cache/go-build/3f/3f01-d", std::string(200'000, 'g'));
    struct Case {
        const char* mapped;
        const char* selected;
        const char* title;
        const char* picture;
    } cases[] = {
        {"", "cache", "App caches", "space-map-cache"},
        {"cache", "ms-playwright", "Cache for Playwright browsers", "space-map-playwright"},
    };
    for (const Case& c : cases) {
        map = SpaceMap::measure(URL::fileURL(env.dir() / c.mapped, true), {});
        model->showSpaceMap(map);
        model->setMapSelection(map->root().appending(c.selected, true));
        for (Appearance appearance : {Appearance::light, Appearance::dark}) {
            SCOPED_TRACE(std::string(c.selected) +
                         (appearance == Appearance::light ? " light" : " dark"));
            Theme::Scope scope(appearance);
            SpaceMapView view(*model, 28);
            Snapshot::setSnapshot(&view, true);
            keepPicture(Render::widget(view, kPane),
                        std::string(c.picture) +
                            (appearance == Appearance::light ? "-light" : "-dark"));
            auto texts = view.findChildren<PaintedText*>();
            EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](PaintedText* text) {
                return text->isVisibleTo(&view) && text->text() == c.title;
            })) << c.title;
            EXPECT_FALSE(std::any_of(texts.begin(), texts.end(), [&](PaintedText* text) {
                return text->text().contains("command-line");
            }));
        }
    }
}

// Listing a folder reads the disk; it happens when another folder is shown, never because
// the pane was drawn again or something else changed.
TEST_F(SpaceMapViewTest, AFolderIsListedOnceWhileItIsShown) {
    KELVORA_REQUIRE_GUI();
    SpaceMapView view(*model, 28);
    Snapshot::setSnapshot(&view, true);
    for (QSize size : {kPane, QSize(800, 500), kPane})
        Render::widget(view, size);
    model->setMapSelection(folder("Music"));
    model->setShelfError(std::string("unrelated"));
    model->setMapSelection(std::nullopt);
    Render::widget(view, kPane);
    EXPECT_EQ(view.shownFolder().listings(), 1);

    view.zoom(folder("Movies"));
    Render::widget(view, kPane);
    model->setMapSelection(folder("Movies").appending("film.mov"));
    Render::widget(view, kPane);
    EXPECT_EQ(view.shownFolder().listings(), 2);
    EXPECT_EQ(view.findChild<PaintedText*>("selectedName")->text(), "film.mov");

    // Going back up finds the folder's listing kept; a new measurement lists afresh.
    view.zoom(map->root());
    Render::widget(view, kPane);
    EXPECT_EQ(view.shownFolder().listings(), 2);
    EXPECT_EQ(view.canvas()->tiles().size(), 5u);
    model->showSpaceMap(SpaceMap::measure(home(), {}));
    Render::widget(view, kPane);
    EXPECT_EQ(view.shownFolder().listings(), 3);
    EXPECT_EQ(view.canvas()->tiles().size(), 6u);
}

TEST_F(SpaceMapViewTest, InspectorButtonsAndTheSpokenTileOpenAndReveal) {
    KELVORA_REQUIRE_GUI();
    SpaceMapView view(*model, 28);
    Render::widget(view, kPane);

    // A tile is a button to assistive technology; its action opens the folder.
    QAccessibleInterface* canvas = QAccessible::queryAccessibleInterface(view.canvas());
    ASSERT_TRUE(canvas);
    ASSERT_EQ(canvas->childCount(), 5);
    QAccessibleInterface* movies = canvas->child(0);
    EXPECT_EQ(movies->text(QAccessible::Name).toStdString(),
              "Movies, " + Format::size(*map->size(folder("Movies"))));
    EXPECT_EQ(movies->role(), QAccessible::Button);
    movies->actionInterface()->doAction("Open");
    EXPECT_EQ(model->mapFolder(), folder("Movies"));
    EXPECT_EQ(crumbLabels(view), (std::vector<std::string>{"Home", "Movies"}));
    EXPECT_TRUE(view.header()->back()->isVisibleTo(&view));
    EXPECT_FALSE(view.header()->crumbs()->buttons().back()->isEnabled());

    // "Back" climbs; "Open" is offered only for a folder; "Show in Folder" for any item.
    QTest::mouseClick(view.header()->back(), Qt::LeftButton);
    EXPECT_EQ(model->mapFolder()->path(), map->root().path());
    model->setMapSelection(map->root().appending("backup.zip"));
    EXPECT_FALSE(view.inspector()->openButton()->isVisibleTo(&view));
    QTest::mouseClick(view.inspector()->revealButton(), Qt::LeftButton);
    EXPECT_EQ(revealedTogether, std::vector<URL>{map->root().appending("backup.zip")});
    model->setMapSelection(folder("Music"));
    ASSERT_TRUE(view.inspector()->openButton()->isVisibleTo(&view));
    QTest::mouseClick(view.inspector()->openButton(), Qt::LeftButton);
    EXPECT_EQ(model->mapFolder(), folder("Music"));
    EXPECT_FALSE(model->mapSelection());
}

// The pane in the window at the smallest size and the usual one, in both appearances,
// zoomed into a deep folder with a long name and showing what a node_modules folder is.
// The path bar folds and cuts its names to the room it has: the window keeps its width and
// nothing is drawn over the folder's size; the advice under "What is this?" wraps whole.
TEST_F(SpaceMapViewTest, DeepFolderAndLongAdviceFitTheSmallestWindow) {
    KELVORA_REQUIRE_GUI();
    const URL folder = mapDeepFolder();
    // Every folder on the way holds the same bytes, so only the path differs.
    model->setMapFolder(map->root().appending("Projects", true));
    const int minimumOneDown = SpaceMapView(*model, 28).minimumSizeHint().width();
    model->setMapFolder(folder);
    model->setMapSelection(folder.appending("node_modules", true));

    for (QSize size : {QSize(1100, 720), QSize(1280, 820)})
        for (Appearance appearance : {Appearance::light, Appearance::dark}) {
            std::string name = "space-map-deep-" + std::to_string(size.width()) +
                               (appearance == Appearance::light ? "-light" : "-dark");
            SCOPED_TRACE(name);
            Theme::Scope scope(appearance);
            RootView root(*model, 0);
            Snapshot::setSnapshot(&root, true);
            EXPECT_LE(root.minimumSizeHint().width(), 1100);
            QImage image = Render::widget(root, size);
            keepPicture(image, name);
            auto* view = root.findChild<SpaceMapView*>();
            ASSERT_TRUE(view && view->isVisibleTo(&root));
            EXPECT_EQ(view->minimumSizeHint().width(), minimumOneDown);
            EXPECT_LE(view->inspector()->mapTo(&root, QPoint()).x() + view->inspector()->width(),
                      size.width());

            // The bar ends at least 10 pt before the size, and only the header's ground lies
            // between them.
            CrumbBar* bar = view->header()->crumbs();
            QRect barRect(bar->mapTo(&root, QPoint()), bar->size());
            QWidget* figure = view->header()->sizeFigure();
            ASSERT_TRUE(figure->isVisibleTo(&root));
            QRect figureRect(figure->mapTo(&root, QPoint()), figure->size());
            EXPECT_LE(barRect.left() + bar->layout().width + 10, figureRect.left());
            QRectF between(barRect.left() + bar->layout().width + 1, barRect.top(),
                           figureRect.left() - barRect.left() - bar->layout().width - 2,
                           barRect.height());
            EXPECT_EQ(countNear(image, between, Theme::ink(), 60), 0);
            EXPECT_EQ(countNear(image, between, Theme::muted(), 30), 0);
            const auto& buttons = bar->buttons();
            EXPECT_EQ(buttons.front()->shown(), "Home");
            EXPECT_TRUE(buttons.front()->isVisibleTo(&root));
            EXPECT_TRUE(bar->ellipsis()->isVisibleTo(&root));
            EXPECT_TRUE(buttons.back()->shown().startsWith("Photography"));
            EXPECT_EQ(buttons.back()->text().toStdString(), folder.lastPathComponent());
            QRect last(buttons.back()->mapTo(&root, QPoint()), buttons.back()->size());
            EXPECT_GT(countNear(image, last, Theme::ink(), 60), 30) << "the folder shown, in ink";

            // The advice takes two lines and both are drawn.
            SymbolLabel* advice = view->inspector()->advice();
            EXPECT_EQ(advice->text(), "Kelvora can clear this, and it comes back");
            ASSERT_EQ(advice->lines().lineCount(), 2);
            EXPECT_GE(advice->height(), advice->lines().height());
            QRect adviceRect(advice->mapTo(&root, QPoint()), advice->size());
            QRectF secondLine(adviceRect.left() + 20, adviceRect.center().y() + 2,
                              adviceRect.width() - 20, adviceRect.height() / 2.0 - 2);
            EXPECT_GT(countNear(image, secondLine, Theme::ink(), 60), 20);
        }

    // "…" opens the lowest folder it stands for.
    RootView root(*model, 0);
    root.resize(1100, 720);
    Render::widget(root, root.size());
    CrumbBar* bar = root.findChild<SpaceMapView*>()->header()->crumbs();
    ASSERT_TRUE(bar->ellipsis()->isVisibleTo(&root));
    URL opened = bar->ellipsis()->crumb().url;
    QTest::mouseClick(bar->ellipsis(), Qt::LeftButton);
    EXPECT_EQ(model->mapFolder(), opened);
    EXPECT_EQ(opened.path(), folder.deletingLastPathComponent().path());
    QTest::mouseClick(bar->buttons().front(), Qt::LeftButton);
    EXPECT_EQ(model->mapFolder()->path(), map->root().path());
    EXPECT_EQ(bar->buttons().size(), 1u);
}

// On a virtual display, as a person sees it: the smallest window opened on the deep folder
// stays the smallest window, and every step of the path bar reads whole or cut with "…".
TEST_F(SpaceMapViewTest, TheSmallestWindowKeepsItsWidthInADeepFolder) {
    KELVORA_ON_VIRTUAL_DISPLAY();
    KELVORA_REQUIRE_GUI();
    mapDeepFolder();
    Updater updater;
    MainWindow window(*model, updater);
    window.resize(1100, 720);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(200);
    keepPicture(window.grab().toImage(), "space-map-deep-window");
    EXPECT_EQ(window.size(), QSize(1100, 720));
    auto* view = window.findChild<SpaceMapView*>();
    ASSERT_TRUE(view && view->isVisible());
    // The inspector and "Choose folder…" keep their places at the window's right.
    for (QWidget* part : {static_cast<QWidget*>(view->inspector()),
                          static_cast<QWidget*>(view->header()->choose())})
        EXPECT_LE(part->mapTo(&window, QPoint()).x() + part->width(), window.width());
    CrumbBar* bar = view->header()->crumbs();
    std::vector<CrumbButton*> shown;
    for (CrumbButton* button : bar->findChildren<CrumbButton*>())
        if (button->isVisible()) shown.push_back(button);
    ASSERT_GE(shown.size(), 2u);
    for (CrumbButton* button : shown) {
        QFontMetricsF metrics(
            Fonts::text(13.5, button->isEnabled() ? QFont::Normal : QFont::DemiBold));
        EXPECT_LE(metrics.horizontalAdvance(button->shown()), button->width() + 0.01)
            << button->shown().toStdString();
        EXPECT_TRUE(button->shown() == button->text() || button->shown().endsWith("…"))
            << button->shown().toStdString();
    }
    EXPECT_LE(bar->mapTo(&window, QPoint()).x() + bar->layout().width + 10,
              view->header()->sizeFigure()->mapTo(&window, QPoint()).x());
}

TEST_F(SpaceMapViewTest, MeasuringShowsTheCountWhileTheFolderIsWalked) {
    KELVORA_REQUIRE_GUI();
    auto gate = std::make_shared<Gate>();
    AppModel::Tools slow = tools();
    slow.measure = [gate](const URL& root, const std::set<std::string>& skip,
                          const SpaceMap::Progress& progress, const StopToken&) {
        progress(12'345);
        gate->wait();
        return SpaceMap::measure(root, skip);
    };
    auto measuring = makeModel(slow);
    measuring->show(std::nullopt, false, true, false, false, false);
    ASSERT_TRUE(waitUntil([&] { return measuring->measuredFiles() == 12'345; }));
    SpaceMapView view(*measuring, 28);
    Snapshot::setSnapshot(&view, true);
    QImage image = Render::widget(view, kPane);
    keepPicture(image, "space-map-measuring");
    auto texts = view.findChildren<PaintedText*>();
    bool counted = std::any_of(texts.begin(), texts.end(), [](PaintedText* text) {
        return text->isVisibleTo(text->window()) &&
               text->text().toStdString() ==
                   "Measuring… " + Format::count(12'345) + " files so far";
    });
    EXPECT_TRUE(counted);
    gate->open();
    ASSERT_TRUE(waitUntil([&] { return !measuring->measuring(); }));
    EXPECT_EQ(view.canvas()->tiles().size(), 6u); // this walk may enter "Secret"
}

// On a virtual display the pane is a real window, and the double click reaches it as from
// a mouse.
TEST_F(SpaceMapViewTest, DoubleClickOnAFolderTileZoomsIntoIt) {
    KELVORA_ON_VIRTUAL_DISPLAY();
    KELVORA_REQUIRE_GUI();
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    SpaceMapView view(*model, 28);
    view.resize(kPane);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    // Through the window, so the click finds its widget as a real one does.
    QWindow* window = view.windowHandle();
    QRectF file = tileInPane(view, "backup.zip");
    QTest::mouseDClick(window, Qt::LeftButton, {}, file.center().toPoint());
    EXPECT_EQ(model->mapFolder()->path(), map->root().path()) << "a file tile opens nothing";
    EXPECT_EQ(model->mapSelection(), map->root().appending("backup.zip"));

    QRectF movies = tileInPane(view, "Movies");
    QTest::mouseDClick(window, Qt::LeftButton, {}, movies.center().toPoint());
    EXPECT_EQ(model->mapFolder(), folder("Movies"));
    EXPECT_FALSE(model->mapSelection());
    EXPECT_EQ(crumbLabels(view), (std::vector<std::string>{"Home", "Movies"}));
}

} // namespace
} // namespace kelvora::testing
