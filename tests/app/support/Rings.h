#pragma once

#include "app/design/Pictures.h"
#include "app/support/EventLoop.h"

#include "design/Buttons.h"
#include "design/Theme.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include <string>

namespace kelvora::testing {

// The stop the keyboard is on wears its ring: taking the focus away takes a ring's worth
// of pixels of the ring's colour from around the stop's box (the accent; on the accent
// fill of a SignalButton, its title's colour), and Tab's focus comes back. `top` is the
// window the stop lies in.
inline void expectStopRinged(QWidget& top, QWidget& stop, const std::string& name) {
    settle(std::chrono::milliseconds(20));
    const QRect seen = stop.visibleRegion().boundingRect();
    ASSERT_FALSE(seen.isEmpty()) << name << ": the stop is out of sight";
    const QRect region =
        QRect(stop.mapTo(&top, seen.topLeft()), seen.size()).adjusted(-12, -12, 12, 12) &
        top.rect();
    const auto picture = [&] {
        QImage image(region.size() * 2, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2);
        image.fill(Qt::transparent);
        top.render(&image, QPoint(), QRegion(region));
        return image;
    };
    const QImage ringed = picture();
    stop.clearFocus();
    const QImage plain = picture();
    stop.setFocus(Qt::TabFocusReason);
    const QColor ring = qobject_cast<SignalButton*>(&stop) ? Theme::onSignal() : Theme::signal();
    int lit = 0;
    for (int y = 0; y < ringed.height(); ++y)
        for (int x = 0; x < ringed.width(); ++x)
            if (near(ringed.pixelColor(x, y), ring, 40) &&
                !near(plain.pixelColor(x, y), ringed.pixelColor(x, y), 24))
                ++lit;
    // A 2 px ring around the smallest stop, a 22 px button, is some 250 pixels at ratio 2.
    EXPECT_GE(lit, 120) << name << ": " << stop.metaObject()->className() << " "
                        << stop.objectName().toStdString() << " shows no ring";
    if (lit < 120) keepPicture(ringed, "keyboard-no-ring-" + name);
}

} // namespace kelvora::testing
