#include "panes/PhotoThumbnails.h"

#include "controller/BackgroundTask.h"

#include <QImageReader>

#include <algorithm>

namespace kelvora {

namespace {

// Below the controller's own work, which runs at the pool's default priority.
constexpr int kThumbnailPriority = -1;

} // namespace

QImage decodeThumbnail(const std::string& path, int maxPixels) {
    QImageReader reader(QString::fromStdString(path));
    reader.setAutoTransform(true);
    QSize size = reader.size();
    // The size is the stored one, before turning; keeping the aspect ratio within a square
    // bounds the turned picture the same way.
    if (size.isValid() && std::max(size.width(), size.height()) > maxPixels)
        reader.setScaledSize(size.scaled(maxPixels, maxPixels, Qt::KeepAspectRatio));
    return reader.read();
}

QImage ThumbnailLoader::image(const URL& url, int maxPixels, bool now) {
    Key key{url.path(), maxPixels};
    auto it = slots_.find(key);
    if (it != slots_.end()) {
        if (!it->second.done && now) finish(key, decodeThumbnail(key.first, maxPixels));
        return slots_[key].image;
    }
    slots_[key] = Slot{};
    ++decodesStarted_;
    if (now) {
        finish(key, decodeThumbnail(key.first, maxPixels));
        return slots_[key].image;
    }
    runInBackground(
        this, [key] { return decodeThumbnail(key.first, key.second); },
        [this, key](QImage image) { finish(key, std::move(image)); }, kThumbnailPriority);
    return {};
}

void ThumbnailLoader::finish(const Key& key, QImage image) {
    auto it = slots_.find(key);
    if (it == slots_.end() || it->second.done) return; // let go of, or decoded at once
    it->second = Slot{true, std::move(image)};
    emit loaded();
}

void ThumbnailLoader::keepOnly(const std::unordered_set<std::string>& paths) {
    std::erase_if(slots_, [&](const auto& slot) { return !paths.count(slot.first.first); });
}

} // namespace kelvora
