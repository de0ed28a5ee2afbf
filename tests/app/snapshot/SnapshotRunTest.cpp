#include "app/design/Pictures.h"
#include "app/support/IsolatedHome.h"
#include "app/support/RunKelvora.h"

#include "design/Fonts.h"
#include "design/Theme.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <QImage>

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

// The regions every state shares. The header's mode switch sits in the middle, its chosen
// mode on a panel-coloured pill; "Check again" has a panel fill at the right.
const QRectF kSwitch(560, 10, 160, 32);
const QRectF kCheckAgain(1180, 14, 80, 24);
const QRectF kShelfButton(1000, 14, 150, 24);
const QRectF kMainColumn(400, 600, 600, 150);
const QRectF kTopRule(400, 52, 600, 1);
const QRectF kDoneHeadline(100, 130, 500, 60);

// The dial, the clean-up button and the sidebar are drawn by the simple view and the
// detailed view's lists; when they land, their signal and sidebar colours join these
// checks as regions of the cases below.
struct Case {
    std::vector<std::string> options;
    Appearance appearance;
    std::vector<Region> regions;
};

class SnapshotRunTest : public ::testing::Test {
protected:
    IsolatedHome env;

    RunResult snapshot(const std::string& output, const std::vector<std::string>& options) {
        std::vector<std::string> arguments{"--snapshot", output};
        arguments.insert(arguments.end(), options.begin(), options.end());
        // No display and no platform named: the run must pick the off-screen one itself.
        return runKelvora(arguments,
                          {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}},
                          env.tmp());
    }

    // Nothing of the demo folders is left behind.
    bool demoFoldersGone() const {
        for (const auto& entry : listFolder(URL::fileURL(env.tmp(), true)).entries)
            if (entry.name.rfind("kelvora-demo-", 0) == 0) return false;
        return true;
    }
};

std::string lastLine(const std::string& out) {
    std::string text = out;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text.substr(text.rfind('\n') + 1);
}

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
         {{"ground", QRectF(20, 300, 200, 200), Token::ground, 150'000},
          {"chosen mode", kSwitch, Token::panel, 1'000},
          {"check again", kCheckAgain, Token::panel, 2'000},
          {"no shelf button", kShelfButton, Token::panel, 0}}},
        {{"--marketing", "--dark"},
         A::dark,
         {{"ground", QRectF(20, 300, 200, 200), Token::ground, 150'000},
          {"mode switch plate", kSwitch, Token::chip, 3'000}}},
        {{"--marketing", "--detailed"},
         A::light,
         {{"main column", kMainColumn, Token::panel, 300'000},
          {"rule under the header", kTopRule, Token::line, 2'000}}},
        {{"--marketing", "--category", "caches", "--dark"},
         A::dark,
         {{"main column", kMainColumn, Token::panel, 300'000},
          {"rule under the header", kTopRule, Token::line, 2'000}}},
        {{"--marketing", "--demo-done", "--detailed"},
         A::light,
         {{"cleared size", kDoneHeadline, Token::signalText, 1'000},
          {"shelf button", kShelfButton, Token::panel, 2'000}}},
        {{"--marketing", "--demo-shelf"},
         A::light,
         {{"shelf button", kShelfButton, Token::panel, 2'000},
          {"ground", QRectF(20, 300, 200, 200), Token::ground, 150'000}}},
        {{"--demo-downloads", "--dark"},
         A::dark,
         {{"ground", QRectF(20, 300, 200, 200), Token::ground, 150'000}}},
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
        for (const Region& region : c.regions) {
            const int count =
                countNear(image, region.rect, Theme::color(region.token, c.appearance));
            if (region.atLeast == 0)
                EXPECT_EQ(count, 0) << region.what;
            else
                EXPECT_GE(count, region.atLeast) << region.what;
        }
        EXPECT_TRUE(demoFoldersGone());
    }
    EXPECT_FALSE(fileExists(env.settingsFile())) << "a snapshot writes no setting";
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
    const std::string before = *readFile(env.settingsFile());
    const RunResult run =
        snapshot(env.dir() / "tools.png",
                 {"--marketing", "--search", "videos over 1 GB", "--space-map", env.home()});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("Measured "), std::string::npos);
    EXPECT_NE(run.out.find(" files under " + env.home() + "\n"), std::string::npos);
    EXPECT_EQ(readFile(env.settingsFile()), before);
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
