#pragma once

#include <QColor>
#include <QFocusEvent>
#include <QRectF>

class QPainter;

namespace kelvora::Focus {

// A control shows its focus ring only when the keyboard brought the focus there; a click
// already shows where the user is. Call from focusInEvent and focusOutEvent with the
// control's flag: leaving and coming back to the window keeps what the flag was.
inline void track(bool& keyboardFocus, const QFocusEvent* event) {
    Qt::FocusReason reason = event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
    keyboardFocus =
        event->gotFocus() && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                              reason == Qt::ShortcutFocusReason);
}

// A 2 px ring drawn just inside `rect`'s rounded edge, by default in the accent colour.
void paintRing(QPainter& painter, const QRectF& rect, qreal radius, const QColor& color = {});

} // namespace kelvora::Focus
