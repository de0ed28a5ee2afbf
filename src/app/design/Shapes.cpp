#include "design/Shapes.h"

#include "design/Theme.h"

#include <QPainter>

#include <algorithm>

namespace kelvora::Shapes {

namespace {

// How far along each edge a continuous corner of radius 1 reaches, and the control points
// of its three curves, measured from the corner. These are the usual figures for the
// smooth corner of a rounded app icon.
constexpr qreal kReach = 1.52866483;
constexpr qreal kA = 1.08849323, kB = 0.86840689, kC = 0.63149399, kD = 0.07491100;
constexpr qreal kE = 0.37282392, kF = 0.16905899;

// Adds the corner at `corner`, coming in along `in` and leaving along `out` (unit vectors
// pointing away from the corner along the two edges).
void addCorner(QPainterPath& path, QPointF corner, QPointF in, QPointF out, qreal r) {
    auto at = [&](qreal along, qreal across) { return corner + in * along * r + out * across * r; };
    path.lineTo(at(kReach, 0));
    path.cubicTo(at(kA, 0), at(kB, 0), at(kC, kD));
    path.cubicTo(at(kE, kF), at(kF, kE), at(kD, kC));
    path.cubicTo(at(0, kB), at(0, kA), at(0, kReach));
}

} // namespace

QPainterPath continuousRect(const QRectF& rect, qreal radius) {
    QPainterPath path;
    qreal r = std::clamp(radius, 0.0, std::min(rect.width(), rect.height()) / 2 / kReach);
    if (r <= 0) {
        path.addRect(rect);
        return path;
    }
    const QPointF left(-1, 0), right(1, 0), up(0, -1), down(0, 1);
    path.moveTo(rect.left() + kReach * r, rect.top());
    addCorner(path, rect.topRight(), left, down, r);
    addCorner(path, rect.bottomRight(), up, left, r);
    addCorner(path, rect.bottomLeft(), right, up, r);
    addCorner(path, rect.topLeft(), down, right, r);
    path.closeSubpath();
    return path;
}

void fillRounded(QPainter& painter, const QRectF& rect, qreal radius, const QColor& fill,
                 const QColor& border, qreal borderWidth) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    if (fill.isValid()) painter.fillPath(continuousRect(rect, radius), fill);
    if (border.isValid() && borderWidth > 0) {
        qreal half = borderWidth / 2;
        QRectF inner = rect.adjusted(half, half, -half, -half);
        painter.setPen(QPen(border, borderWidth));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(continuousRect(inner, std::max<qreal>(0, radius - half)));
    }
    painter.restore();
}

QPainterPath capsule(const QRectF& rect) {
    QPainterPath path;
    qreal r = std::min(rect.width(), rect.height()) / 2;
    path.addRoundedRect(rect, r, r);
    return path;
}

void hairline(QPainter& painter, const QRectF& rect, Qt::Orientation orientation) {
    QRectF line = orientation == Qt::Horizontal ? QRectF(rect.left(), rect.top(), rect.width(), 1)
                                                : QRectF(rect.left(), rect.top(), 1, rect.height());
    painter.fillRect(line, Theme::line());
}

} // namespace kelvora::Shapes
