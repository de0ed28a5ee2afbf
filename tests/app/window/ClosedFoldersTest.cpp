#include "app/controller/ControllerFixture.h"
#include "app/design/Pictures.h"
#include "app/window/SimpleFixtures.h"

#include "design/Fonts.h"
#include "design/Snapshot.h"
#include "design/Theme.h"
#include "onboarding/AccessNote.h"
#include "onboarding/FullDiskAccessGuide.h"
#include "snapshot/Marketing.h"
#include "window/CategoryDetail.h"
#include "window/Inspector.h"
#include "window/RootView.h"
#include "window/SimpleView.h"
#include "window/TileView.h"

#include <QAccessible>
#include <QScrollArea>
#include <QScrollBar>

namespace kelvora::testing {
namespace {

// The window over a finding whose Trash the scan could not read, in a home whose Trash is
// closed to Kelvora now, drawn at the default and the smallest window in both appearances.
class ClosedFoldersTest : public ControllerTest {
protected:
    void SetUp() override {
        Prefs::setBoolean(Prefs::Key::welcomeDone, true);
        Fonts::registerFonts(KELVORA_FONTS_DIR);
        write(".Trash", "a file where the Trash folder should be");
    }

    static ScanResult trashRefused() {
        ScanResult result = Marketing::result();
        result.trashAccess = FolderAccess::blocked;
        std::erase_if(result.items, [](const ScanItem& i) { return i.kind == JunkKind::trash; });
        return result;
    }

    std::unique_ptr<AppModel> model(AppModel::Phase phase, AppModel::ViewMode mode) {
        return std::make_unique<AppModel>(*phase.result, mode,
                                          UndoShelf(URL::fileURL(shelfRoot(), true), 7), phase);
    }

    static QImage drawn(RootView& root, QSize size, Appearance appearance,
                        const std::string& name) {
        Theme::Scope scope(appearance);
        Snapshot::setSnapshot(&root, true);
        QImage image = Render::widget(root, size);
        keepPicture(image, name + "-" + std::to_string(size.width()) + "-" +
                               (appearance == Appearance::light ? "light" : "dark"));
        return image;
    }

    static QRectF placeIn(const QWidget* widget, const QWidget* root, QRectF rect) {
        return rect.translated(widget->mapTo(root, QPoint(0, 0)));
    }

