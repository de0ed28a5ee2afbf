#include "design/DialGeometry.h"

#include "design/Theme.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kelvora {

DialGeometry DialGeometry::forSize(QSizeF size) {
    DialGeometry g;
    g.scale = std::min(size.width() / kDesignWidth, size.height() / kDesignHeight);
    g.center = QPointF(size.width() * 0.5, 205 * g.scale);
    g.radius = 170 * g.scale;
    g.band = 20 * g.scale;
    g.hub = 10 * g.scale;
    return g;
}

QRectF DialGeometry::fittedBox(const QRectF& frame) {
    qreal scale = std::min(frame.width() / kDesignWidth, frame.height() / kDrawnHeight);
    QRectF drawn(QPointF(), QSizeF(kDesignWidth * scale, kDrawnHeight * scale));
    drawn.moveCenter(frame.center());
    return QRectF(drawn.topLeft(), QSizeF(kDesignWidth * scale, kDesignHeight * scale));
}

qreal DialGeometry::angle(double share) {
    if (!(share > 0)) share = 0;
    return std::min(share, 1.0) * 180 + 180;
}

QPointF DialGeometry::point(double share, qreal distance) const {
    double radians = angle(share) * std::numbers::pi / 180;
    return center + QPointF(std::cos(radians), std::sin(radians)) * distance;
}

namespace Dial {

std::vector<DialTick> ticks(int64_t totalBytes, const DialGeometry& g) {
    std::vector<DialTick> result;
    if (totalBytes <= kTickStep) return result;
    int64_t count = totalBytes / kTickStep;
    qreal widthScale = std::max<qreal>(g.scale, 0.8);
    qreal outerDistance = g.radius + 26 * g.scale;
    for (int64_t i = 0; i <= count; ++i) {
        double share = std::clamp(static_cast<double>(i) * static_cast<double>(kTickStep) /
                                      static_cast<double>(totalBytes),
                                  0.0, 1.0);
        bool major = i % 5 == 0;
        qreal length = (major ? 13 : 7) * g.scale;
        result.push_back({share, major, g.point(share, outerDistance - length),
                          g.point(share, outerDistance), (major ? 2.2 : 1.2) * widthScale});
    }
    return result;
}

QPainterPath arc(double from, double to, const DialGeometry& g) {
    QPainterPath path;
    if (from >= to) return path;
    from = std::clamp(from, 0.0, 1.0);
    to = std::clamp(to, 0.0, 1.0);
    // A sliver under a tenth of a degree is too thin to see, and Qt strokes its nearly empty
    // arc as a round blob the width of the band.
    if (DialGeometry::angle(to) - DialGeometry::angle(from) < 0.1) return path;
    QRectF circle(g.center - QPointF(g.radius, g.radius), QSizeF(2 * g.radius, 2 * g.radius));
    // Qt measures angles counter-clockwise on screen, the dial clockwise (y down).
    qreal start = -DialGeometry::angle(from);
    path.arcMoveTo(circle, start);
    path.arcTo(circle, start, -(DialGeometry::angle(to) - DialGeometry::angle(from)));
    return path;
}

QPainterPath needle(double value, const DialGeometry& g) {
    QPainterPath path(g.center);
    path.lineTo(g.point(value, 0.88 * g.radius));
    return path;
}

long long wholePercent(double share) {
    // A hair over the product keeps 0.29 × 100 = 28.999… from reading as 28.
    return static_cast<long long>(std::floor(share * 100 + 1e-9));
}

QString accessibleValue(double used, double after) {
    return QString("%1 percent used now, %2 percent after cleaning")
        .arg(wholePercent(used))
        .arg(wholePercent(after));
}

void paint(QPainter& painter, const QRectF& box, double used, double after, int64_t totalBytes) {
    DialGeometry g = DialGeometry::forSize(box.size());
    painter.save();
    painter.translate(box.topLeft());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);

    for (const DialTick& tick : ticks(totalBytes, g)) {
        painter.setPen(QPen(tick.major ? Theme::ink() : Theme::faint(), tick.width, Qt::SolidLine,
                            Qt::FlatCap));
        painter.drawLine(tick.inner, tick.outer);
    }
    auto band = [&](double from, double to, const QColor& color) {
        painter.setPen(QPen(color, g.band, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        painter.drawPath(arc(from, to, g));
    };
    band(0, 1, Theme::track());
    band(0, after, Theme::ink());
    band(after, used, Theme::signal());
    if (after < used) {
        QPen dashed(Theme::signal(), 2, Qt::CustomDashLine, Qt::FlatCap);
        dashed.setDashPattern({2, 2}); // 4 on, 4 off, in units of the 2 px width
        painter.setPen(dashed);
        painter.drawPath(needle(after, g));
    }
    painter.setPen(QPen(Theme::ink(), 3.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(needle(used, g));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::ink());
    painter.drawEllipse(g.center, g.hub, g.hub);
    painter.setBrush(Theme::signal());
    painter.drawEllipse(g.center, 0.4 * g.hub, 0.4 * g.hub);
    painter.restore();
}

} // namespace Dial
} // namespace kelvora
