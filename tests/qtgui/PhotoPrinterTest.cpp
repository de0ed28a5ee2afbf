#include "PhotoPrinter.h"

#include "support/TempDir.h"

#include <QImageWriter>
#include <QPainter>
#include <QPolygon>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

namespace kelvora {
namespace {

using SimilarPhotos::FeaturePrint;
using testing::TempDir;

QColor randomColor(std::mt19937& random) {
    std::uniform_int_distribution<int> channel(0, 255);
    return QColor(channel(random), channel(random), channel(random));
}

// A made-up photo: a graded sky of two colours, a dozen shapes, and sensor noise. The
// background and the shapes have seeds of their own, so two scenes can share a background.
QImage scene(unsigned backgroundSeed, unsigned shapesSeed, int width = 800, int height = 600) {
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 random(backgroundSeed);
    std::uniform_real_distribution<double> unit(0, 1);
    QPainter painter(&image);
    QLinearGradient sky(unit(random) * width, 0, unit(random) * width, height);
    sky.setColorAt(0, randomColor(random));
    sky.setColorAt(1, randomColor(random));
    painter.fillRect(image.rect(), sky);

    random.seed(shapesSeed);
    std::uniform_int_distribution<int> x(-50, width), y(-50, height), extent(40, 320), kind(0, 2);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 12; ++i) {
        painter.setBrush(randomColor(random));
        QRect box(x(random), y(random), extent(random), extent(random));
        if (int k = kind(random); k == 0)
            painter.drawEllipse(box);
        else if (k == 1)
            painter.drawRect(box);
        else
            painter.drawPolygon(QPolygon({box.topLeft(), box.bottomRight(), box.bottomLeft()}));
    }
    painter.end();

    std::normal_distribution<double> noise(0, 6);
    for (int row = 0; row < height; ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        for (int column = 0; column < width; ++column) {
            auto jitter = [&](int v) {
                return std::clamp(v + static_cast<int>(noise(random)), 0, 255);
            };
            QRgb p = line[column];
            line[column] = qRgb(jitter(qRed(p)), jitter(qGreen(p)), jitter(qBlue(p)));
        }
    }
    return image;
}

QImage exposed(const QImage& image, double factor) {
    QImage out = image.copy();
    for (int row = 0; row < out.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(row));
        for (int column = 0; column < out.width(); ++column) {
            auto scale = [&](int v) { return std::clamp(static_cast<int>(v * factor), 0, 255); };
            line[column] = qRgb(scale(qRed(line[column])), scale(qGreen(line[column])),
                                scale(qBlue(line[column])));
        }
    }
    return out;
}

QImage cropped(const QImage& image, double margin) {
    int dx = static_cast<int>(image.width() * margin),
        dy = static_cast<int>(image.height() * margin);
    return image.copy(dx, dy, image.width() - 2 * dx, image.height() - 2 * dy);
}

std::string saved(const TempDir& dir, const QImage& image, const std::string& name,
                  int quality = -1) {
    std::string path = dir / name;
    QImageWriter writer(QString::fromStdString(path));
    if (quality > 0) writer.setQuality(quality);
    EXPECT_TRUE(writer.write(image)) << name;
    return path;
}

float distance(const std::optional<FeaturePrint>& a, const std::optional<FeaturePrint>& b) {
    EXPECT_TRUE(a && b);
    if (!a || !b) return 1e9f;
    return *a->distance(*b);
}

std::optional<FeaturePrint> printFile(const std::string& path) {
    return PhotoPrinter::print(URL::fileURL(path));
}

