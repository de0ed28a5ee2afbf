#pragma once

#ifndef Q_MOC_RUN
#include "platform/Url.h"
#endif

#include <QImage>
#include <QObject>

#include <map>
#include <string>
#include <unordered_set>
#include <utility>

namespace kelvora {

// A small picture of a photo file, never the full image: decoded at most `maxPixels` on
// its longest side, turned the way the file says it was taken. Null when the file cannot
// be read as an image.
QImage decodeThumbnail(const std::string& path, int maxPixels);

// The thumbnails a pane shows, each decoded once in the background and kept until the
// pane lets it go.
class ThumbnailLoader : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // The thumbnail as far as it is loaded: null until its decode has finished (and for a
    // file that is no image). The first ask starts the decode; `now` decodes at once, for a
    // still picture that cannot wait.
    QImage image(const URL& url, int maxPixels, bool now = false);
    // Lets go of the thumbnails of every other file.
    void keepOnly(const std::unordered_set<std::string>& paths);
    int decodesStarted() const { return decodesStarted_; }

signals:
    // A decode has finished; what shows thumbnails draws again.
    void loaded();

private:
    struct Slot {
        bool done = false;
        QImage image;
    };
    using Key = std::pair<std::string, int>;
    void finish(const Key& key, QImage image);

    std::map<Key, Slot> slots_;
    int decodesStarted_ = 0;
};

} // namespace kelvora
