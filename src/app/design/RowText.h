#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

class QPainter;

namespace kelvora {

// One single line of a painted row, cut short where it is wider than its box.
struct RowLine {
    QString text;
    QFont font;
    QColor color;
    Qt::TextElideMode elide = Qt::ElideRight;
};

// Paints a title over its detail, `gap` apart, the pair centred on the middle of `box` and
// each line as wide as it: the two lines of a list row or a footer.
void paintTitleAndDetail(QPainter& painter, const QRectF& box, const RowLine& title,
                         const RowLine& detail, qreal gap);

} // namespace kelvora
