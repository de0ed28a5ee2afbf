#include "panes/ReceiptImage.h"

#include "design/Render.h"
#include "panes/ReceiptLayout.h"
#include "platform/FileSystem.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QImageWriter>
#include <QPainter>

#include <cmath>

namespace kelvora::ReceiptImage {

std::optional<QByteArray> png(const Receipt& receipt) {
    ReceiptLayout layout(receipt);
    QSize size(static_cast<int>(std::ceil(layout.size().width())),
               static_cast<int>(std::ceil(layout.size().height())));
    QImage image = Render::picture(size, [&](QPainter& painter) { layout.paint(painter); });
    if (image.isNull()) return std::nullopt;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!QImageWriter(&buffer, "png").write(image)) return std::nullopt;
    return bytes;
}

QString fileName(Date date) {
    auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(date.time_since_epoch()).count();
    QDateTime utc = QDateTime::fromMSecsSinceEpoch(milliseconds, Qt::UTC);
    return "Kelvora receipt " + utc.toString("yyyy-MM-dd") + ".png";
}

std::optional<std::string> file(const Receipt& receipt) {
    auto bytes = png(receipt);
    if (!bytes) return std::nullopt;
    std::string path =
        joinPath(QDir::tempPath().toStdString(), fileName(receipt.date).toStdString());
    if (!writeFileAtomically(path, std::string_view(bytes->constData(), bytes->size())))
        return std::nullopt;
    return path;
}

} // namespace kelvora::ReceiptImage
