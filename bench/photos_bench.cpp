// kelvora_photos_bench [COUNT]: prints per second of the photo printer on generated 12-megapixel
// JPEG photos, beside decoding the same thumbnails alone, and the ratio of the two.
#include "PhotoPrinter.h"

#include "Timing.h"

#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

using namespace kelvora;
using kelvora::bench::secondsOf;

namespace {

std::string writePhoto(const std::string& folder, int index) {
    std::mt19937 random(static_cast<unsigned>(index));
    std::uniform_int_distribution<int> channel(0, 255), x(0, 4000), y(0, 3000), extent(100, 1500);
    QImage image(4000, 3000, QImage::Format_RGB32);
    image.fill(QColor(channel(random), channel(random), channel(random)));
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 40; ++i) {
        painter.setBrush(QColor(channel(random), channel(random), channel(random)));
        painter.drawEllipse(x(random), y(random), extent(random), extent(random));
    }
    painter.end();
    std::string path = folder + "/photo" + std::to_string(index) + ".jpg";
    QImageWriter writer(QString::fromStdString(path));
    writer.setQuality(90);
    writer.write(image);
    return path;
}

} // namespace

int main(int argc, char** argv) {
    int count = argc > 1 ? std::atoi(argv[1]) : 24;
    if (count < 1) {
        std::fprintf(stderr, "usage: kelvora_photos_bench [COUNT]\n");
        return 2;
    }
    char pattern[] = "/tmp/kelvora-photos-bench-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    std::vector<URL> photos;
    for (int i = 0; i < count; ++i)
        photos.push_back(URL::fileURL(writePhoto(pattern, i)));

    int printed = 0;
    double printing = secondsOf([&] {
        for (const URL& photo : photos)
            printed += PhotoPrinter::print(photo) ? 1 : 0;
    });
    double decoding = secondsOf([&] {
        for (const URL& photo : photos) {
            QImageReader reader(QString::fromStdString(photo.path()));
            reader.setAutoTransform(true);
            reader.setScaledSize(reader.size().scaled(
                PhotoPrinter::kThumbnailSize, PhotoPrinter::kThumbnailSize, Qt::KeepAspectRatio));
            reader.read();
        }
    });
    double finding = secondsOf([&] { SimilarPhotos::find(photos, PhotoPrinter::live()); });
    std::printf("photos %d (4000 x 3000 JPEG), printed %d\n", count, printed);
    std::printf("prints per second, one thread %.1f\n", count / printing);
    std::printf("thumbnail decodes per second %.1f\n", count / decoding);
    std::printf("print time / decode time %.2f\n", printing / decoding);
    std::printf("find, all threads, photos per second %.1f\n", count / finding);
    std::system(("rm -rf '" + std::string(pattern) + "'").c_str());
    return 0;
}
