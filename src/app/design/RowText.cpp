#include "design/RowText.h"

#include <QFontMetricsF>
#include <QPainter>

namespace kelvora {

namespace {

void paintLine(QPainter& painter, const QRectF& box, const RowLine& line) {
    QFontMetricsF metrics(line.font);
    painter.setFont(line.font);
    painter.setPen(line.color);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     metrics.elidedText(line.text, line.elide, box.width()));
}

} // namespace

void paintTitleAndDetail(QPainter& painter, const QRectF& box, const RowLine& title,
                         const RowLine& detail, qreal gap) {
    qreal first = QFontMetricsF(title.font).height();
    qreal second = QFontMetricsF(detail.font).height();
    qreal top = box.center().y() - (first + gap + second) / 2;
    paintLine(painter, QRectF(box.left(), top, box.width(), first), title);
    paintLine(painter, QRectF(box.left(), top + first + gap, box.width(), second), detail);
}

} // namespace kelvora
