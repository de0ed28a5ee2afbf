#include "app/controller/ControllerFixture.h"
#include "app/design/Pictures.h"
#include "app/window/SimpleFixtures.h"

#include "design/Buttons.h"
#include "design/DialGeometry.h"
#include "design/Fonts.h"
#include "design/Snapshot.h"
#include "design/Theme.h"
#include "model/Format.h"
#include "onboarding/AccessNote.h"
#include "window/SimpleView.h"
#include "window/TileView.h"

#include <QAccessible>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace kelvora::testing {
namespace {

constexpr QSize kViewSize(1280, 768); // the window's 1280 × 820 below its 52 px header

std::unique_ptr<AppModel> modelIn(AppModel::Phase phase, UndoShelf shelf) {
    ScanResult result = phase.result ? *phase.result : demoResult();
    return std::make_unique<AppModel>(result, AppModel::ViewMode::simple, std::move(shelf), phase);
}

template <class T> T* child(const SimpleView& view, const char* name) {
    T* found = view.findChild<T*>(name);
    EXPECT_TRUE(found) << name;
    return found;
}

// The dial's band at a share, in the view's logical pixels.
QPointF bandAt(const SimpleLayout& layout, double share) {
    QRectF box = DialGeometry::fittedBox(layout.dial);
    DialGeometry g = DialGeometry::forSize(box.size());
    return g.point(share, g.radius) + box.topLeft();
}

TEST(SimpleViewTest, EachPhaseDrawsItsDialButtonsAndTilesInBothAppearances) {
    KELVORA_REQUIRE_GUI();
    Fonts::registerFonts(KELVORA_FONTS_DIR);
    TempDir dir;
    const ScanResult demo = demoResult();
    struct Scene {
        const char* name;
        AppModel::Phase phase;
        int64_t shelved;
        QStringList shown; // the orange button first
    };
    const Scene scenes[] = {
        {"scanning", AppModel::Phase::scanning(), 0, {}},
        {"ready",
         AppModel::Phase::ready(demo),
         0,
         {"cleanUpButton", "seeInsideLink", "reviewLink"}},
        {"cleaning", AppModel::Phase::cleaning(demo), 0, {"cleanUpButton"}},
        {"done",
         AppModel::Phase::done(demo, cleanedDefaults(demo), demo.disk),
         5'014'000'000,
         {"freeNowButton", "openShelfLink", "shareReceiptLink"}},
        {"done-crumbs",
         AppModel::Phase::done(demo, cleanedDefaults(demo), demo.disk),
         5000,
         {"freeNowButton", "openShelfLink", "shareReceiptLink"}},
    };
    for (const Scene& scene : scenes) {
        TempDir shelfDir;
        auto model = modelIn(scene.phase, scene.shelved ? shelfHolding(shelfDir, scene.shelved)
                                                        : UndoShelf(shelfDir.url(), 7));
        for (Appearance appearance : {Appearance::light, Appearance::dark}) {
            SCOPED_TRACE(std::string(scene.name) +
                         (appearance == Appearance::light ? " light" : " dark"));
            Theme::Scope scope(appearance);
            SimpleView view(*model);
            Snapshot::setSnapshot(&view, true);
            QImage image = Render::widget(view, kViewSize);
            keepPicture(image, std::string("simple-") + scene.name +
                                   (appearance == Appearance::light ? "-light" : "-dark"));
            const SimpleLayout& layout = view.currentLayout();
            const SimpleState& state = view.state();

            EXPECT_TRUE(near(at(image, 4, 4), Theme::ground()));
            EXPECT_TRUE(near(at(image, 640, 764), Theme::ground()));
            // The dial: what stays in ink, what a clean-up would free in the accent.
            QPointF kept = bandAt(layout, state.afterFraction / 2);
            EXPECT_TRUE(near(at(image, kept.x(), kept.y()), Theme::ink()));
            QPointF freed = bandAt(layout, (state.afterFraction + state.usedFraction) / 2);
            QRectF aroundFreed(freed - QPointF(8, 8), QSizeF(16, 16));
            if (scene.shelved == 5000)
                EXPECT_EQ(countNear(image, aroundFreed, Theme::signal(), 30), 0)
                    << "a few KB on a 494 GB disk is no band at all, not a blob";
            else if (state.afterFraction < state.usedFraction)
                EXPECT_TRUE(near(at(image, freed.x(), freed.y()), Theme::signal()));
            EXPECT_EQ(state.afterFraction < state.usedFraction,
                      !scene.phase.is(AppModel::Phase::Kind::scanning))
                << "picks, or after a clean-up the shelf, are pending";

            for (const auto* button : view.findChildren<PaintedButton*>())
                EXPECT_EQ(button->isVisible(), scene.shown.contains(button->objectName()))
                    << button->objectName().toStdString();
            if (!scene.shown.isEmpty()) {
                QWidget* button = child<QWidget>(view, scene.shown.front().toLatin1());
                QRectF place(button->pos(), button->size());
                EXPECT_TRUE(near(at(image, place.left() + 6, place.center().y()), Theme::signal()));
                EXPECT_GT(countNear(image, place, Theme::onSignal(), 30), 40) << "its title";
            }
            // The accented size of the headline.
            if (state.headline.size() > 1) {
                QRectF headline(layout.headlineAt, layout.headline.size());
                EXPECT_GT(countNear(image, headline, Theme::signalText(), 30), 100);
            }
            // The tiles are panels with a line border.
            for (const QRectF& tile : layout.tiles) {
                EXPECT_TRUE(near(at(image, tile.right() - 12, tile.bottom() - 12), Theme::panel()));
                EXPECT_TRUE(
                    near(at(image, tile.center().x(), tile.top() + 0.5), Theme::line(), 24));
            }
        }
    }
}

// Shows a view as the active window, as the user would meet it.
struct Shown {
    SimpleView view;
    explicit Shown(AppModel& model) : view(model) {
        view.resize(kViewSize);
        view.show();
        QApplication::setActiveWindow(&view);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&view));
    }
    void click(const char* name) { QTest::mouseClick(child<QWidget>(view, name), Qt::LeftButton); }
    void pressReturn() { QTest::keyClick(&view, Qt::Key_Return); }
};

