#include "app/design/Pictures.h"
#include "app/support/EventLoop.h"
#include "app/support/IsolatedHome.h"

#include "design/Fonts.h"
#include "design/Snapshot.h"
#include "design/Theme.h"
#include "panes/ReceiptImage.h"
#include "panes/ReceiptLayout.h"
#include "panes/ReceiptSheet.h"
#include "panes/ReceiptView.h"
#include "platform/FileSystem.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace kelvora::testing {
namespace {

using Row = ReceiptText::Row;

Date at(const char* isoUtc) {
    std::tm tm{};
    strptime(isoUtc, "%Y-%m-%dT%H:%M:%S", &tm);
    return std::chrono::system_clock::from_time_t(timegm(&tm));
}

// The clean-up of the demo computer's default picks: caches, logs, a temporary file, two
// downloads and the Trash, on a disk of 494.38 GB with 61.2 GB free.
Receipt marketingReceipt(int64_t shelved = 5'014'000'000) {
    ScanResult before;
    before.disk = {494'380'000'000, 61'200'000'000};
    CleanReport report;
    report.freed = 7'610'000'000;
    report.shelved = shelved;
    // Given out of order: the receipt lists categories in their own order.
    report.byKind = {{JunkKind::trash, 1'380'000'000},
                     {JunkKind::downloads, 3'634'000'000},
                     {JunkKind::caches, 5'700'000'000},
                     {JunkKind::tempFiles, 1'790'000'000},
                     {JunkKind::logs, 120'000'000}};
    DiskSpace after{494'380'000'000, 73'824'000'000};
    return Receipt::make(before, report, after, 7, at("2025-03-07T14:05:00"));
}

TEST(ReceiptTest, TheMarketingCleanUpPrintsItsCategoriesTotalAndDisk) {
    Receipt receipt = marketingReceipt();
    EXPECT_EQ(ReceiptText::categoryRows(receipt),
              (std::vector<Row>{{"APP CACHES", "5.7 GB", false},
                                {"OLD LOGS", "120 MB", false},
                                {"LEFTOVER TEMP FILES", "1.8 GB", false},
                                {"OLD DOWNLOADS", "3.6 GB", false},
                                {"TRASH", "1.4 GB", false}}));
    EXPECT_EQ(receipt.total, 12'624'000'000);
    EXPECT_EQ(ReceiptText::diskRows(receipt),
              (std::vector<Row>{{"FREE BEFORE", "61.2 GB", true},
                                {"FREE AFTER", "73.8 GB", true},
                                {"ON UNDO SHELF, 7 DAYS", "5.0 GB", true}}));

    // Nothing shelved: no shelf line. Nothing by category: no category lines at all.
    Receipt deletedOnly = marketingReceipt(0);
    EXPECT_EQ(ReceiptText::diskRows(deletedOnly).size(), 2u);
    deletedOnly.lines.clear();
    EXPECT_TRUE(ReceiptText::categoryRows(deletedOnly).empty());
}

// The file is named by the calendar day in UTC, while the paper shows the local day: late
// in the evening west of Greenwich these differ.
TEST(ReceiptTest, TheFileCarriesTheDayInUtcAndThePaperTheLocalDay) {
    eventLoop();
    const char* saved = std::getenv("TZ");
    std::string previous = saved ? saved : "";
    setenv("TZ", "EST5", 1);
    tzset();
    Date evening = at("2025-03-08T04:30:00"); // 23:30 on the 7th, five hours west
    QString line = ReceiptText::dateLine(evening);
    if (saved)
        setenv("TZ", previous.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    EXPECT_EQ(ReceiptImage::fileName(evening), "Kelvora receipt 2025-03-08.png");
    EXPECT_TRUE(line.startsWith("7 Mar 2025, ")) << line.toStdString();
    EXPECT_TRUE(line.contains("23:30") || line.contains("11:30")) << line.toStdString();
}

// Every dot leader ends on a whole dot, as far from its figure on every line; a title too
// long for any dot keeps its figure whole.
TEST(ReceiptTest, DotLeadersEndOnAWholeDotTheSameSpacingFromEveryFigure) {
    KELVORA_REQUIRE_GUI();
    Fonts::registerFonts(KELVORA_FONTS_DIR);
    Receipt receipt = marketingReceipt();
    receipt.lines.push_back({"Leftovers of an application with a very long name indeed", 4096});
    ReceiptLayout layout(receipt);
    QImage image = Render::picture(layout.size().toSize(), [&](QPainter& p) { layout.paint(p); });
    keepPicture(image, "receipt-leaders");

    // The printed dots of each line, as runs of device columns: a dot cut short would show
    // as one run more than the whole dots the line holds.
    const QColor dotColour = blend(ReceiptInk::faint(), ReceiptInk::paper(), 0.6);
    std::optional<int> gap;
    for (const auto& line : layout.lines()) {
        SCOPED_TRACE(line.row.title.toStdString());
        const int top = static_cast<int>(line.baseline - 3) * 2;
        std::vector<std::pair<int, int>> dots;
        for (int x = static_cast<int>(line.titleRight * 2); x < line.valueLeft * 2; ++x) {
            bool inked = false;
            for (int y = top; y <= top + 8; ++y)
                inked |= near(image.pixelColor(x, y), dotColour, 40);
            if (inked && !dots.empty() && dots.back().second == x - 1)
                dots.back().second = x;
            else if (inked)
                dots.push_back({x, x});
        }
        ASSERT_EQ(static_cast<int>(dots.size()), line.leader.size()) << "only whole dots";
        if (dots.empty()) {
            EXPECT_EQ(line.valueLeft + QFontMetricsF(Fonts::mono(12, QFont::DemiBold))
                                           .horizontalAdvance(line.row.value),
                      layout.paper().right() - 26);
            continue;
        }
        const int lineGap = static_cast<int>(line.valueLeft * 2) - dots.back().second;
        EXPECT_NEAR(lineGap, gap.value_or(lineGap), 1) << "the same spacing before every figure";
        EXPECT_GE(lineGap, 12);
        gap = lineGap;
    }
}

TEST(ReceiptTest, TheImageIsTheFixedLightPaperWhateverTheAppearance) {
    KELVORA_REQUIRE_GUI();
    Fonts::registerFonts(KELVORA_FONTS_DIR);
    Receipt receipt = marketingReceipt();
    std::optional<QByteArray> light, dark;
    {
        Theme::Scope scope(Appearance::light);
        light = ReceiptImage::png(receipt);
    }
    {
        Theme::Scope scope(Appearance::dark);
        dark = ReceiptImage::png(receipt);
    }
    ASSERT_TRUE(light && dark);
    EXPECT_EQ(*light, *dark);

    QImage image = QImage::fromData(*light, "PNG");
    image.setDevicePixelRatio(2);
    keepPicture(image, "receipt");
    EXPECT_EQ(image.width(), 816);
    ReceiptLayout layout(receipt);
    EXPECT_EQ(image.height(), static_cast<int>(std::ceil(layout.size().height())) * 2);

    QRectF paper = layout.paper();
    EXPECT_TRUE(near(testing::at(image, 4, 4), ReceiptInk::surround(), 2));
    EXPECT_TRUE(
        near(testing::at(image, paper.left() + 8, paper.top() + 8), ReceiptInk::paper(), 2));
    // The torn edge: the right-hand corner is cut away, the first tooth's tip reaches down.
    EXPECT_TRUE(
        near(testing::at(image, paper.right() - 1, paper.bottom() - 2), ReceiptInk::surround(), 2));
    EXPECT_TRUE(
        near(testing::at(image, paper.right() - 9, paper.bottom() - 1), ReceiptInk::paper(), 40));
    EXPECT_GT(countNear(image, layout.totalFigure(), ReceiptInk::signal(), 30), 200)
        << "the total is printed in the accent";
    EXPECT_GT(countNear(image, paper.adjusted(0, 0, 0, -paper.height() / 2), ReceiptInk::ink(), 30),
              200);

    // The view on screen is the same picture.
    ReceiptView view(receipt);
    QImage shown = Render::widget(view);
    EXPECT_EQ(shown.size(), image.size());
    QPointF figure = layout.totalFigure().center();
    EXPECT_EQ(shown.pixelColor(figure.toPoint() * 2), image.pixelColor(figure.toPoint() * 2));
}

// A sheet over a window holding a temporary folder of its own.
struct SheetTest : ::testing::Test {
    // The application comes before the sheet, which is a widget.
    bool drawing = [] {
        Render::application();
        Fonts::registerFonts(KELVORA_FONTS_DIR);
        return true;
    }();
    IsolatedHome env;
    Receipt receipt = marketingReceipt();
    int closed = 0;
    ReceiptSheet sheet{receipt, [this] { ++closed; }};

    QPushButton* button(const char* name) { return sheet.findChild<QPushButton*>(name); }
};

TEST_F(SheetTest, APictureShowsThePrintedPaperAndEveryButtonInBothAppearances) {
    KELVORA_REQUIRE_GUI();
    Snapshot::setSnapshot(&sheet, true);
    for (Appearance appearance : {Appearance::light, Appearance::dark}) {
        Theme::Scope scope(appearance);
        QImage image = Render::widget(sheet);
        bool isLight = appearance == Appearance::light;
        keepPicture(image, isLight ? "receipt-sheet-light" : "receipt-sheet-dark");
        SCOPED_TRACE(isLight ? "light" : "dark");
        EXPECT_EQ(sheet.printed(), 1) << "a picture shows the paper in place";
        EXPECT_EQ(image.width(), 912);
        EXPECT_TRUE(near(testing::at(image, 20, 200), Theme::ground()));
        // Under the slot the paper's table colour, then the paper itself.
        EXPECT_TRUE(near(testing::at(image, 228, 28), Theme::ink()));
        EXPECT_TRUE(near(testing::at(image, 36, 60), ReceiptInk::surround(), 2));
        EXPECT_TRUE(near(testing::at(image, 80, 70), ReceiptInk::paper(), 2));
        for (const char* name : {"copyImage", "save", "share", "done"})
            EXPECT_TRUE(button(name)->isVisible()) << name;
    }
    ASSERT_TRUE(sheet.file());
    EXPECT_EQ(*sheet.file(), env.tmp() + "/Kelvora receipt 2025-03-07.png");
    EXPECT_EQ(sheet.proposedName(), "Kelvora receipt 2025-03-07.png");
    EXPECT_EQ(QImage(QString::fromStdString(*sheet.file())).width(), 816);
}

TEST_F(SheetTest, WithoutATemporaryFileThereIsNoShareButtonAndSaveProposesAPlainName) {
    KELVORA_REQUIRE_GUI();
    // A temporary "folder" that is a file: nothing can be written inside it.
    setenv("TMPDIR", env.dir().write("not a folder", "").c_str(), 1);
    Snapshot::setSnapshot(&sheet, true);
    Render::widget(sheet);
    EXPECT_FALSE(sheet.file());
    EXPECT_FALSE(button("share")->isVisible());
    EXPECT_EQ(sheet.proposedName(), "Kelvora receipt.png");
}

TEST_F(SheetTest, CopyPutsTheImageOnTheClipboardAndSaysSo) {
    KELVORA_REQUIRE_GUI();
    for (int press = 0; press < 2; ++press) {
        QGuiApplication::clipboard()->clear();
        button("copyImage")->click();
        EXPECT_EQ(QGuiApplication::clipboard()->image().width(), 816);
        EXPECT_EQ(button("copyImage")->text(), "Copied");
    }
    button("done")->click();
    EXPECT_EQ(closed, 1);
}

// A save that cannot be written says why instead of passing silently, and a good one
// afterwards clears the message.
TEST_F(SheetTest, AFailedSaveShowsWhyAndLeavesNoFile) {
    KELVORA_REQUIRE_GUI();
    std::string target = env.tmp() + "/no such folder/receipt.png";
    EXPECT_FALSE(sheet.saveTo(QString::fromStdString(target)));
    EXPECT_FALSE(fileExists(target));
    EXPECT_TRUE(sheet.error().startsWith("The receipt wasn’t saved. Could not write " +
                                         QString::fromStdString(target)))
        << sheet.error().toStdString();
    Snapshot::setSnapshot(&sheet, true);
    QImage image = Render::widget(sheet);
    keepPicture(image, "receipt-sheet-save-failed");
    QRectF errorLine(24, sheet.height() - 24 - 12, 200, 12);
    EXPECT_GT(countNear(image, errorLine, Theme::signalText(), 40), 20) << "the reason is shown";

    std::string good = env.tmp() + "/receipt.png";
    EXPECT_TRUE(sheet.saveTo(QString::fromStdString(good)));
    EXPECT_TRUE(sheet.error().isEmpty());
    EXPECT_EQ(QImage(QString::fromStdString(good)).width(), 816);
}

// The paper waits a moment above its place, then comes down; asked for no motion it is in
// place at once.
TEST_F(SheetTest, ThePaperSlidesInUnlessMotionIsReduced) {
    KELVORA_REQUIRE_GUI();
    sheet.setAttribute(Qt::WA_DontShowOnScreen);
    sheet.show();
    EXPECT_EQ(sheet.printed(), 0);
    settle(std::chrono::milliseconds(120));
    EXPECT_EQ(sheet.printed(), 0);
    EXPECT_TRUE(waitUntil([&] { return sheet.printed() == 1; }, std::chrono::seconds(4)));
    sheet.hide();

    setenv("KELVORA_REDUCE_MOTION", "1", 1);
    sheet.show();
    EXPECT_EQ(sheet.printed(), 1);
    unsetenv("KELVORA_REDUCE_MOTION");
}

} // namespace
} // namespace kelvora::testing