    static constexpr std::array kSizes{QSize(1280, 820), QSize(1100, 720)};
    static constexpr std::array kAppearances{Appearance::light, Appearance::dark};
};

TEST_F(ClosedFoldersTest, TheTrashTileNamesTheClosedFoldersAndWhatToCheckOfThemInEveryPhase) {
    KELVORA_REQUIRE_GUI();
    const QString note = "Closed to Kelvora now: ~/.Trash. " + AccessNote::check();
    const ScanResult result = trashRefused();
    for (const AppModel::Phase& phase :
         {AppModel::Phase::ready(result),
          AppModel::Phase::done(result, cleanedDefaults(result), result.disk)}) {
        auto window = model(phase, AppModel::ViewMode::simple);
        for (QSize size : kSizes)
            for (Appearance appearance : kAppearances) {
                const bool done = phase.is(AppModel::Phase::Kind::done);
                SCOPED_TRACE(std::to_string(size.width()) + (done ? " done " : " ready ") +
                             (appearance == Appearance::light ? "light" : "dark"));
                auto token = [appearance](Token t) { return Theme::color(t, appearance); };
                RootView root(*window, 0);
                auto* simple = qobject_cast<SimpleView*>(root.mainView());
                ASSERT_TRUE(simple);
                auto* tile = simple->findChild<TileView*>("trashTile");
                // The smallest window scrolls the view: the tiles come into sight.
                root.resize(size);
                Render::widget(root, size);
                if (auto* area = qobject_cast<QScrollArea*>(simple->parentWidget()->parentWidget()))
                    area->ensureWidgetVisible(tile, 0, 0);
                QImage image = drawn(root, size, appearance,
                                     done ? "closed-trash-tile-done" : "closed-trash-tile");

                EXPECT_EQ(QAccessible::queryAccessibleInterface(tile)->text(QAccessible::Name),
                          "Trash, Kelvora can’t read the Trash. " + note);
                const TileView::Layout layout = TileView::layout(tile->tile(), tile->width());
                ASSERT_EQ(layout.note.text(), note);
                QRectF lines = placeIn(tile, &root, QRectF(layout.noteAt, layout.note.size()));
                EXPECT_LE(lines.bottom(), size.height()) << "the note in sight";
                EXPECT_GT(countNear(image, lines, token(Token::ink), 40), 600)
                    << "every line of the note drawn";
                EXPECT_TRUE(QAccessible::queryAccessibleInterface(tile)
                                ->actionInterface()
                                ->actionNames()
                                .isEmpty())
                    << "no settings to open here";
            }
    }
}

TEST_F(ClosedFoldersTest, TheTileNoteFollowsTheFoldersWhileItShows) {
    KELVORA_REQUIRE_GUI();
    auto window = model(AppModel::Phase::ready(trashRefused()), AppModel::ViewMode::simple);
    RootView root(*window, 0);
    root.resize(1280, 820);
    root.show();
    auto* tile = root.findChild<TileView*>("trashTile");
    ASSERT_TRUE(tile && tile->tile().note);
    EXPECT_TRUE(tile->tile().note->starts_with("Closed to Kelvora now: ~/.Trash."));
    removeItem(env.home() + "/.Trash");
    ASSERT_TRUE(waitUntil(
        [&] {
            return tile->tile().note->starts_with(
                "Every folder Kelvora looks in is open to it now.");
        },
        std::chrono::seconds(3)));
}

TEST_F(ClosedFoldersTest, TheAccessGuideSitsInTheMiddleOfAnEmptyClosedCategory) {
    KELVORA_REQUIRE_GUI();
    auto window = model(AppModel::Phase::ready(trashRefused()), AppModel::ViewMode::detailed);
    window->setCategory(JunkKind::trash);
    for (QSize size : kSizes)
        for (Appearance appearance : kAppearances) {
            SCOPED_TRACE(std::to_string(size.width()) +
                         (appearance == Appearance::light ? " light" : " dark"));
            auto token = [appearance](Token t) { return Theme::color(t, appearance); };
            RootView root(*window, 0);
            QImage image = drawn(root, size, appearance, "closed-trash-guide");
            auto* detail = root.findChild<CategoryDetail*>();
            ASSERT_TRUE(detail && detail->guide());
            const QRectF body =
                placeIn(detail, &root,
                        QRectF(0, CategoryDetail::kHeaderHeight + 1,
                               detail->width() - 1 - Inspector::kWidth,
                               detail->height() - CategoryDetail::kHeaderHeight - 1));
            const QRectF card = placeIn(detail->guide(), &root, detail->guide()->rect());
            EXPECT_EQ(card.width(), FullDiskAccessGuide::kMaxWidth);
            EXPECT_NEAR(card.center().x(), body.center().x(), 1);
            EXPECT_NEAR(card.center().y(), body.center().y(), 1);

            const qreal middle = card.center().y();
            EXPECT_TRUE(near(at(image, body.left() + 0.5, middle), token(Token::panel)))
                << "nothing on the pane's edge";
            EXPECT_TRUE(near(at(image, card.left() + 0.5, middle), token(Token::line), 30))
                << "the card's own border";
            EXPECT_TRUE(near(at(image, card.right() - 0.5, middle), token(Token::line), 30));
            EXPECT_TRUE(near(at(image, card.right() + 4, middle), token(Token::panel)));
            const Sketch& sketch = detail->guide()->sketch();
            auto title = sketch.text("Kelvora can’t read the Trash.");
            ASSERT_TRUE(title);
            EXPECT_GT(
                countNear(image, title->rect.translated(card.topLeft()), token(Token::ink), 40),
                200);
        }
}

} // namespace
} // namespace kelvora::testing
