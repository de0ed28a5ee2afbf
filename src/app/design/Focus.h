#pragma once

#include <QColor>
#include <QFocusEvent>
#include <QRectF>

class QPainter;

namespace kelvora::Focus {

// A control shows its focus ring only when the keyboard brought the focus there; a click
// already shows where the user is.
inline bool cameFromKeyboard(const QFocusEvent* event) {
    Qt::FocusReason reason = event->reason();
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
           reason == Qt::ShortcutFocusReason;
}

// A 2 px ring drawn just inside `rect`'s rounded edge, by default in the accent colour.
void paintRing(QPainter& painter, const QRectF& rect, qreal radius, const QColor& color = {});

} // namespace kelvora::Focus
