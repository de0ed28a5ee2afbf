#include "app/onboarding/OnboardingFixture.h"

#include "onboarding/SystemDataHelp.h"

namespace kelvora::testing {
namespace {

TEST(SystemDataHelpTest, RendersItsRowsInOrderWithTheirTilesAtTheTitles) {
    KELVORA_REQUIRE_GUI();
    Fonts::registerFonts(KELVORA_FONTS_DIR);
    for (Appearance appearance : {Appearance::light, Appearance::dark}) {
        SCOPED_TRACE(appearance == Appearance::light ? "light" : "dark");
        auto token = [appearance](Token t) { return Theme::color(t, appearance); };
        Theme::Scope scope(appearance);
        SystemDataHelp sheet([] {});
        Snapshot::setSnapshot(&sheet, true);
        QImage image = Render::widget(sheet, sheet.sizeHint());
        keepPicture(image, std::string("system-data-") +
                               (appearance == Appearance::light ? "light" : "dark"));
        EXPECT_EQ(sheet.width(), 520);

        const Sketch& sketch = sheet.sketch();
        QStringList texts = sketch.texts();
        EXPECT_EQ(texts.mid(0, 2), (QStringList{"Help", "What is “System Data”?"}));
        EXPECT_TRUE(texts[2].endsWith("On a busy computer it can be tens of gigabytes."));
        for (size_t i = 0; i < SystemDataHelp::points().size(); ++i) {
            const auto& point = SystemDataHelp::points()[i];
            EXPECT_EQ(texts.mid(3 + 2 * i, 2), (QStringList{point.title, point.text}));
            // The tile sits at the top of its row, level with the title, however the text wraps.
            QRectF title = sketch.text(point.title)->rect;
            QPointF tile(title.left() - 44 + 16, title.top() + 1.5);
            EXPECT_TRUE(near(at(image, tile.x(), tile.y()), token(Token::chip)))
                << point.title.toStdString();
            EXPECT_TRUE(near(at(image, tile.x(), tile.y() - 4), token(Token::ground)));
            EXPECT_GT(countNear(image, title, token(Token::ink), 30), 30);
        }
        EXPECT_EQ(texts.last(), "Detailed › System Data shows these parts on your computer, in "
                                "plain words, before anything moves.");
        QWidget* gotIt = sheet.findChild<QWidget*>("gotIt");
        QRectF button(gotIt->mapTo(&sheet, QPoint()), gotIt->size());
        EXPECT_TRUE(near(at(image, button.left() + 6, button.center().y()), token(Token::ink)));
        EXPECT_TRUE(near(at(image, button.right() + 8, button.center().y()), token(Token::ground)));
    }
}

TEST(SystemDataHelpTest, GotItAndReturnCloseThroughTheGivenAction) {
    KELVORA_REQUIRE_GUI();
    int closes = 0;
    SystemDataHelp sheet([&] { ++closes; });
    sheet.show();
    QApplication::setActiveWindow(&sheet);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    QTest::keyClick(&sheet, Qt::Key_Return);
    EXPECT_EQ(closes, 1);
    QTest::mouseClick(sheet.findChild<QWidget*>("gotIt"), Qt::LeftButton);
    EXPECT_EQ(closes, 2);
    EXPECT_TRUE(sheet.isVisible()) << "the sheet goes only when its host takes it away";
}

} // namespace
} // namespace kelvora::testing
