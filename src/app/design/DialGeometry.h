#pragma once

#include "design/Motion.h"

#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <cstdint>
#include <vector>

class QPainter;

namespace kelvora {

// The disk dial as plain numbers: a semicircle opening upwards, drawn in a 400 × 206 design
// box scaled uniformly to the size it is given. A share of the disk v (0 to 1) sits at the
// angle v × 180 + 180 degrees, screen sense (y down): 0 at the left end, 0.5 at the top,
// 1 at the right end.
struct DialGeometry {
    static constexpr qreal kDesignWidth = 400;
    static constexpr qreal kDesignHeight = 206;
    // The hub hangs below the box, down to 215 units: a view gives it that room.
    static constexpr qreal kDrawnHeight = 215;

    qreal scale = 1;
    QPointF center;     // the needle's pivot, one design unit above the bottom of the box
    qreal radius = 170; // the middle of the band
    qreal band = 20;    // the band's width
    qreal hub = 10;     // the hub's radius

    static DialGeometry forSize(QSizeF size);
    // The 400 : 206 box of the largest dial that fits in `frame` with its hub, centred.
    static QRectF fittedBox(const QRectF& frame);

    // The angle of a share, in degrees; shares below 0 or above 1 are held to the ends.
    static qreal angle(double share);
    // The point `distance` from the centre in the direction of `share`.
    QPointF point(double share, qreal distance) const;
};

// One tick per 10 decimal GB of the disk, every fifth one major.
struct DialTick {
    double share;
    bool major;
    QPointF inner;
    QPointF outer;
    qreal width;
};

namespace Dial {

inline constexpr int64_t kTickStep = 10'000'000'000;
// The dial sweeps up from the left end when it appears, after a short pause…
inline constexpr Motion::Spring kAppearSpring{1.3, 0.7};
inline constexpr double kAppearDelay = 0.15;
// …and swings to new values.
inline constexpr Motion::Spring kChangeSpring{0.9, 0.78};

// Ticks at 0, 10 GB, 20 GB… up to the total; none for a disk of 10 GB or less.
std::vector<DialTick> ticks(int64_t totalBytes, const DialGeometry& geometry);
// The band between two shares (empty when `from` is not below `to`), as a centre line to be
// stroked `band` wide.
QPainterPath arc(double from, double to, const DialGeometry& geometry);
// From the centre out to 0.88 of the radius at `value`.
QPainterPath needle(double value, const DialGeometry& geometry);

// A share as a whole percent, the fraction dropped.
long long wholePercent(double share);
// "87 percent used now, 85 percent after cleaning": whole percents, fractions dropped.
QString accessibleValue(double used, double after);

// Paints the dial at shares `used` and `after` in a 400 : 206 box (see fittedBox).
void paint(QPainter& painter, const QRectF& box, double used, double after, int64_t totalBytes);

} // namespace Dial
} // namespace kelvora
