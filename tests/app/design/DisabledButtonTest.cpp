#include "app/controller/ControllerFixture.h"
#include "app/design/Pictures.h"

#include "app/window/WindowPictures.h"
#include "design/Buttons.h"
#include "design/Contrast.h"
#include "design/Fonts.h"
#include "design/Snapshot.h"
#include "design/Theme.h"
#include "panes/SearchView.h"
#include "search/PlainQuery.h"
#include "snapshot/Marketing.h"

#include <gtest/gtest.h>

namespace kelvora::testing {
namespace {

constexpr double kReadable = 3.0;

TEST(ContrastTest, RatiosRunFromOneToTwentyOne) {
    EXPECT_DOUBLE_EQ(Contrast::ratio(Qt::black, Qt::white), 21.0);
    EXPECT_DOUBLE_EQ(Contrast::ratio(QColor(0x77, 0x77, 0x77), QColor(0x77, 0x77, 0x77)), 1.0);
    EXPECT_NEAR(Contrast::ratio(QColor(0x76, 0x76, 0x76), Qt::white), 4.54, 0.01);
    EXPECT_EQ(Contrast::over(Qt::white, 0.5, Qt::black).red(), 128);
}

// Every look a disabled button takes keeps its words at 3:1 against what they stand on, on
// each surface a button sits on, in both appearances.
TEST(ContrastTest, DisabledButtonsKeepTheirWordsReadableOnEverySurface) {
    for (Appearance appearance : {Appearance::light, Appearance::dark}) {
        auto token = [&](Token t) { return Theme::color(t, appearance); };
        for (Token surface : {Token::ground, Token::panel, Token::sidebar}) {
            SCOPED_TRACE(::testing::Message()
                         << (appearance == Appearance::dark ? "dark " : "light ")
                         << static_cast<int>(surface));
            const QColor under = token(surface);
            const QColor signalFill = Contrast::over(token(Token::signal), kDisabledOpacity, under);
            EXPECT_GE(Contrast::ratio(token(SignalButton::kDisabledTitle), signalFill), kReadable)
                << "the primary button's title on its dimmed fill";
            const QColor outlineFill = Contrast::over(token(Token::panel), kDisabledOpacity, under);
            EXPECT_GE(
                Contrast::ratio(Contrast::over(token(Token::ink), kDisabledOpacity, outlineFill),
                                outlineFill),
                kReadable)
                << "a dimmed outline button";
            EXPECT_GE(
                Contrast::ratio(Contrast::over(token(Token::ink), kDisabledOpacity, under), under),
                kReadable)
                << "a dimmed text link";
        }
    }
}

// The primary buttons that wait for a pick, "Clean up 0 KB" under the overview and "Move 0 KB
// to the Undo Shelf" under the search hits, drawn in the window at both sizes and in both
// appearances: their titles stand out from their dimmed fills.
class DisabledButtonTest : public ControllerTest {
protected:
    void SetUp() override {
        Prefs::setBoolean(Prefs::Key::welcomeDone, true);
        Fonts::registerFonts(KELVORA_FONTS_DIR);
    }

    // The contrast of the button's strongest title pixel against its fill, as drawn.
    static double titleContrast(const QImage& image, const QRectF& button) {
        const QColor fill = at(image, button.left() + 6, button.center().y());
        const qreal ratio = image.devicePixelRatio();
        const QRect label =
            QRectF((button.left() + button.height() / 2) * ratio, (button.center().y() - 5) * ratio,
                   (button.width() - button.height()) * ratio, 10 * ratio)
                .toRect();
        double best = 1;
        for (int y = label.top(); y <= label.bottom(); ++y)
            for (int x = label.left(); x <= label.right(); ++x)
                best = std::max(best, Contrast::ratio(image.pixelColor(x, y), fill));
        return best;
    }

    void expectReadable(AppModel& model, const char* name, const QString& title) {
        forEachWindowPicture(
            model, std::string("disabled-") + name,
            [&](RootView& root, const QImage& image, QSize) {
                auto* button = root.findChild<SignalButton*>(name);
                ASSERT_TRUE(button && button->isVisible());
                EXPECT_FALSE(button->isEnabled());
                EXPECT_EQ(button->text(), title);
                const QRectF place(button->mapTo(&root, QPoint(0, 0)), button->size());
                const QColor under = at(image, place.left() - 4, place.center().y());
                EXPECT_TRUE(near(at(image, place.left() + 6, place.center().y()),
                                 blend(Theme::signal(), under, kDisabledOpacity)))
                    << "the fill is drawn at half strength";
                EXPECT_GE(titleContrast(image, place), 4.5) << "the title reads on its fill";
            });
    }
};

TEST_F(DisabledButtonTest, CleanUpWithNothingPickedReadsOnItsDimmedFill) {
    KELVORA_REQUIRE_GUI();
    AppModel model(Marketing::result(), AppModel::ViewMode::detailed,
                   UndoShelf(URL::fileURL(shelfRoot(), true), 7), std::nullopt);
    for (JunkKind kind : JunkKinds::allCases())
        model.pickAll(kind, false);
    expectReadable(model, "cleanUp", "Clean up 0 KB");
}

TEST_F(DisabledButtonTest, MoveWithNoHitPickedReadsOnItsDimmedFill) {
    KELVORA_REQUIRE_GUI();
    AppModel model(Marketing::result(), AppModel::ViewMode::detailed,
                   UndoShelf(URL::fileURL(shelfRoot(), true), 7), std::nullopt);
    const PlainQuery query =
        PlainQuery::parse("videos over 1 GB", currentDate(), QueryCalendar::gregorian());
    model.showSearch(
        query, {{URL::fileURL(env.home() + "/Movies/Trip.mov"), 4'200'000'000, std::nullopt}});
    expectReadable(model, "moveToShelf", "Move 0 KB to the Undo Shelf");
}

} // namespace
} // namespace kelvora::testing
