#include "app/onboarding/OnboardingFixture.h"

#include "onboarding/SystemDataHelp.h"

namespace kelvora::testing {
namespace {

ScanItem systemItem(ScanItem::SystemInfo::Kind kind) {
    ScanItem item;
    item.kind = JunkKind::systemData;
    item.location = URL::fileURL("/x/" + rawValue(kind));
    item.bytes = 1'000'000;
    item.baseVerdict = Verdict::youDecide;
    item.record = ScanItem::SystemInfo{kind, "x"};
    return item;
}

// What Docker keeps on a Linux computer, the System Data a scan finds here.
SystemDataHelp::Words dockerWords() {
    ScanResult result;
    result.items = {systemItem(ScanItem::SystemInfo::Kind::dockerDisk)};
    return *SystemDataHelp::words(&result);
}

// The sheet names no storage setting of another system and no part the scan did not find:
// only what the category counts on this computer, and it cannot be asked for where there is
// none.
TEST(SystemDataHelpTest, SaysWhatTheCategoryCountsOnThisComputer) {
    using Kind = ScanItem::SystemInfo::Kind;
    const ScanResult none;
    EXPECT_FALSE(SystemDataHelp::words(nullptr));
    EXPECT_FALSE(SystemDataHelp::words(&none));

    const SystemDataHelp::Words docker = dockerWords();
    ASSERT_EQ(docker.points.size(), 1u);
    EXPECT_EQ(docker.points[0].title, "Docker’s images and containers");
    for (const QString& text : {docker.intro, docker.points[0].text, docker.closing})
        for (const char* elsewhere :
             {"macOS", "System Settings", "Time Machine", "iCloud", "iPhone", "Storage"})
            EXPECT_FALSE(text.contains(elsewhere)) << text.toStdString();

    ScanResult all;
    all.items = {systemItem(Kind::deviceUpdate), systemItem(Kind::dockerDisk),
                 systemItem(Kind::deviceBackup), systemItem(Kind::purgeable)};
    QStringList titles;
    for (const auto& point : SystemDataHelp::words(&all)->points)
        titles << point.title;
    EXPECT_EQ(titles,
              (QStringList{"Space the system frees by itself", "Installers and device backups",
                           "Docker’s images and containers"}));
}

TEST(SystemDataHelpTest, RendersItsRowsInOrderWithTheirTilesAtTheTitles) {
    KELVORA_REQUIRE_GUI();
    Fonts::registerFonts(KELVORA_FONTS_DIR);
    for (Appearance appearance : {Appearance::light, Appearance::dark}) {
        SCOPED_TRACE(appearance == Appearance::light ? "light" : "dark");
        auto token = [appearance](Token t) { return Theme::color(t, appearance); };
        Theme::Scope scope(appearance);
        const SystemDataHelp::Words words = dockerWords();
        SystemDataHelp sheet(words, [] {});
        Snapshot::setSnapshot(&sheet, true);
        QImage image = Render::widget(sheet, sheet.sizeHint());
        keepPicture(image, std::string("system-data-") +
                               (appearance == Appearance::light ? "light" : "dark"));
        EXPECT_EQ(sheet.width(), 520);

        const Sketch& sketch = sheet.sketch();
        QStringList texts = sketch.texts();
        EXPECT_EQ(texts.mid(0, 2), (QStringList{"Help", "What is “System Data”?"}));
        EXPECT_EQ(texts[2], words.intro);
        for (size_t i = 0; i < words.points.size(); ++i) {
            const auto& point = words.points[i];
            EXPECT_EQ(texts.mid(3 + 2 * i, 2), (QStringList{point.title, point.text}));
            // The tile sits at the top of its row, level with the title, however the text wraps.
            QRectF title = sketch.text(point.title)->rect;
            QPointF tile(title.left() - 44 + 16, title.top() + 1.5);
            EXPECT_TRUE(near(at(image, tile.x(), tile.y()), token(Token::chip)))
                << point.title.toStdString();
            EXPECT_TRUE(near(at(image, tile.x(), tile.y() - 4), token(Token::ground)));
            EXPECT_GT(countNear(image, title, token(Token::ink), 30), 30);
        }
        EXPECT_EQ(texts.last(), "Detailed › System Data shows it on your computer, in plain "
                                "words, before anything moves.");
        QWidget* gotIt = sheet.findChild<QWidget*>("gotIt");
        QRectF button(gotIt->mapTo(&sheet, QPoint()), gotIt->size());
        EXPECT_TRUE(near(at(image, button.left() + 6, button.center().y()), token(Token::ink)));
        EXPECT_TRUE(near(at(image, button.right() + 8, button.center().y()), token(Token::ground)));
    }
}

TEST(SystemDataHelpTest, GotItAndReturnCloseThroughTheGivenAction) {
    KELVORA_REQUIRE_GUI();
    int closes = 0;
    SystemDataHelp sheet(dockerWords(), [&] { ++closes; });
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
