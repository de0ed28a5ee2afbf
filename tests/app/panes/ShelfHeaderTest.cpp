#include "app/controller/ControllerFixture.h"
#include "app/design/Pictures.h"
#include "app/support/LocalClock.h"

#include "app/window/WindowPictures.h"
#include "design/Fonts.h"
#include "design/Snapshot.h"
#include "design/Theme.h"
#include "panes/DaysLeft.h"
#include "panes/ShelfPage.h"
#include "panes/ShelfView.h"
#include "snapshot/Marketing.h"

#include <QFontMetricsF>

#include <cmath>

#include <gtest/gtest.h>

namespace kelvora::testing {
namespace {

constexpr double kDay = 86400;

// The Undo Shelf pane of the whole window, with clean-ups made under a hold of its own.
class ShelfHeaderTest : public ControllerTest {
protected:
    void SetUp() override {
        Prefs::setBoolean(Prefs::Key::welcomeDone, true);
        Fonts::registerFonts(KELVORA_FONTS_DIR);
    }

    UndoShelf::LabelledItem file(const std::string& relative, JunkKind kind, size_t bytes) {
        ScanItem item;
        item.kind = kind;
        item.location = URL::fileURL(write(relative, std::string(bytes, 'x')));
        item.targets = {item.location};
        item.bytes = static_cast<int64_t>(bytes);
        return {item, item.location.lastPathComponent()};
    }

    std::unique_ptr<AppModel> shelfModel(int holdDays, Date made) {
        UndoShelf shelf(URL::fileURL(shelfRoot(), true), holdDays);
        EXPECT_TRUE(shelf
                        .shelve({file("Downloads/Notes.zip", JunkKind::downloads, 5000),
                                 file("Movies/Film.mov", JunkKind::largeFiles, 120'000),
                                 file("Documents/Copy.pdf", JunkKind::duplicates, 9000)},
                                made)
                        .sweep);
        auto model = std::make_unique<AppModel>(Marketing::result(), AppModel::ViewMode::detailed,
                                                shelf, std::nullopt);
        model->setShowingShelf(true);
        return model;
    }

    static qreal advance(const QFont& font, const QString& text) {
        return QFontMetricsF(font).horizontalAdvance(text);
    }
};

// With a 30-day hold the header's thirty squares no longer crowd out the date and the
// summary at the smallest window: the squares wrap onto a second row and both texts are
// written whole, in both appearances and at both window sizes.
TEST_F(ShelfHeaderTest, ALongHoldWrapsItsSquaresSoTheDateAndSummaryStayWhole) {
    KELVORA_REQUIRE_GUI();
    Prefs::setInteger(Prefs::Key::shelfDays, 30);
    auto model = shelfModel(30, addSeconds(currentDate(), -3 * kDay - 60));
    forEachWindowPicture(
        *model, "shelf-30-days", [&](RootView& root, const QImage& image, QSize size) {
            auto* view = root.findChild<ShelfView*>();
            ASSERT_TRUE(view);
            const ShelfLayout::Section& section = view->page()->layout().sections.at(0);
            const QPointF origin = view->page()->mapTo(&root, QPoint(0, 0));
            EXPECT_EQ(section.days, (ShelfText::DaysLeftCount{27, 30}));
            EXPECT_EQ(section.daysTextText, "27 days left");

            const qreal dateWidth = advance(Fonts::text(14, QFont::DemiBold), section.dateText);
            const qreal summaryWidth = advance(Fonts::mono(12), section.summaryText);
            EXPECT_GE(section.date.width(), dateWidth);
            EXPECT_GE(section.summary.width(), summaryWidth);
            EXPECT_NEAR(section.summary.height(), QFontMetricsF(Fonts::mono(12)).height(), 0.5)
                << "one line";
            EXPECT_GE(section.bar.left(), section.summary.left() + summaryWidth + 28 - 0.5);
            const qreal pitch = ShelfLayout::kSquare + ShelfLayout::kSquareGap;
            const int columns = static_cast<int>(std::lround((section.bar.width() + 3) / pitch));
            if (size.width() == 1100) {
                EXPECT_LT(columns, 30) << "the squares wrap";
            }

            // The summary is written out to its last letter, not cut short with an ellipsis.
            const QColor faint = Theme::faint();
            const QRectF line = section.summary.translated(origin);
            const QRectF tail(line.left() + summaryWidth - 8, line.top(), 8, line.height());
            EXPECT_GT(countNear(image, tail, faint, 60), 4) << "the summary's last letters";

            // 27 of the 30 squares are filled, row by row.
            const QRectF bar = section.bar.translated(origin);
            for (int i : {0, 26, 27, 29}) {
                QPointF centre(bar.left() + (i % columns) * pitch + 5,
                               bar.top() + (i / columns) * pitch + 5);
                EXPECT_EQ(near(at(image, centre.x(), centre.y()), Theme::ink()), i < 27)
                    << "square " << i;
            }
            auto* squares = root.findChild<DaysLeft*>();
            ASSERT_TRUE(squares);
            EXPECT_EQ(squares->accessibleName(), "27 of 30 days left");
        });
}

// Narrower still, the squares take up to three rows and then the summary a second line;
// everything stays inside the 64 px header and nothing overlaps.
TEST_F(ShelfHeaderTest, NarrowerPanesWrapTheSquaresFirstThenTheSummary) {
    KELVORA_REQUIRE_GUI();
    auto model = shelfModel(30, addSeconds(currentDate(), -3 * kDay - 60));
    struct Case {
        qreal width;
        int columns;
        int summaryLines;
    } cases[] = {{1000, 30, 1}, {800, 15, 1}, {660, 10, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        const auto layout = ShelfLayout::make(ShelfInput::from(*model), c.width);
        const ShelfLayout::Section& section = layout.sections.at(0);
        EXPECT_EQ(section.barColumns, c.columns);
        EXPECT_EQ(section.summaryLines.lineCount(), c.summaryLines);
        EXPECT_LE(section.summaryLines.naturalWidth(), section.summary.width() + 0.5);
        EXPECT_LT(section.summary.right(), section.bar.left());
        EXPECT_LT(section.bar.right(), section.daysText.left());
        for (QRectF part : {section.date, section.summary, section.bar})
            EXPECT_TRUE(section.header.contains(part)) << part.top() << " " << part.bottom();
    }
}

// A German user reads the clean-up's date as German writes it, "Montag, 7. Dezember".
TEST_F(ShelfHeaderTest, TheHeaderWritesItsDatesAsTheUsersLocaleDoes) {
    KELVORA_REQUIRE_GUI();
    TimeZoneScope utcClock("UTC");
    LocaleScope german("de_DE");
    auto model = shelfModel(7, dateFromEpochSeconds(1796665620)); // 2026-12-07 17:47 UTC
    ShelfView view(*model);
    Snapshot::setSnapshot(&view, true);
    Theme::Scope scope(Appearance::light);
    keepPicture(Render::widget(view, QSize(900, 400)), "shelf-german");
    const ShelfLayout::Section& section = view.page()->layout().sections.at(0);
    EXPECT_EQ(section.dateText, "Montag, 7. Dezember, 17:47");
    EXPECT_EQ(section.summaryText, "3 items · 134 KB · frees up Mo., 14. Dez.");
}

} // namespace
} // namespace kelvora::testing
