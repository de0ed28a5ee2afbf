#include "design/Render.h"

#include <QApplication>
#include <QBuffer>
#include <QIcon>
#include <QImageWriter>
#include <QPainter>
#include <QStandardPaths>
#include <QWidget>

#include <cmath>

namespace kelvora::Render {

namespace {

// Off screen no desktop names an icon theme: the icons an entry names are looked for as a
// session without a theme of its own looks for them, in hicolor under the data folders.
void useDesktopIcons() {
    if (!QIcon::themeName().isEmpty()) return;
    QStringList paths;
    for (const QString& folder :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        paths << folder + "/icons";
    QIcon::setThemeSearchPaths(paths + QIcon::themeSearchPaths());
    QIcon::setThemeName("hicolor");
}

} // namespace

QApplication& application() {
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return *existing;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "kelvora";
    static char* argv[] = {name, nullptr};
    // Lives until the process ends: renderers and tests draw until then.
    static auto* app = new QApplication(argc, argv);
    useDesktopIcons();
    return *app;
}

QImage widget(QWidget& widget, QSize size, qreal scale) {
    widget.ensurePolished();
    if (size.isValid())
        widget.resize(size);
    else
        widget.adjustSize();
    if (widget.isWindow() && !widget.isVisible()) {
        widget.setAttribute(Qt::WA_DontShowOnScreen);
        widget.show();
    }
    // Layout requests and resizes arrive as posted events; a settled layout may post more.
    for (int round = 0; round < 4; ++round)
        QCoreApplication::sendPostedEvents();
    QImage image(widget.size() * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    widget.render(&image);
    return image;
}

QImage picture(QSize size, const std::function<void(QPainter&)>& draw, qreal scale) {
    QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    draw(painter);
    painter.end();
    return image;
}

FileResult writePng(const QImage& image, const std::string& path) {
    QImage stamped = image;
    int dotsPerMeter = static_cast<int>(std::lround(72 * image.devicePixelRatio() / 0.0254));
    stamped.setDotsPerMeterX(dotsPerMeter);
    stamped.setDotsPerMeterY(dotsPerMeter);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (image.isNull() || !writer.write(stamped))
        return FileResult::failure("Could not write " + path + ": the image could not be encoded");
    return writeFileAtomically(path, std::string_view(bytes.constData(), bytes.size()));
}

} // namespace kelvora::Render