// Calibration, 24 generated scenes (every fourth sharing its background with the one before),
// each against eight versions of itself and the other scenes. Largest distance to a version
// of the same picture, by kind of change:
//   JPEG quality 50           0.005    15% darker                 0.061
//   half size (PNG)           0.009    15% brighter               0.085
//   quarter size, JPEG 75     0.023    3% cropped off each side   0.154
//   cropped 3%, 10% darker, JPEG 70    0.156
//   5% cropped off each side  0.229
// Different scenes: smallest 0.392, then 0.432 and 0.453; tenth percentile 0.592, median 0.793.
// So the finder's threshold of 0.3 sits between the two with room on both sides.
TEST(PhotoPrinter, CalibrationSeparatesSamePictureFromDifferentOnes) {
    TempDir dir;
    constexpr int kScenes = 24;
    std::vector<std::optional<FeaturePrint>> originals;
    float sameMax = 0, differentMin = 1e9f;
    std::string sameWorst, differentWorst;
    for (int s = 0; s < kScenes; ++s) {
        unsigned background = static_cast<unsigned>(s % 4 == 3 ? s - 1 : s) * 7919u + 1;
        QImage original = scene(background, static_cast<unsigned>(s) * 104729u + 3);
        std::string name = "scene" + std::to_string(s);
        originals.push_back(printFile(saved(dir, original, name + ".png")));
        QImage half = original.scaled(400, 300, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QImage quarter = original.scaled(200, 150, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        std::vector<std::pair<std::string, std::optional<FeaturePrint>>> versions = {
            {"JPEG q50", printFile(saved(dir, original, name + ".jpg", 50))},
            {"half size", printFile(saved(dir, half, name + "-half.png"))},
            {"quarter size JPEG", printFile(saved(dir, quarter, name + "-quarter.jpg", 75))},
            {"15% brighter", PhotoPrinter::print(exposed(original, 1.15))},
            {"15% darker", PhotoPrinter::print(exposed(original, 0.85))},
            {"3% cropped", PhotoPrinter::print(cropped(original, 0.03))},
            {"5% cropped", PhotoPrinter::print(cropped(original, 0.05))},
            {"cropped, darker, JPEG",
             printFile(saved(dir, exposed(cropped(original, 0.03), 0.9), name + "-mixed.jpg", 70))},
        };
        for (const auto& [label, version] : versions) {
            float d = distance(originals.back(), version);
            if (d > sameMax) sameMax = d, sameWorst = name + " " + label;
        }
    }
    for (int a = 0; a < kScenes; ++a)
        for (int b = a + 1; b < kScenes; ++b) {
            float d = distance(originals[a], originals[b]);
            if (d < differentMin)
                differentMin = d, differentWorst = std::to_string(a) + " and " + std::to_string(b);
        }
    EXPECT_LE(sameMax, SimilarPhotos::threshold) << sameWorst;
    EXPECT_GT(differentMin, SimilarPhotos::threshold) << "scenes " << differentWorst;
}

TEST(PhotoPrinter, OrientationIsApplied) {
    TempDir dir;
    QImage upright = scene(11, 12, 640, 480);
    QImage turned = upright.transformed(QTransform().rotate(-90));
    std::string tagged = dir / "tagged.jpg";
    QImageWriter writer(QString::fromStdString(tagged));
    writer.setQuality(90);
    writer.setTransformation(QImageIOHandler::TransformationRotate90);
    ASSERT_TRUE(writer.write(turned));
    std::string untagged = saved(dir, turned, "untagged.jpg", 90);

    auto reference = PhotoPrinter::print(upright);
    EXPECT_LT(distance(reference, printFile(tagged)), 0.05f);
    EXPECT_GT(distance(reference, printFile(untagged)), SimilarPhotos::threshold);
}

TEST(PhotoPrinter, HeadersUnreadableFilesAndFlatPictures) {
    TempDir dir;
    std::string photo = saved(dir, scene(1, 2, 1600, 1200), "big.jpg", 80);
    EXPECT_EQ(PhotoPrinter::pixels(URL::fileURL(photo)), 1600 * 1200);
    std::string text = dir.write("notes.jpg", "not a picture");
    std::string empty = dir.write("empty.png", "");
    for (const std::string& path : {text, empty, dir / "missing.png"}) {
        EXPECT_EQ(PhotoPrinter::pixels(URL::fileURL(path)), 0) << path;
        EXPECT_FALSE(printFile(path)) << path;
    }

    // A big photo is printed from its thumbnail, as close to the picture as a smaller copy.
    auto thumbnailPrint = printFile(photo);
    EXPECT_LT(distance(thumbnailPrint, PhotoPrinter::print(scene(1, 2, 1600, 1200))), 0.05f);

    QImage red(300, 200, QImage::Format_RGB32), blue(300, 200, QImage::Format_RGB32);
    red.fill(Qt::red);
    blue.fill(Qt::blue);
    auto redPrint = PhotoPrinter::print(red);
    ASSERT_TRUE(redPrint);
    for (float value : redPrint->values)
        EXPECT_FALSE(std::isnan(value));
    EXPECT_GT(distance(redPrint, PhotoPrinter::print(blue)), SimilarPhotos::threshold);
    EXPECT_GT(distance(redPrint, PhotoPrinter::print(scene(3, 4))), SimilarPhotos::threshold);
}

TEST(PhotoPrinter, FinderGroupsCopiesAndKeepsTheLargest) {
    TempDir dir;
    for (int s = 0; s < 3; ++s) {
        QImage original = scene(static_cast<unsigned>(s) + 40, static_cast<unsigned>(s) + 90);
        std::string name = "shot" + std::to_string(s);
        saved(dir, original, name + ".png");
        saved(dir, original.scaled(400, 300, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
              name + "-small.jpg", 85);
    }
    saved(dir, scene(77, 78), "lonely.jpg", 85);
    sync();
    std::vector<URL> photos = SimilarPhotos::photos({dir.url()}, 1, 5000);
    ASSERT_EQ(photos.size(), 7u);
    std::vector<SimilarPhotos::Group> groups = SimilarPhotos::find(photos, PhotoPrinter::live());
    ASSERT_EQ(groups.size(), 3u);
    for (const auto& group : groups) {
        std::string keep = group.keep.lastPathComponent();
        ASSERT_EQ(group.extras.size(), 1u) << keep;
        EXPECT_EQ(keep.substr(keep.size() - 4), ".png");
        EXPECT_EQ(group.extras[0].lastPathComponent(), keep.substr(0, 5) + "-small.jpg");
    }
}

} // namespace
} // namespace kelvora
