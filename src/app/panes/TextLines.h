#pragma once

#include <QFont>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QStringList>

class QColor;
class QPainter;

namespace kelvora {

// A text broken into lines for a width once, when the layout is made, so painting only
// draws the lines it was given.
struct TextLines {
    QFont font;
    QStringList lines;
    qreal lineHeight = 0;
    qreal spacing = 0; // extra space between two lines
    qreal width = 0;   // the widest line

    // Breaks at word boundaries to fit `width` (a word longer than the width is broken too);
    // `spacing` is added between lines.
    static TextLines wrap(const QString& text, const QFont& font, qreal width, qreal spacing = 0);
    // One line, shortened in the middle with an ellipsis when it is wider than `width`.
    static TextLines elided(const QString& text, const QFont& font, qreal width);

    QSizeF size() const;
    QString text() const { return lines.join(' '); }
    // Draws the lines from `topLeft`, each aligned within `boxWidth` as `alignment` says.
    void paint(QPainter& painter, QPointF topLeft, qreal boxWidth, const QColor& color,
               Qt::Alignment alignment = Qt::AlignLeft) const;
};

} // namespace kelvora
