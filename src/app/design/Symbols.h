#pragma once

#include <QChar>
#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPainter;

namespace kelvora {

// The symbols views name ("checkmark", "folder", "chevron.right"…), drawn from the
// Material Icons font. A name the table lacks draws a neutral square outline rather than
// nothing, so a missing entry shows up in a picture instead of leaving a hole.
namespace Symbols {

// The glyph a symbol name is drawn with; the neutral glyph for an unknown name.
QChar glyph(const QString& name);
bool isKnown(const QString& name);
// Every name the table knows.
QStringList names();
// The icon font at the size a symbol of `size` needs (symbols are sized like the text
// beside them: `size` is that text's size in logical pixels).
QFont font(qreal size);

// Paints a symbol centred in `box`.
void paint(QPainter& painter, const QString& name, const QRectF& box, qreal size,
           const QColor& color);
// The square a symbol of that size takes.
qreal extent(qreal size);

} // namespace Symbols
} // namespace kelvora
