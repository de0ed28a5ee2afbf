#include "app/controller/ControllerFixture.h"
#include "app/design/Pictures.h"

#include "design/Buttons.h"
#include "design/Fonts.h"
#include "design/PaintedText.h"
#include "design/RowStack.h"
#include "design/Snapshot.h"
#include "design/Theme.h"
#include "model/Format.h"
#include "panes/PaneParts.h"
#include "panes/PhotoThumbnails.h"
#include "panes/SimilarPhotosRows.h"
#include "panes/SimilarPhotosView.h"

#include <QBuffer>
#include <QPainter>

namespace kelvora::testing {
namespace {

constexpr QSize kPane(980, 560);
const QColor kRed(220, 40, 30), kBlue(30, 60, 200), kGreen(40, 170, 60);

// A JPEG whose header says to turn it by `orientation` (as a camera held upright writes
// it): an Exif block with that one tag, placed right after the start marker.
QByteArray jpeg(const QImage& image, int orientation = 1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    if (orientation == 1) return bytes;
    const char tiff[] = {'M',  'M',  0, 42, 0, 0, 0, 8, 0, 1,
                         0x01, 0x12, 0, 3,  0, 0, 0, 1, 0, static_cast<char>(orientation),
                         0,    0,    0, 0,  0, 0};
    QByteArray exif = QByteArray("Exif\0\0", 6) + QByteArray(tiff, sizeof tiff);
    QByteArray segment("\xFF\xE1", 2);
    segment.append(static_cast<char>((exif.size() + 2) >> 8));
    segment.append(static_cast<char>((exif.size() + 2) & 0xFF));
    return bytes.left(2) + segment + exif + bytes.mid(2);
}

QImage solid(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

class SimilarPhotosViewTest : public ControllerTest {
protected:
    SimilarPhotosViewTest() {
        Fonts::registerFonts(KELVORA_FONTS_DIR);
        beach.keep = photo("beach.jpg", kRed);
        beach.extras = {photo("beach-2.jpg", kBlue), photo("beach-3.jpg", kBlue)};
        beach.bytes = 3'000'000;
        dog.keep = photo("dog.jpg", kGreen);
        dog.extras.push_back(URL::fileURL(write("Pictures/dog-0.jpg", "not a picture")));
        for (int i = 1; i < 7; ++i)
            dog.extras.push_back(photo("dog-" + std::to_string(i) + ".jpg", kGreen));
        dog.bytes = 800'000;
    }

    URL photo(const std::string& name, QColor colour) {
        QByteArray bytes = jpeg(solid({300, 200}, colour));
        return URL::fileURL(write("Pictures/" + name, bytes.toStdString()));
    }

    // A controller whose search reports 42 % and then waits for `gate`, if there is one.
    std::unique_ptr<AppModel> modelFinding(std::vector<SimilarPhotos::Group> groups) {
        AppModel::Tools fake = tools();
        fake.findPhotos = [this, groups](const std::vector<URL>&,
                                         const std::function<void(double)>& progress) {
            progress(0.42);
            if (auto wait = gate) wait->wait();
            return groups;
        };
        fake.revealSeveral = [this](const std::vector<URL>& urls) { revealedTogether = urls; };
        auto model = makeModel(fake);
        model->show(std::nullopt, false, false, false, true, false);
        return model;
    }

    void search(AppModel& model, bool finish) {
        gate = std::make_shared<Gate>();
        model.findSimilarPhotos();
        ASSERT_TRUE(waitUntil([&] { return model.photoProgress() == 0.42; }));
        if (!finish) return;
        gate->open();
        ASSERT_TRUE(waitUntil([&] { return !model.findingPhotos(); }));
    }

    SimilarPhotos::Group beach, dog;
    std::shared_ptr<Gate> gate;
    std::vector<URL> revealedTogether;
};

// Renders the pane light and dark, keeping both pictures; hands each to `check`.
void renderBoth(SimilarPhotosView& view, const std::string& name,
                const std::function<void(const QImage&)>& check) {
    for (Appearance appearance : {Appearance::light, Appearance::dark}) {
        Theme::Scope scope(appearance);
        QImage image = Render::widget(view, kPane);
        std::string suffix = appearance == Appearance::light ? "-light" : "-dark";
        keepPicture(image, "photos-" + name + suffix);
        SCOPED_TRACE(name + suffix);
        check(image);
    }
}

QRectF placeOf(QWidget* widget, QWidget* in) {
    return {QPointF(widget->mapTo(in, QPoint(0, 0))), QSizeF(widget->size())};
}

bool showsText(QWidget& view, const std::string& text) {
    for (PaintedText* label : view.findChildren<PaintedText*>())
        if (label->isVisibleTo(&view) && label->text().toStdString() == text) return true;
    return false;
}

TEST_F(SimilarPhotosViewTest, PaneIsDrawnInEachState) {
    KELVORA_REQUIRE_GUI();
    auto model = modelFinding({beach, dog});
    SimilarPhotosView view(*model);
    Snapshot::setSnapshot(&view, true);
    auto* footer = view.findChild<QWidget*>("photosFooter");
    auto* move = view.findChild<SignalButton*>("movePhotos");

    renderBoth(view, "intro", [&](const QImage& image) {
        auto* find = view.findChild<InkButton*>("findPhotos");
        QRectF button = placeOf(find, &view);
        EXPECT_TRUE(near(at(image, button.left() + 8, button.center().y()), Theme::ink()));
        EXPECT_TRUE(near(at(image, 4, kPane.height() - 4), Theme::ground()));
    });
    EXPECT_TRUE(showsText(view, "Find shots you took more than once"));
    EXPECT_FALSE(footer->isVisibleTo(&view));
    EXPECT_FALSE(view.findChild<QWidget*>("lookAgain")->isVisibleTo(&view));

    search(*model, false);
    renderBoth(view, "searching", [&](const QImage&) {});
    EXPECT_TRUE(showsText(view, "Comparing photos… 42%"));
    EXPECT_FALSE(footer->isVisibleTo(&view));

    gate->open();
    ASSERT_TRUE(waitUntil([&] { return !model->findingPhotos(); }));
    model->togglePhotos(beach);
    RowStack* rows = view.rows();
    auto rowLayout = [&](int row, const SimilarPhotos::Group& group) {
        QRect rect = rows->visualRect(rows->model()->index(row, 0));
        PhotoRowLayout parts = PhotoRows::layout(rect, group);
        QPointF offset = rows->viewport()->mapTo(&view, QPoint(0, 0));
        for (QRectF* r : {&parts.keep, &parts.badge, &parts.overflow})
            r->translate(offset);
        for (QRectF& r : parts.extras)
            r.translate(offset);
        return parts;
    };
    renderBoth(view, "results", [&](const QImage& image) {
        PhotoRowLayout first = rowLayout(0, beach), second = rowLayout(1, dog);
        // The kept shot in full, its extras faded as the picked group's; the other group's
        // extras in full, the unreadable one as a placeholder; "KEEP" on an ink badge.
        EXPECT_TRUE(near(at(image, first.keep.center().x(), first.keep.top() + 10), kRed, 16));
        EXPECT_TRUE(near(at(image, first.extras[0].center().x(), first.extras[0].center().y()),
                         blend(kBlue, Theme::ground(), 0.55), 16));
        EXPECT_TRUE(near(at(image, second.extras[1].center().x(), second.extras[1].center().y()),
                         kGreen, 16));
        EXPECT_TRUE(near(at(image, second.extras[0].center().x(), second.extras[0].center().y()),
                         Theme::chip()));
        EXPECT_EQ(second.extras.size(), 5u);
        EXPECT_FALSE(second.overflow.isEmpty());
        EXPECT_TRUE(
            near(at(image, first.badge.left() + 1.5, first.badge.center().y()), Theme::ink()));
        QRectF bar = placeOf(footer, &view);
        EXPECT_TRUE(near(at(image, bar.left() + 4, bar.top() + 4), Theme::sidebar()));
        QRectF button = placeOf(move, &view);
        EXPECT_TRUE(near(at(image, button.left() + 6, button.center().y()), Theme::signal()));
    });
    EXPECT_TRUE(showsText(view, "1 of 2 groups picked"));
    EXPECT_EQ(move->text().toStdString(), "Move " + Format::size(3'000'000) + " of extras");

    // "Look again": the progress replaces the rows, the footer of the results stays.
    search(*model, false);
    renderBoth(view, "look-again", [&](const QImage& image) {
        QRectF button = placeOf(move, &view);
        EXPECT_TRUE(near(at(image, button.left() + 6, button.center().y()),
                         blend(Theme::signal(), Theme::sidebar(), kDisabledOpacity)))
            << "the move is off while the search runs, and looks it";
    });
    EXPECT_TRUE(showsText(view, "Comparing photos… 42%"));
    EXPECT_TRUE(footer->isVisibleTo(&view));
    EXPECT_FALSE(view.findChild<QWidget*>("lookAgain")->isVisibleTo(&view));
    gate->open();
    ASSERT_TRUE(waitUntil([&] { return !model->findingPhotos(); }));
}

TEST_F(SimilarPhotosViewTest, NothingFoundSaysSo) {
    KELVORA_REQUIRE_GUI();
    auto model = modelFinding({});
    SimilarPhotosView view(*model);
    Snapshot::setSnapshot(&view, true);
    search(*model, true);
    renderBoth(view, "nothing-found", [&](const QImage& image) {
        EXPECT_TRUE(near(at(image, kPane.width() / 2.0, kPane.height() - 4), Theme::ground()));
    });
    EXPECT_TRUE(showsText(view, "No similar photos found."));
    EXPECT_FALSE(view.findChild<QWidget*>("photosFooter")->isVisibleTo(&view));
    EXPECT_TRUE(view.findChild<QWidget*>("lookAgain")->isVisibleTo(&view));
}

// A move must not race a new search: while one runs, picks and moves are refused by the
// controller and switched off in the footer, and no file leaves.
TEST_F(SimilarPhotosViewTest, PicksAndMovesWaitForANewSearchToEnd) {
    KELVORA_REQUIRE_GUI();
    auto model = modelFinding({beach, dog});
    SimilarPhotosView view(*model);
    search(*model, true);
    model->togglePhotos(beach);

    search(*model, false);
    model->togglePhotos(dog);
    model->pickAllPhotos(false);
    model->removePickedPhotos();
    EXPECT_EQ(model->photoPicks(), std::unordered_set<URL>{beach.keep});
    EXPECT_FALSE(view.findChild<QWidget*>("pickAllPhotos")->isEnabled());
    EXPECT_FALSE(view.findChild<QWidget*>("movePhotos")->isEnabled());

    gate->open();
    ASSERT_TRUE(waitUntil([&] { return !model->findingPhotos(); }));
    settle();
    EXPECT_TRUE(model->sweeps().empty());
    for (const URL& extra : beach.extras)
        EXPECT_TRUE(fileExists(extra.path()));
    EXPECT_TRUE(view.findChild<QWidget*>("pickAllPhotos")->isEnabled());

    // Afterwards picking works again, and a group's files are shown together.
    model->pickAllPhotos(true);
    EXPECT_EQ(model->photoPicks().size(), 2u);
    EXPECT_TRUE(view.findChild<QWidget*>("movePhotos")->isEnabled());
    view.showInFolder(1);
    EXPECT_EQ(revealedTogether.size(), 8u);
}

TEST_F(SimilarPhotosViewTest, ThumbnailsAreSmallTurnedUprightAndDecodedInTheBackground) {
    KELVORA_REQUIRE_GUI();
    // Left half red, right half blue, stored on its side: upright, red is on top.
    QImage sideways = solid({400, 200}, kBlue);
    QPainter(&sideways).fillRect(0, 0, 200, 200, kRed);
    std::string path = write("Pictures/upright.jpg", jpeg(sideways, 6).toStdString());
    QImage thumbnail = decodeThumbnail(path, 148);
    ASSERT_FALSE(thumbnail.isNull());
    EXPECT_EQ(thumbnail.size(), QSize(74, 148));
    EXPECT_TRUE(near(thumbnail.pixelColor(37, 20), kRed, 16));
    EXPECT_TRUE(near(thumbnail.pixelColor(37, 128), kBlue, 16));
    EXPECT_TRUE(decodeThumbnail(write("Pictures/text.jpg", "words"), 148).isNull());

    ThumbnailLoader loader;
    int loaded = 0;
    QObject::connect(&loader, &ThumbnailLoader::loaded, [&] { ++loaded; });
    URL url = URL::fileURL(path);
    EXPECT_TRUE(loader.image(url, 116).isNull()) << "not decoded yet";
    ASSERT_TRUE(waitUntil([&] { return loaded == 1; }));
    EXPECT_EQ(loader.image(url, 116).size(), QSize(58, 116));
    EXPECT_EQ(loader.decodesStarted(), 1);
}

} // namespace
} // namespace kelvora::testing
