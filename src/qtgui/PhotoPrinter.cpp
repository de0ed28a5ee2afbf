#include "PhotoPrinter.h"

#include <QImage>
#include <QImageReader>
#include <QString>

#include <array>
#include <cmath>
#include <numbers>

namespace kelvora::PhotoPrinter {

namespace {

// The print is the low-frequency shape of the picture's brightness (a cosine transform of a
// 32 x 32 grid, keeping the 8 x 8 lowest frequencies without the mean) scaled to a fixed
// length, followed by its mean brightness and colour. Brightness and contrast changes barely
// move the shape; re-encoding and resizing change the grid by little more than noise.
constexpr int kGrid = 32;
constexpr int kFrequencies = 8;
// Calibrated on generated pictures (see the printer's tests): the same picture re-encoded,
// resized, re-exposed or cropped by a few percent lands well under 0.3, different pictures
// well above it.
constexpr float kShapeWeight = 0.54f;
constexpr float kToneWeight = 0.54f;

using Grid = std::array<std::array<double, kGrid>, kGrid>;

struct Tone {
    double luma = 0, blue = 0, red = 0;
};

QImage gridSized(const QImage& image) {
    if (image.width() >= kGrid && image.height() >= kGrid)
        return image.convertToFormat(QImage::Format_RGB32);
    return image.scaled(kGrid, kGrid, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

// Averages every pixel into its cell of the grid (an area average, whatever the size).
Grid lumaGrid(const QImage& image, Tone& tone) {
    Grid sums{}, counts{};
    const int width = image.width(), height = image.height();
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        const int row = y * kGrid / height;
        for (int x = 0; x < width; ++x) {
            const double r = qRed(line[x]) / 255.0, g = qGreen(line[x]) / 255.0,
                         b = qBlue(line[x]) / 255.0;
            const double luma = 0.299 * r + 0.587 * g + 0.114 * b;
            const int column = x * kGrid / width;
            sums[row][column] += luma;
            counts[row][column] += 1;
            tone.luma += luma;
            tone.blue += b - luma;
            tone.red += r - luma;
        }
    }
    const double pixelCount = static_cast<double>(width) * height;
    tone.luma /= pixelCount;
    tone.blue /= pixelCount;
    tone.red /= pixelCount;
    for (int row = 0; row < kGrid; ++row)
        for (int column = 0; column < kGrid; ++column)
            sums[row][column] /= std::max(1.0, counts[row][column]);
    return sums;
}

const std::array<std::array<double, kGrid>, kFrequencies>& cosines() {
    static const auto table = [] {
        std::array<std::array<double, kGrid>, kFrequencies> t{};
        for (int u = 0; u < kFrequencies; ++u)
            for (int x = 0; x < kGrid; ++x)
                t[u][x] = std::cos((2 * x + 1) * u * std::numbers::pi / (2 * kGrid));
        return t;
    }();
    return table;
}

std::vector<float> shapeOf(const Grid& grid) {
    const auto& c = cosines();
    std::vector<double> coefficients;
    for (int v = 0; v < kFrequencies; ++v)
        for (int u = 0; u < kFrequencies; ++u) {
            if (u == 0 && v == 0) continue;
            double sum = 0;
            for (int y = 0; y < kGrid; ++y)
                for (int x = 0; x < kGrid; ++x)
                    sum += grid[y][x] * c[u][x] * c[v][y];
            coefficients.push_back(sum);
        }
    double length = 0;
    for (double value : coefficients)
        length += value * value;
    length = std::sqrt(length);
    std::vector<float> shape;
    // A flat picture has no shape; its print is its tone alone.
    for (double value : coefficients)
        shape.push_back(length > 1e-6 ? static_cast<float>(kShapeWeight * value / length) : 0.0f);
    return shape;
}

} // namespace

std::optional<SimilarPhotos::FeaturePrint> print(const QImage& image) {
    if (image.isNull() || image.width() < 1 || image.height() < 1) return std::nullopt;
    Tone tone;
    Grid grid = lumaGrid(gridSized(image), tone);
    SimilarPhotos::FeaturePrint result{shapeOf(grid)};
    for (double value : {tone.luma, tone.blue, tone.red})
        result.values.push_back(static_cast<float>(kToneWeight * value));
    return result;
}

std::optional<SimilarPhotos::FeaturePrint> print(const URL& url) {
    QImageReader reader(QString::fromStdString(url.path()));
    reader.setAutoTransform(true);
    QSize size = reader.size();
    if (size.isValid() && std::max(size.width(), size.height()) > kThumbnailSize)
        reader.setScaledSize(size.scaled(kThumbnailSize, kThumbnailSize, Qt::KeepAspectRatio));
    QImage thumbnail = reader.read();
    if (thumbnail.isNull()) return std::nullopt;
    return print(thumbnail);
}

int64_t pixels(const URL& url) {
    QImageReader reader(QString::fromStdString(url.path()));
    QSize size = reader.size();
    if (!size.isValid()) return 0;
    return static_cast<int64_t>(size.width()) * size.height();
}

SimilarPhotos::Printer live() {
    return {[](const URL& url) { return print(url); }, [](const URL& url) { return pixels(url); }};
}

} // namespace kelvora::PhotoPrinter
