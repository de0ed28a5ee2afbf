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

// "Cleared 27 / MB." at the smallest window: a size's figure and unit stay on one line, in
// the window's wrapped texts, its sheets' sketches and the popup's mixed line alike.
TEST(TextFlow, ASizeNeverBreaksBetweenItsFigureAndItsUnit) {
    KELVORA_REQUIRE_GUI();
    EXPECT_EQ(unbrokenSizes("Cleared 27 MB, 12.6 GB and 900 KB."),
              QString("Cleared 27\u00a0MB, 12.6\u00a0GB and 900\u00a0KB."));
    EXPECT_EQ(unbrokenSizes("3 items in 2 MBs of 4 Macs"), "3 items in 2 MBs of 4 Macs");

    const QFont font = Fonts::text(40, QFont::DemiBold);
    const QFontMetricsF metrics(font);
    for (const QString& headline : {QString("Cleared 27 MB."), QString("Cleared 12.6 GB.")}) {
        SCOPED_TRACE(headline.toStdString());
        const QString figure = headline.section(' ', 0, 1);
        // Room for "Cleared" and its figure, not for the unit too.
        TextFlow flow(headline, font, metrics.horizontalAdvance(figure) + 4);
        EXPECT_EQ(flow.text(), headline) << "the text is kept as given";
        EXPECT_EQ(flow.lineCount(), 2);
        EXPECT_LT(flow.naturalWidth(), metrics.horizontalAdvance(figure) - 10)
            << "the figure went down with its unit";
    }
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
