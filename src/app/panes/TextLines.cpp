#include "panes/TextLines.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>

namespace kelvora {

TextLines TextLines::wrap(const QString& text, const QFont& font, qreal width, qreal spacing) {
    QFontMetricsF metrics(font);
    TextLines result{font, {}, metrics.height(), spacing, 0};
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max<qreal>(width, 1));
        QString piece = text.mid(line.textStart(), line.textLength()).trimmed();
        result.lines << piece;
        result.width = std::max(result.width, metrics.horizontalAdvance(piece));
    }
    layout.endLayout();
    return result;
}

TextLines TextLines::elided(const QString& text, const QFont& font, qreal width) {
    QFontMetricsF metrics(font);
    QString shown = metrics.elidedText(text, Qt::ElideMiddle, width);
    return {font, {shown}, metrics.height(), 0, std::min(metrics.horizontalAdvance(shown), width)};
}

QSizeF TextLines::size() const {
    if (lines.isEmpty()) return {0, 0};
    return {width, lines.size() * lineHeight + (lines.size() - 1) * spacing};
}

void TextLines::paint(QPainter& painter, QPointF topLeft, qreal boxWidth, const QColor& color,
                      Qt::Alignment alignment) const {
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    qreal y = topLeft.y();
    for (const QString& line : lines) {
        painter.drawText(
            QRectF(topLeft.x(), y, boxWidth, lineHeight),
            (alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter | Qt::TextSingleLine, line);
        y += lineHeight + spacing;
    }
    painter.restore();
}

} // namespace kelvora
