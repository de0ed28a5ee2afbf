#include "app/controller/ControllerFixture.h"
#include "app/design/Pictures.h"
#include "app/support/VirtualDisplay.h"

#include "design/Buttons.h"
#include "design/Fonts.h"
#include "design/Snapshot.h"
#include "design/Theme.h"
#include "panes/SpaceMapCanvas.h"
#include "panes/SpaceMapParts.h"
#include "panes/SpaceMapView.h"

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
    EXPECT_TRUE(shows("Private to macOS, not measured: Secret"));
    EXPECT_TRUE(shows("Best left alone")); // what the folder guide says of the Library
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
