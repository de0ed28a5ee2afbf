#include "app/design/Pictures.h"
#include "app/support/IsolatedHome.h"
#include "app/support/RunKelvora.h"

#include <QImage>

#include <gtest/gtest.h>

namespace kelvora::testing {
namespace {

// The renderers run as a packager would: no display and no platform named.
RunResult runHeadless(const std::vector<std::string>& arguments) {
    return runKelvora(arguments,
                      {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}});
}

TEST(ArtworkTest, TheIconSetIsTenTransparentCorneredPicturesWrittenWithNoDisplay) {
    IsolatedHome env;
    std::string folder = env.dir() / "made/on/demand";
    auto run = runHeadless({"--render-icon", folder});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out, "Wrote " + folder + "\n");

    struct Icon {
        const char* name;
        int pixels;
        bool marks;
    };
    const Icon icons[] = {
        {"icon_16x16.png", 16, false},   {"icon_16x16@2x.png", 32, false},
        {"icon_32x32.png", 32, false},   {"icon_32x32@2x.png", 64, false},
        {"icon_128x128.png", 128, true}, {"icon_128x128@2x.png", 256, true},
        {"icon_256x256.png", 256, true}, {"icon_256x256@2x.png", 512, true},
        {"icon_512x512.png", 512, true}, {"icon_512x512@2x.png", 1024, true},
    };
    for (const Icon& icon : icons) {
        SCOPED_TRACE(icon.name);
        QImage image(QString::fromStdString(folder + "/" + icon.name));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(icon.pixels, icon.pixels));
        int last = icon.pixels - 1;
        for (QPoint corner : {QPoint(0, 0), QPoint(last, 0), QPoint(0, last), QPoint(last, last)})
            EXPECT_EQ(image.pixelColor(corner).alpha(), 0);
        EXPECT_EQ(image.pixelColor(icon.pixels / 2, icon.pixels / 8).alpha(), 255) << "the tile";
        // On the sixth scale mark, upper left on the dial's rim, 205 units out from a centre
        // 70 units below the middle: marks 8 units long repeat every 38 along the rim.
        double s = icon.pixels / 1024.0, radians = M_PI + (5 * 38 + 4) / 205.0;
        QPointF mark =
            QPointF(512, 582) * s + QPointF(std::cos(radians), std::sin(radians)) * 205 * s;
        QColor atMark = image.pixelColor(mark.toPoint());
        EXPECT_EQ(atMark.lightness() > 70, icon.marks) << atMark.name().toStdString();
    }

    auto again = runHeadless({"--render-icon", folder});
    EXPECT_EQ(again.status, 0) << "files of the same names are replaced";
}

TEST(ArtworkTest, TheInstallerBackgroundHasItsPaperGridArrowAndTitleAtBothScales) {
    IsolatedHome env;
    auto run = runHeadless({"--dmg-background", env.tmp()});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out, "Wrote " + env.tmp() + "\n");
    for (int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        QImage image(QString::fromStdString(
            env.tmp() + (scale == 1 ? "/background.png" : "/background@2x.png")));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(660, 400) * scale);
        image.setDevicePixelRatio(scale);
        if (scale == 2) keepPicture(image, "installer-background");
        EXPECT_TRUE(near(at(image, 10, 10), QColor(0xF4F2ED)));
        EXPECT_TRUE(near(at(image, 660 - 0.5, 250), QColor(0xE4E1D9), 12))
            << "the grid reaches the right edge";
        EXPECT_TRUE(near(at(image, 330, 385), QColor(0xECEAE4)));
        EXPECT_TRUE(near(at(image, 10, 360), QColor(0xD6D3CB), 16));
        EXPECT_TRUE(near(at(image, 394, 187), QColor(0xE8590C), 40)) << "the arrow head";
        EXPECT_GT(countNear(image, QRectF(180, 34, 300, 40), QColor(0x1A1A18), 40), 100)
            << "the title";
        EXPECT_GT(countNear(image, QRectF(18, 360, 220, 40), QColor(0x5F5D57), 40), 40)
            << "the footer";
    }
}

TEST(ArtworkTest, AFileThatCannotBeWrittenIsReportedAndFailsTheRun) {
    IsolatedHome env;
    std::string blocker = env.dir().write("a-file", "not a folder");
    for (const char* mode : {"--render-icon", "--dmg-background"}) {
        SCOPED_TRACE(mode);
        auto run = runHeadless({mode, blocker + "/art"});
        EXPECT_EQ(run.status, 1);
        std::string first =
            mode == std::string("--render-icon") ? "icon_16x16.png" : "background.png";
        EXPECT_EQ(run.out.rfind("Could not write " + blocker + "/art/" + first + ": ", 0), 0u)
            << run.out;
        EXPECT_EQ(run.out.find("Wrote"), std::string::npos);
    }
}

} // namespace
} // namespace kelvora::testing
