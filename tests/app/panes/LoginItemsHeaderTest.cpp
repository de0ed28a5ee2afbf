#include "app/controller/ControllerFixture.h"
#include "app/design/Pictures.h"

#include "app/window/WindowPictures.h"
#include "design/Buttons.h"
#include "design/Fonts.h"
#include "design/PaintedText.h"
#include "design/Snapshot.h"
#include "design/Theme.h"
#include "panes/LoginItemsHeader.h"
#include "panes/LoginItemsList.h"
#include "panes/LoginItemsText.h"
#include "panes/LoginItemsView.h"
#include "snapshot/Marketing.h"

#include <QFontMetricsF>

#include <gtest/gtest.h>

namespace kelvora::testing {
namespace {

class LoginItemsHeaderTest : public ControllerTest {
protected:
    void SetUp() override {
        Prefs::setBoolean(Prefs::Key::welcomeDone, true);
        Fonts::registerFonts(KELVORA_FONTS_DIR);
    }

    static LoginItem agent(const std::string& name, int pid) {
        LoginItem item;
        item.source = LoginItem::Source::userAgent;
        item.label = "com.example." + name;
        item.name = name;
        item.purpose = "Keeps " + name + " in step with the cloud";
        item.state = LoginItem::State::running(pid);
        item.startsAtLogin = true;
        return item;
    }

    static QRectF placeIn(const QWidget* widget, const QWidget* root) {
        return QRectF(widget->mapTo(root, QPoint(0, 0)), widget->size());
    }
};

// At the smallest window the header's counts stay on one line, whole and clear of the
// buttons, and the ask card's second sentence wraps inside a taller card instead of being
// cut; at the default size the header keeps its one row of 60 px.
TEST_F(LoginItemsHeaderTest, HeaderAndAskCardFitTheSmallestWindowWithNothingCut) {
    KELVORA_REQUIRE_GUI();
    auto model =
        std::make_unique<AppModel>(Marketing::result(), AppModel::ViewMode::detailed,
                                   UndoShelf(URL::fileURL(shelfRoot(), true), 7), std::nullopt);
    std::vector<LoginItem> items;
    for (int i = 0; i < 12; ++i)
        items.push_back(agent("Helper " + std::to_string(i), 100 + i));
    model->showLoginItems(items);
    ASSERT_FALSE(model->checkedOpenAtLogin());

    const QFont countsFont = Fonts::mono(12.5);
    const QFont detailFont = Fonts::text(12);
    forEachWindowPicture(
        *model, "login-items", [&](RootView& root, const QImage& image, QSize size) {
            auto* counts = root.findChild<PaintedText*>("loginCounts");
            ASSERT_TRUE(counts);
            EXPECT_EQ(counts->text(), "12 start when you log in · 12 running now");
            const qreal countsWidth = QFontMetricsF(countsFont).horizontalAdvance(counts->text());
            const QRectF line = placeIn(counts, &root);
            const QRectF header = placeIn(counts->parentWidget(), &root);
            EXPECT_GE(line.width(), countsWidth - 0.5);
            EXPECT_LE(line.height(), QFontMetricsF(countsFont).height() + 1) << "one line";
            EXPECT_TRUE(header.contains(line));
            for (const char* name : {"openLoginSettings", "refreshLoginItems"}) {
                auto* button = root.findChild<QPushButton*>(name);
                ASSERT_TRUE(button);
                const QRectF place = placeIn(button, &root);
                EXPECT_FALSE(place.intersects(line)) << name;
                EXPECT_TRUE(header.contains(place)) << name;
            }
            if (size.width() == 1280) {
                EXPECT_EQ(header.height(), 60);
            }
            // The counts are written to their last letter on their own line.
            const QRectF tail(line.left() + countsWidth - 8, line.top(), 8, line.height());
            EXPECT_GT(countNear(image, tail, Theme::muted(), 60), 4) << "the counts' last letters";

            // The ask card holds the whole sentence under its title: where it needs a second
            // line the card is tall enough for it, and the line is written.
            auto* list = root.findChild<LoginItemsList*>();
            ASSERT_TRUE(list);
            const auto& section = list->layout().sections.at(0);
            ASSERT_TRUE(section.ask && section.askButton);
            const qreal textLeft = section.ask->left() + 14 + 24 + 12;
            const qreal room = section.askButton->left() - 12 - textLeft;
            const qreal detailWidth =
                QFontMetricsF(detailFont).horizontalAdvance(LoginItemsText::kAskDetail);
            const int lines = detailWidth > room ? 2 : 1;
            const qreal detailLine = QFontMetricsF(detailFont).height();
            const qreal needed = QFontMetricsF(Fonts::text(13.5, QFont::Medium)).height() + 2 +
                                 lines * detailLine + 2 * 14;
            EXPECT_GE(section.ask->height(), needed - 1);
            if (size.width() == 1100) {
                EXPECT_EQ(lines, 2) << "the sentence is longer than the room beside the button";
                const QPointF origin = list->mapTo(&root, QPoint(0, 0));
                const QRectF second(textLeft, section.ask->bottom() - 14 - detailLine, room / 3,
                                    detailLine);
                EXPECT_GT(countNear(image, second.translated(origin), Theme::muted(), 60), 10)
                    << "the second line of the sentence";
            }
        });
}

// The header's layout as a plain function: one row while the counts fit beside the buttons,
// the counts under the row when they do not, and no counts before the first read.
TEST(LoginHeaderLayoutTest, CountsMoveUnderTheRowOnlyWhenTheyWouldMeetTheButtons) {
    eventLoop();
    const QString counts = "12 start when you log in · 12 running now";
    struct Case {
        qreal width;
        QString counts;
        bool below;
        qreal height;
    } cases[] = {{746, counts, false, 60}, {566, counts, true, 70}, {566, {}, false, 60}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        auto layout = LoginHeaderLayout::make(c.width, c.counts);
        EXPECT_EQ(layout.countsBelow, c.below);
        EXPECT_NEAR(layout.height, c.height, 1.5);
        EXPECT_FALSE(layout.counts.intersects(layout.settings));
        EXPECT_LE(layout.refresh.right(), c.width - LoginHeaderLayout::kSide + 0.5);
        EXPECT_LT(layout.title.right(), layout.settings.left());
        EXPECT_EQ(layout.counts.isEmpty(), c.counts.isEmpty());
    }
}

} // namespace
} // namespace kelvora::testing
