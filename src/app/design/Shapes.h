#pragma once

#include <QColor>
#include <QPainterPath>
#include <QRectF>

class QPainter;

namespace kelvora::Shapes {

// A rounded rectangle with continuous corners: the curvature eases in along each edge
// instead of starting abruptly as a circular arc does. Every card, button and badge uses it.
// The radius shrinks to fit a rectangle too small for it.
QPainterPath continuousRect(const QRectF& rect, qreal radius);

// Fills a continuous rounded rectangle and, when `border` is valid, draws a border of
// `borderWidth` inside its edge.
void fillRounded(QPainter& painter, const QRectF& rect, qreal radius, const QColor& fill,
                 const QColor& border = {}, qreal borderWidth = 1);

// A capsule: a rectangle whose short sides are half circles.
QPainterPath capsule(const QRectF& rect);

// A separator: a rectangle 1 px thick filled with the line colour, along the top edge
// of `rect` (horizontal) or its left edge (vertical).
void hairline(QPainter& painter, const QRectF& rect, Qt::Orientation orientation);

} // namespace kelvora::Shapes