TEST(SimpleViewTest, ReturnAndTheLinksActOnTheControllerOnlyWhereTheyAreOffered) {
    KELVORA_REQUIRE_GUI();
    TempDir dir;
    const ScanResult demo = demoResult();
    {
        auto model = modelIn(AppModel::Phase::ready(demo), UndoShelf(dir.url(), 7));
        Shown shown(*model);
        EXPECT_EQ(child<SignalButton>(shown.view, "cleanUpButton")->text(), "Clean up 12.6 GB");
        shown.pressReturn();
        EXPECT_TRUE(model->confirmingFreeUp());
        model->setConfirmingFreeUp(false);

        // Unpicking everything takes the button away, and Return with it.
        PickList none;
        for (const auto& item : PickList().picked(demo))
            none.toggle(item);
        model->setPicks(none);
        EXPECT_FALSE(child<QWidget>(shown.view, "cleanUpButton")->isVisible());
        shown.pressReturn();
        EXPECT_FALSE(model->confirmingFreeUp());

        shown.click("reviewLink"); // four categories listed: the overview
        EXPECT_EQ(model->mode(), AppModel::ViewMode::detailed);
        EXPECT_EQ(model->category(), std::nullopt);
    }
    {
        ScanResult one = demo;
        std::erase_if(one.items, [](const ScanItem& item) {
            return item.kind == JunkKind::apps || item.kind == JunkKind::ai ||
                   item.kind == JunkKind::developer;
        });
        one.mailAccess = FolderAccess::blocked;
        one.trashAccess = FolderAccess::blocked;
        auto model = modelIn(AppModel::Phase::ready(one), UndoShelf(dir.url(), 7));
        Shown shown(*model);
        // A tile is one element for assistive technology, its texts joined, its link pressable.
        auto spoken = [&](const char* tile) {
            return QAccessible::queryAccessibleInterface(child<TileView>(shown.view, tile));
        };
        EXPECT_EQ(spoken("cachesTile")->text(QAccessible::Name),
                  "App caches, 5.7 GB, Files apps save to load faster. They rebuild on their own.");
        EXPECT_TRUE(spoken("cachesTile")->actionInterface()->actionNames().isEmpty());
        EXPECT_EQ(spoken("trashTile")->text(QAccessible::Name),
                  "Trash, Kelvora can’t read the Trash. " + AccessNote::current(*model) + " " +
                      AccessNote::check());
        EXPECT_TRUE(spoken("trashTile")->actionInterface()->actionNames().isEmpty())
            << "nothing to open: the tile says it all";

        shown.click("seeInsideLink");
        EXPECT_EQ(model->mode(), AppModel::ViewMode::detailed);
        EXPECT_EQ(model->category(), std::nullopt);
        shown.click("reviewLink"); // only the large film is listed: its category, film in focus
        EXPECT_EQ(model->category(), JunkKind::largeFiles);
        EXPECT_EQ(model->focusedItem(), one.items.front().location);
        shown.click("allowMailLink");
        EXPECT_EQ(model->category(), JunkKind::mail);
        EXPECT_EQ(model->focusedItem(), std::nullopt) << "no mail was found";
        EXPECT_FALSE(model->showingShelf());
    }
    {
        auto model = modelIn(AppModel::Phase::cleaning(demo), UndoShelf(dir.url(), 7));
        Shown shown(*model);
        auto* busy = child<SignalButton>(shown.view, "cleanUpButton");
        EXPECT_TRUE(busy->busy());
        shown.pressReturn();
        QTest::mouseClick(busy, Qt::LeftButton);
        EXPECT_FALSE(model->confirmingFreeUp()) << "a clean-up under way ignores presses";
    }
    {
        auto model = modelIn(AppModel::Phase::done(demo, cleanedDefaults(demo), demo.disk),
                             shelfHolding(dir, 5'014'000'000));
        Shown shown(*model);
        EXPECT_EQ(child<SignalButton>(shown.view, "freeNowButton")->text(), "Free 5.0 GB now");
        shown.pressReturn();
        EXPECT_FALSE(model->confirmingEmptyShelf() || model->confirmingFreeUp())
            << "Return only ever cleans";
        shown.click("freeNowButton");
        EXPECT_TRUE(model->confirmingEmptyShelf());
        shown.click("shareReceiptLink");
        EXPECT_TRUE(model->showingReceipt());
        shown.click("openShelfLink");
        EXPECT_EQ(model->mode(), AppModel::ViewMode::detailed);
        EXPECT_TRUE(model->showingShelf());
    }
}

// The view on a controller of its own, over a home with one app cache and the leftovers of
// a removed app, whose check the test holds to catch the scan half-way.
class SimpleViewFlow : public ControllerTest {};

TEST_F(SimpleViewFlow, FollowsAScanAndACleanUpToWhatTheCleanUpReallyDid) {
    KELVORA_REQUIRE_GUI();
    const std::string cache =
        write("Library/Caches/com.example.tool/blob.bin", std::string(200'000, 'c'));
    write("Library/Application Support/com.example.gone/state.db", "x");
    installedGate = std::make_shared<Gate>();
    auto model = makeModel();
    Shown shown(*model);
    const SimpleState& state = shown.view.state();

    model->scan();
    ASSERT_TRUE(waitUntil([&] { return installedGate->waiting() > 0 && model->scanStep(); }));
    EXPECT_EQ(state.status, "Checking " + model->scanStep()->name + "…");
    EXPECT_EQ(state.element, SimpleState::Element::meter);
    EXPECT_DOUBLE_EQ(state.meterFraction, model->scanStep()->fraction);
    installedGate->open();
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::ready); }));
    EXPECT_EQ(state.tiles[0].size, Format::size(model->picks().pickedBytes(*model->result())));

    shown.pressReturn();
    ASSERT_TRUE(model->confirmingFreeUp());
    cleanGate = std::make_shared<Gate>();
    model->freeUp(); // what the window's confirmation does
    ASSERT_TRUE(waitUntil([&] { return cleanGate->waiting() == 1; }));
    EXPECT_EQ(state.status, "Cleaning up…");
    EXPECT_TRUE(child<SignalButton>(shown.view, "cleanUpButton")->busy());
    cleanGate->open();
    ASSERT_TRUE(waitUntil([&] { return model->phase().is(AppModel::Phase::Kind::done); }));

    EXPECT_FALSE(fileExists(cache));
    const CleanReport& report = *model->phase().report;
    EXPECT_EQ(state.headline,
              (std::vector<Copy::Run>{{"Cleared ", false},
                                      {Format::size(report.freed + report.shelved), true},
                                      {".", false}}));
    EXPECT_EQ(state.tiles[0].size, "Done");
    EXPECT_EQ(state.tiles[1].size, "0 KB") << "no logs were found, so none were done";
}

} // namespace
} // namespace kelvora::testing
