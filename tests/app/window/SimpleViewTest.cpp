#include "app/design/Pictures.h"
#include "app/window/SimpleFixtures.h"

#include "design/Buttons.h"
#include "design/DialGeometry.h"
#include "design/Fonts.h"
#include "design/Snapshot.h"
#include "design/Theme.h"
#include "window/SimpleView.h"

#include <QAccessible>
#include <QApplication>
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
        const char* signalButton; // the one orange button shown, if any
        std::vector<const char*> links;
    };
    const Scene scenes[] = {
        {"scanning", AppModel::Phase::scanning(), 0, nullptr, {}},
        {"ready",
         AppModel::Phase::ready(demo),
         0,
         "cleanUpButton",
         {"seeInsideLink", "reviewLink"}},
        {"cleaning", AppModel::Phase::cleaning(demo), 0, "cleanUpButton", {}},
        {"done",
         AppModel::Phase::done(demo, cleanedDefaults(demo), demo.disk),
         5'014'000'000,
         "freeNowButton",
         {"openShelfLink", "shareReceiptLink"}},
    };
    const std::vector<const char*> allButtons{
        "cleanUpButton", "freeNowButton", "seeInsideLink",    "openShelfLink",
        "reviewLink",    "allowMailLink", "shareReceiptLink",
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
            if (state.afterFraction < state.usedFraction) {
                QPointF freed = bandAt(layout, (state.afterFraction + state.usedFraction) / 2);
                EXPECT_TRUE(near(at(image, freed.x(), freed.y()), Theme::signal()));
            }
            EXPECT_EQ(state.afterFraction < state.usedFraction,
                      !scene.phase.is(AppModel::Phase::Kind::scanning))
                << "picks, or after a clean-up the shelf, are pending";

            for (const char* name : allButtons) {
                bool shown = name == std::string(scene.signalButton ? scene.signalButton : "") ||
                             std::find_if(scene.links.begin(), scene.links.end(),
                                          [&](const char* l) { return name == std::string(l); }) !=
                                 scene.links.end();
                EXPECT_EQ(child<QWidget>(view, name)->isVisible(), shown) << name;
            }
            if (scene.signalButton) {
                QWidget* button = child<QWidget>(view, scene.signalButton);
                QRectF place(button->pos(), button->size());
                EXPECT_TRUE(near(at(image, place.left() + 6, place.center().y()), Theme::signal()));
                EXPECT_GT(countNear(image, place, Theme::onSignal(), 30), 40) << "its title";
            }
            // The accented size of the headline.
            if (!state.headline.empty() && state.headline.size() > 1) {
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

} // namespace
} // namespace kelvora::testing
