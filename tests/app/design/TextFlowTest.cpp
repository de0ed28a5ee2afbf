#include "app/design/Pictures.h"

#include "design/Fonts.h"
#include "design/TextFlow.h"
#include "design/Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <gtest/gtest.h>

namespace kelvora::testing {
namespace {

TEST(TextFlow, BreaksAndMeasuresAsItsOptionsSay) {
    KELVORA_REQUIRE_GUI();
    const QFont font = Fonts::text(13);
    const QString word = "Supercalifragilisticexpialidocious";
    const qreal fontHeight = QFontMetricsF(font).height();

    TextFlow empty("", font, 200);
    EXPECT_EQ(empty.lineCount(), 0);
    EXPECT_EQ(empty.size(), QSizeF(0, 0)) << "an empty text takes no room";

    TextFlow anywhere(word, font, 80);
    EXPECT_GT(anywhere.lineCount(), 1);
    EXPECT_LE(anywhere.naturalWidth(), 80) << "a long word breaks inside";

    qreal widestWord = QFontMetricsF(font).horizontalAdvance("three");
    TextFlow even("one two three", font, widestWord + 1,
                  {.lineSpacing = 4, .fontLineHeight = true});
    ASSERT_EQ(even.lineCount(), 3);
    EXPECT_DOUBLE_EQ(even.height(), 3 * fontHeight + 2 * 4) << "fractions of the font kept";
    EXPECT_EQ(even.text(), "one two three");
}

TEST(TextFlow, ARunIsPaintedInItsOwnTokenInEitherAppearance) {
    KELVORA_REQUIRE_GUI();
    for (Appearance appearance : {Appearance::light, Appearance::dark}) {
        Theme::Scope scope(appearance);
        TextFlow flow({{"Freed ", std::nullopt}, {"████", Token::signalText}},
                      Fonts::text(20, QFont::Bold), 400);
        QImage image = Render::picture(QSize(400, 40), [&](QPainter& painter) {
            flow.paint(painter, {0, 0}, Theme::ink());
        });
        qreal split = QFontMetricsF(Fonts::text(20, QFont::Bold)).horizontalAdvance("Freed ");
        QRectF plain(0, 0, split, flow.height()), accent(split, 0, 400 - split, flow.height());
        EXPECT_GT(countNear(image, accent, Theme::signalText()), 100);
        EXPECT_EQ(countNear(image, accent, Theme::ink()), 0);
        EXPECT_GT(countNear(image, plain, Theme::ink()), 20);
        EXPECT_EQ(countNear(image, plain, Theme::signalText()), 0);
    }
}

} // namespace
} // namespace kelvora::testing
