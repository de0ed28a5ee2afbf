#include "app/snapshot/SnapshotRunner.h"

#include "design/Fonts.h"
#include "design/Theme.h"
#include "panes/ReceiptLayout.h"

namespace kelvora::testing {
namespace {

// A check of a rendered window: at least `atLeast` device pixels of the region (logical
// pixels) carry the token's colour, or, with `atLeast` 0, none does.
struct Region {
    const char* what;
    QRectF rect;
    Token token;
    int atLeast;
};

// The regions the states share. The header's mode switch sits in the middle, its chosen
// mode on a panel-coloured pill; "Check again" has a panel fill at the right.
const QRectF kSwitch(560, 10, 160, 32);
const QRectF kCheckAgain(1180, 14, 80, 24);
const QRectF kShelfButton(1000, 14, 150, 24);
const QRectF kMainColumn(400, 600, 600, 150);
const QRectF kTopRule(400, 52, 600, 1);
const QRectF kDoneHeadline(100, 130, 500, 60);
// The simple view: its left margin is bare ground, the dial fills the left of the first
// row, its one button stands under the headline on the right.
const QRectF kSimpleMargin(8, 60, 56, 740);
const QRectF kDial(72, 52, 520, 310);
const QRectF kSimpleButton(650, 280, 300, 170);
// The detailed view: a strip along the sidebar's left edge holds nothing but its fill; the
// pick footer's button sits at the bottom right.
const QRectF kSidebarEdge(2, 60, 8, 700);
const QRectF kFooterButton(1090, 760, 180, 50);
// The Undo Shelf pane: its "Free … now" button in the summary card, and the days-left bars
// of its two clean-ups, the fresh one above the one on its last day.
const QRectF kFreeShelf(1100, 135, 120, 25);
const QRectF kFreshDays(955, 255, 100, 25);
const QRectF kLastDay(955, 515, 20, 20);

struct Case {
    std::vector<std::string> options;
    Appearance appearance;
    std::vector<Region> regions;
};

using SnapshotRunTest = SnapshotRunner;

TEST_F(SnapshotRunTest, MarketingPrintsTheSummaryAndWritesTheWindow) {
    KELVORA_REQUIRE_GUI();
    Fonts::registerFonts(KELVORA_FONTS_DIR);
    const std::string output = env.dir() / "marketing.png";
    const RunResult run = snapshot(output, {"--marketing"});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    const std::string expected =
        std::string("Fonts: Doto ") + (Fonts::hasDoto() ? "loaded" : "missing") + ", Geist " +
        (Fonts::hasGeist() ? "loaded" : "missing") +
        "\n"
        "Scanned 214386 files in 6.4 s\n"
        "Disk: 61.2 GB free of 494.4 GB\n"
        "  caches: 5.7 GB\n  logs: 120 MB\n  tempFiles: 1.8 GB\n  downloads: 3.6 GB\n"
        "  mail: 0 KB\n  screenshots: 0 KB\n  photos: 0 KB\n  duplicates: 0 KB\n"
        "  largeFiles: 6.3 GB\n  developer: 640 MB\n  ai: 220 MB\n  systemData: 0 KB\n"
        "  apps: 1.1 GB\n  leftovers: 0 KB\n  trash: 1.4 GB\n"
        "  trash access: ok\n"
        "Total: 20.9 GB\n"
        "Largest items:\n"
        "  6.3 GB    /Users/you/Movies/Wedding raw footage.mov\n"
        "  3.4 GB    /Users/you/Downloads/Xcode_16.xip\n"
        "  2.1 GB    /Users/you/Library/Caches/com.spotify.client\n"
        "  1.8 GB    /Users/you/Library/Caches/Google  [in use: Google Chrome]\n"
        "  1.8 GB    /var/folders/xy/T/"
        "onnxruntime-0B6F2E1A-7C3D-4E5F-8A9B-112233445566-4242-0001.mlmodelc\n"
        "  1.4 GB    /Users/you/.Trash/Old exports\n"
        "  1.2 GB    /Users/you/Library/Caches/Homebrew\n"
        "  1.1 GB    /Users/you/Applications/Blender.app\n"
        "Developer files (1):\n"
        "  640 MB    node_modules in portfolio-site · Node packages · project last changed 9 "
        "months ago\n"
        "Mail & Messages: 0 items\n"
        "Leftovers of removed apps (0):\n"
        "System Data (0):\n"
        "AI files (1):\n"
        "  220 MB    Claude Code chats in portfolio-site · 38 sessions untouched for 30 days · "
        "last used 9 months ago\n"
        "In use, left alone (1): Google (Google Chrome)\n"
        "Wrote " +
        output + "\n";
    EXPECT_EQ(run.out, expected);
    QImage image(QString::fromStdString(output));
    EXPECT_EQ(image.size(), QSize(2560, 1640));
}

TEST_F(SnapshotRunTest, EveryStateDrawsItsOwnWindow) {
    KELVORA_REQUIRE_GUI();
    using A = Appearance;
    const std::vector<Case> cases{
        {{"--marketing"},
         A::light,
         {{"ground", kSimpleMargin, Token::ground, 160'000},
          {"no sidebar", kSimpleMargin, Token::sidebar, 0},
          {"the picks on the dial", kDial, Token::signal, 1'000},
          {"clean up button", kSimpleButton, Token::signal, 20'000},
          {"chosen mode", kSwitch, Token::panel, 1'000},
          {"check again", kCheckAgain, Token::panel, 2'000},
          {"no shelf button", kShelfButton, Token::panel, 0}}},
        {{"--marketing", "--dark"},
         A::dark,
         {{"ground", kSimpleMargin, Token::ground, 160'000},
          {"the picks on the dial", kDial, Token::signal, 1'000},
          {"clean up button", kSimpleButton, Token::signal, 20'000},
          {"mode switch plate", kSwitch, Token::chip, 3'000}}},
        {{"--marketing", "--detailed"},
         A::light,
         {{"sidebar", kSidebarEdge, Token::sidebar, 22'000},
          {"main column", kMainColumn, Token::panel, 300'000},
          {"rule under the header", kTopRule, Token::line, 2'000},
          {"footer's clean up button", kFooterButton, Token::signal, 10'000}}},
        {{"--marketing", "--category", "caches", "--dark"},
         A::dark,
         {{"sidebar", kSidebarEdge, Token::sidebar, 22'000},
          {"main column", kMainColumn, Token::panel, 300'000},
          {"rule under the header", kTopRule, Token::line, 2'000},
          {"footer's clean up button", kFooterButton, Token::signal, 10'000}}},
        {{"--marketing", "--demo-done"},
         A::light,
         {{"ground", kSimpleMargin, Token::ground, 160'000},
          {"free now button", kSimpleButton, Token::signal, 20'000},
          {"the dial's hub and the shelf's sliver", kDial, Token::signal, 200},
          {"shelf button", kShelfButton, Token::panel, 2'000}}},
        {{"--marketing", "--demo-done", "--detailed"},
         A::light,
         {{"cleared size", kDoneHeadline, Token::signalText, 1'000},
          {"sidebar", kSidebarEdge, Token::sidebar, 22'000},
          {"no footer after a clean-up", kFooterButton, Token::signal, 0},
          {"shelf button", kShelfButton, Token::panel, 2'000}}},
        {{"--marketing", "--demo-shelf"},
         A::light,
         {{"shelf button", kShelfButton, Token::panel, 2'000},
          {"clean up button", kSimpleButton, Token::signal, 20'000},
          {"ground", kSimpleMargin, Token::ground, 160'000}}},
        // The older demo clean-up expires a day after the run: its one square left is
        // orange, the fresh one's seven are not. Without the marketing data the real disk is
        // scanned under the demo shelf.
        {{"--demo-shelf", "--detailed"},
         A::light,
         {{"last day's square", kLastDay, Token::signal, 300},
          {"fresh clean-up's squares", kFreshDays, Token::signal, 0},
          {"free the shelf button", kFreeShelf, Token::signal, 8'000}}},
        {{"--demo-shelf", "--detailed", "--dark"},
         A::dark,
         {{"last day's square", kLastDay, Token::signal, 300},
          {"fresh clean-up's squares", kFreshDays, Token::signal, 0},
          {"free the shelf button", kFreeShelf, Token::signal, 8'000}}},
        {{"--marketing", "--demo-shelf", "--detailed"},
         A::light,
         {{"last day's square", kLastDay, Token::signal, 300},
          {"fresh clean-up's squares", kFreshDays, Token::signal, 0},
          {"free the shelf button", kFreeShelf, Token::signal, 8'000},
          {"sidebar", kSidebarEdge, Token::sidebar, 22'000}}},
        {{"--marketing", "--demo-shelf", "--detailed", "--dark"},
         A::dark,
         {{"last day's square", kLastDay, Token::signal, 300},
          {"fresh clean-up's squares", kFreshDays, Token::signal, 0},
          {"free the shelf button", kFreeShelf, Token::signal, 8'000},
          {"sidebar", kSidebarEdge, Token::sidebar, 22'000}}},
        {{"--demo-downloads", "--dark"},
         A::dark,
         {{"ground", kSimpleMargin, Token::ground, 160'000},
          {"clean up button", kSimpleButton, Token::signal, 20'000}}},
        {{"--marketing", "--welcome", "2"},
         A::light,
         {{"no header over the welcome", kSwitch, Token::panel, 0}}},
        {{"--marketing", "--welcome", "two", "--forecast", "soon"},
         A::light,
         {{"an unreadable step shows no welcome", kSwitch, Token::panel, 1'000}}},
    };
    int index = 0;
    for (const Case& c : cases) {
        std::string name = "snapshot";
        for (const auto& option : c.options)
            name += option;
        SCOPED_TRACE(name);
        const std::string output = env.dir() / ("state" + std::to_string(index++) + ".png");
        const RunResult run = snapshot(output, c.options);
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        EXPECT_EQ(lastLine(run.out), "Wrote " + output);
        QImage image(QString::fromStdString(output));
        ASSERT_EQ(image.size(), QSize(2560, 1640));
        image.setDevicePixelRatio(2);
        keepPicture(image, name);
        for (const Region& region : c.regions)
            expectShare(image, region.what, region.rect, Theme::color(region.token, c.appearance),
                        region.atLeast);
        EXPECT_TRUE(demoFoldersGone());
    }
    EXPECT_FALSE(fileExists(env.settingsFile())) << "a snapshot writes no setting";
}

// After a clean-up "--receipt" writes the receipt alone, on its own fixed paper whatever the
// appearance; before one it is passed over and the window is drawn.
TEST_F(SnapshotRunTest, TheReceiptStandsInForTheWindowOnlyAfterACleanUp) {
    KELVORA_REQUIRE_GUI();
    struct ReceiptCase {
        std::vector<std::string> options;
        QSize windowSize; // empty for a receipt
    };
    const std::vector<ReceiptCase> cases{
        {{"--marketing", "--demo-done", "--receipt"}, {}},
        {{"--demo-done", "--receipt", "--dark"}, {}},
        {{"--marketing", "--receipt"}, QSize(2560, 1640)},
    };
    int index = 0;
    for (const ReceiptCase& c : cases) {
        std::string name = "receipt";
        for (const auto& option : c.options)
            name += option;
        SCOPED_TRACE(name);
        const std::string folder = env.dir().mkdir("receipt" + std::to_string(index++));
        const std::string output = folder + "/r.png";
        const RunResult run = snapshot(output, c.options);
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        EXPECT_EQ(lastLine(run.out), "Wrote " + output);
        EXPECT_EQ(run.out.find("Wrote "), run.out.rfind("Wrote ")) << "one picture only";
        EXPECT_EQ(listFolder(URL::fileURL(folder, true)).entries.size(), 1u);
        EXPECT_TRUE(demoFoldersGone());
        QImage image(QString::fromStdString(output));
        if (!c.windowSize.isEmpty()) {
            EXPECT_EQ(image.size(), c.windowSize);
            continue;
        }
        // The receipt at twice its 408 px width: the paper on its margin of table, the total
        // printed in the receipt's own orange at the right and nowhere on the left.
        ASSERT_EQ(image.width(), 816);
        image.setDevicePixelRatio(2);
        keepPicture(image, name);
        const qreal middle = ReceiptLayout::kMargin + ReceiptLayout::kPaperWidth / 2;
        const qreal height = image.height() / 2.0;
        EXPECT_TRUE(near(at(image, 30, 30), ReceiptInk::paper(), kTolerance));
        EXPECT_TRUE(near(at(image, 4, 4), ReceiptInk::surround(), kTolerance));
        expectShare(image, "total", QRectF(middle, 0, middle, height), ReceiptInk::signal(), 400);
        expectShare(image, "left half", QRectF(0, 0, middle, height), ReceiptInk::signal(), 0);
    }
}

TEST_F(SnapshotRunTest, MarketingCachesAreNamedTheSameWhateverIsInstalledHere) {
    // The first cache row: its name and detail line, its badge and its size.
    const QRect firstRow(2 * 250, 2 * 126, 2 * 798, 2 * 58);
    auto row = [&](const std::string& name) {
        const std::string output = env.dir() / name;
        const RunResult run = snapshot(output, {"--marketing", "--category", "caches"});
        EXPECT_EQ(run.status, 0) << run.out << run.err;
        return QImage(QString::fromStdString(output)).copy(firstRow);
    };
    const QImage asShipped = row("plain.png");
    createDirectories(env.data() + "/applications");
    ASSERT_TRUE(writeFileAtomically(env.data() + "/applications/com.spotify.client.desktop",
                                    "[Desktop Entry]\nType=Application\nName=Spotify\n"));
    EXPECT_EQ(row("installed.png"), asShipped) << "an application installed here shows through";
}

TEST_F(SnapshotRunTest, DemoDownloadsShowOnlyTheDemoHome) {
    const RunResult run = snapshot(env.dir() / "downloads.png", {"--demo-downloads"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("  downloads: 11 MB\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("/home/Downloads/Figma-124.3.dmg\n"), std::string::npos);
    EXPECT_EQ(run.out.find(env.home()), std::string::npos) << "the user's own home stays out";
    EXPECT_TRUE(demoFoldersGone());
}

TEST_F(SnapshotRunTest, ShowingAToolWritesNoSetting) {
    createDirectories(parentPath(env.settingsFile()));
    ASSERT_TRUE(
        writeFileAtomically(env.settingsFile(), R"({"viewMode": "simple", "shelfDays": 9})"));
    const std::string before = *fileText(env.settingsFile());
    const RunResult run =
        snapshot(env.dir() / "tools.png",
                 {"--marketing", "--search", "videos over 1 GB", "--space-map", env.home()});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("Measured "), std::string::npos);
    EXPECT_NE(run.out.find(" files under " + env.home() + "\n"), std::string::npos);
    EXPECT_EQ(fileText(env.settingsFile()), before);
}

TEST_F(SnapshotRunTest, AnUnwritableOutputFailsWithItsReason) {
    const std::string output = env.dir() / "missing/out.png";
    const RunResult run = snapshot(output, {"--marketing", "--demo-done"});
    EXPECT_EQ(run.status, 1);
    const std::string line = lastLine(run.out);
    EXPECT_EQ(line.rfind("Could not write " + output + ": ", 0), 0u) << line;
    EXPECT_GT(line.size(), ("Could not write " + output + ": ").size());
    EXPECT_FALSE(fileExists(output));
    EXPECT_TRUE(demoFoldersGone());
}

} // namespace
} // namespace kelvora::testing
