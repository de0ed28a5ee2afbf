#include "design/AppIcon.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <QIcon>

namespace kelvora::AppIcon {

namespace {

// Far above any icon's file; a larger one is not read.
constexpr int64_t kFileLimit = 16 * 1024 * 1024;

} // namespace

QImage image(const std::string& icon, int pixels) {
    QIcon found;
    if (startsWith(icon, "/")) {
        const auto file = realPath(icon);
        const auto info = file ? fileInfo(*file) : std::nullopt;
        if (!info || !info->isRegularFile() || info->logicalSize > kFileLimit) return {};
        found = QIcon(QString::fromStdString(*file));
    } else if (!icon.empty()) {
        found = QIcon::fromTheme(QString::fromStdString(icon));
    }
    if (found.isNull()) return {};
    return found.pixmap(QSize(pixels, pixels)).toImage();
}

} // namespace kelvora::AppIcon
