#pragma once

#include "design/Render.h"

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QRectF>

#include <cstdlib>
#include <string>

namespace kelvora::testing {

// The graphical application these tests draw with; false when the process already runs a
// non-graphical one, which cannot be turned into it.
inline bool guiApplication() {
    if (QCoreApplication::instance())
        return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    Render::application();
    return true;
}

#define KELVORA_REQUIRE_GUI()                                                                      \
    if (!kelvora::testing::guiApplication()) {                                                     \
        GTEST_SKIP() << "this process already runs a non-graphical Qt loop";                       \
    }                                                                                              \
    static_assert(true)

// Keeps a picture in the build folder, to be looked at.
inline void keepPicture(const QImage& image, const std::string& name) {
    std::string folder = KELVORA_PICTURES_DIR;
    createDirectories(folder);
    Render::writePng(image, folder + "/" + name + ".png");
}

// The colour at a point given in logical pixels.
inline QColor at(const QImage& image, qreal x, qreal y) {
    qreal ratio = image.devicePixelRatio();
    return image.pixelColor(static_cast<int>(x * ratio), static_cast<int>(y * ratio));
}

inline bool near(const QColor& a, const QColor& b, int tolerance = 8) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance &&
           std::abs(a.alpha() - b.alpha()) <= tolerance;
}

// How many device pixels inside a logical rectangle are close to a colour.
inline int countNear(const QImage& image, const QRectF& logical, const QColor& color,
                     int tolerance = 8) {
    qreal ratio = image.devicePixelRatio();
    QRect area = QRectF(logical.topLeft() * ratio, logical.size() * ratio).toRect() & image.rect();
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (near(image.pixelColor(x, y), color, tolerance)) ++count;
    return count;
}

// How a focused text link whose text fills `text` looks: the accent pixels of the ring
// around it (`ring`: the ring's outer edge) and the accent-text pixels of its words.
struct LinkFocusLook {
    int ring = 0;
    int accentText = 0;
};
inline LinkFocusLook linkFocusLook(const QImage& image, const QRectF& text, const QRectF& ring,
                                   const QColor& accent, const QColor& accentText) {
    LinkFocusLook look;
    look.ring = countNear(image, ring, accent, 40) - countNear(image, text, accent, 40);
    look.accentText = countNear(image, text, accentText, 30);
    return look;
}

// What a colour drawn at `opacity` over another comes out as, rounded as the painter does.
inline QColor blend(const QColor& over, const QColor& under, double opacity) {
    auto mix = [&](int a, int b) {
        return static_cast<int>(a * opacity + b * (1 - opacity) + 0.5);
    };
    return QColor(mix(over.red(), under.red()), mix(over.green(), under.green()),
                  mix(over.blue(), under.blue()));
}

} // namespace kelvora::testing
