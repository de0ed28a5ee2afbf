#include "app/design/Pictures.h"
#include "app/support/EventLoop.h"
#include "app/support/IsolatedHome.h"
#include "support/TempDir.h"

#include "controller/Prefs.h"
#include "design/Fonts.h"
#include "design/Symbols.h"
#include "design/Theme.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QRawFont>
#include <QWidget>

#include <gtest/gtest.h>

namespace kelvora::testing {
namespace {

// Remembers the ground colour of its last paint.
class PaintProbe : public QWidget {
public:
    QColor painted;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override {
        painted = Theme::ground();
        ++paints;
        QPainter(this).fillRect(rect(), painted);
    }
};

TEST(ThemeTest, ColoursFollowTheAppearanceSettingAndAScopeForcesOne) {
    KELVORA_REQUIRE_GUI();
    IsolatedHome env;
    struct Case {
        const char* setting;
        Appearance expected;
    };
    for (Case c : {Case{"dark", Appearance::dark}, Case{"light", Appearance::light}}) {
        Prefs::setString(Prefs::Key::appearance, c.setting);
        Prefs::applyAppearance();
        SCOPED_TRACE(c.setting);
        EXPECT_EQ(Theme::appearance(), c.expected);
        EXPECT_EQ(Theme::ground().rgb() & 0xFFFFFF,
                  c.expected == Appearance::dark ? 0x121211 : 0xF4F2ED);
        EXPECT_LT(Theme::onSignal().lightness(), 40) << "text on the accent stays dark";
    }
    {
        Theme::Scope dark(Appearance::dark);
        EXPECT_EQ(Theme::ink(), QColor(0xEDEBE5));
        {
            Theme::Scope light(Appearance::light);
            EXPECT_EQ(Theme::ink(), QColor(0x1A1A18));
        }
        EXPECT_EQ(Theme::signal(), QColor(0xFF6A1F));
    }
    EXPECT_EQ(Theme::appearance(), Appearance::light);

    // "system" takes whatever the desktop's palette is.
    Prefs::setString(Prefs::Key::appearance, "system");
    Prefs::applyAppearance();
    QPalette desktop = QApplication::palette();
    desktop.setColor(QPalette::Window, QColor(0x20, 0x20, 0x24));
    QApplication::setPalette(desktop);
    EXPECT_EQ(Theme::appearance(), Appearance::dark);
    QApplication::setPalette(QPalette());
}

TEST(ThemeTest, AChangeOfAppearanceRepaintsEveryWindow) {
    KELVORA_REQUIRE_GUI();
    IsolatedHome env;
    Prefs::setString(Prefs::Key::appearance, "light");
    Prefs::applyAppearance();
    PaintProbe first, second;
    for (PaintProbe* window : {&first, &second}) {
        window->resize(80, 60);
        window->show();
    }
    ASSERT_TRUE(waitUntil([&] { return first.paints > 0 && second.paints > 0; }));
    EXPECT_EQ(first.painted, QColor(0xF4F2ED));

    Prefs::setString(Prefs::Key::appearance, "dark");
    Prefs::applyAppearance();
    EXPECT_TRUE(waitUntil(
        [&] { return first.painted == QColor(0x121211) && second.painted == QColor(0x121211); }));
    Prefs::setString(Prefs::Key::appearance, "light");
    Prefs::applyAppearance();
}

// The toolkit's own menus (the window's menus, the settings' choices, context menus) mark the
// item under the pointer in the accent, not the toolkit's blue, and set it in the text face.
TEST(ThemeTest, MenusHighlightInTheAccentAndSetTheirItemsInTheTextFace) {
    KELVORA_REQUIRE_GUI();
    IsolatedHome env;
    Fonts::registerFonts(KELVORA_FONTS_DIR);
    for (Appearance shade : {Appearance::light, Appearance::dark}) {
        const std::string name = shade == Appearance::dark ? "dark" : "light";
        SCOPED_TRACE(name);
        Prefs::setString(Prefs::Key::appearance, name);
        Prefs::applyAppearance();
        QMenu menu;
        QAction* first = menu.addAction("Check Again");
        menu.addAction("What Is System Data?");
        menu.show();
        menu.setActiveAction(first);
        QImage image = menu.grab().toImage();
        keepPicture(image, "menu-" + name);
        const QRect item = menu.actionGeometry(first);
        const QColor accent = Theme::color(Token::signal, shade);
        EXPECT_GT(countNear(image, item, accent, 12), item.width() * item.height() / 2)
            << "the item under the pointer";
        for (QColor blue : {QColor(0x308CC6), QColor(0x3D8BFD)})
            EXPECT_EQ(countNear(image, QRectF(image.rect()), blue, 12), 0);
        EXPECT_EQ(QFontInfo(menu.font()).family(), QFontInfo(Fonts::text(13)).family());
        EXPECT_EQ(menu.palette().color(QPalette::Window), Theme::color(Token::ground, shade));
    }
    Prefs::setString(Prefs::Key::appearance, "light");
    Prefs::applyAppearance();
}

TEST(FontsTest, RegistersOnlyTheFontFilesDirectlyInTheFolderWhateverTheirCase) {
    KELVORA_REQUIRE_GUI();
    TempDir folder;
    auto face = readFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    ASSERT_TRUE(face) << "fonts-dejavu-core is needed";
    for (const char* name :
         {"Upper.TTF", "Mixed.OtF", "plain.ttf", "Collection.ttc", "Web.woff", "sub/Nested.ttf"})
        folder.write(name, *face);
    folder.write("Broken.ttf", "not a font");
    folder.write("Notes.txt", "licence");
    EXPECT_EQ(Fonts::registerFonts(QString::fromStdString(folder.path())), 3);
    EXPECT_EQ(Fonts::registerFonts(QString::fromStdString(folder / "missing")), 0);
}

TEST(FontsTest, SizesAreLogicalPixelsNotPoints) {
    KELVORA_REQUIRE_GUI();
    const QString sample = "Sizes are set in logical pixels, never in points.";
    auto advance = [&](const QFont& font) { return QFontMetricsF(font).horizontalAdvance(sample); };
    auto byPixels = [](int pixels) {
        QFont font = Fonts::text(10);
        font.setPixelSize(pixels);
        return font;
    };
    EXPECT_DOUBLE_EQ(advance(Fonts::text(13)), advance(byPixels(13)));
    for (qreal size : {10.5, 12.5}) {
        EXPECT_GE(advance(Fonts::text(size)), advance(byPixels(static_cast<int>(size)))) << size;
        EXPECT_LE(advance(Fonts::text(size)), advance(byPixels(static_cast<int>(size) + 1)))
            << size;
        EXPECT_DOUBLE_EQ(Fonts::text(size).pointSizeF() * 96 / 72, size) << "kept exact";
    }
    EXPECT_EQ(QFontInfo(Fonts::mono(12)).family(), "DejaVu Sans Mono");
    EXPECT_TRUE(QFontInfo(Fonts::mono(12)).fixedPitch());
}

TEST(SymbolsTest, EveryNamedSymbolIsAGlyphOfTheIconFontAndUnknownNamesStillShow) {
    KELVORA_REQUIRE_GUI();
    QRawFont icons = QRawFont::fromFont(Symbols::font(13));
    ASSERT_EQ(icons.familyName(), "Material Icons") << "fonts-material-design-icons-iconfont";
    for (const QString& name : Symbols::names())
        EXPECT_TRUE(icons.supportsCharacter(Symbols::glyph(name))) << name.toStdString();
    EXPECT_FALSE(Symbols::isKnown("flux.capacitor"));
    EXPECT_TRUE(icons.supportsCharacter(Symbols::glyph("flux.capacitor")));
    EXPECT_NE(Symbols::glyph("flux.capacitor"), Symbols::glyph("folder"));

    QImage drawn = Render::picture(QSize(24, 24), [](QPainter& painter) {
        Symbols::paint(painter, "checkmark", QRectF(0, 0, 24, 24), 16, Qt::black);
    });
    EXPECT_GT(countNear(drawn, QRectF(0, 0, 24, 24), Qt::black, 60), 20);
}

} // namespace
} // namespace kelvora::testing
