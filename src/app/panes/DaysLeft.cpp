#include "panes/DaysLeft.h"

#include "design/Shapes.h"
#include "design/Theme.h"
#include "panes/ShelfLayout.h"

#include <QPainter>

#include <algorithm>

namespace kelvora {

DaysLeft::DaysLeft(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCount({});
}

void DaysLeft::setCount(ShelfText::DaysLeftCount count, std::optional<int> columns) {
    count_ = count;
    columns_ = columns;
    setAccessibleName(QString::fromStdString(ShelfText::daysLeftLabel(count)));
    updateGeometry();
    update();
}

int DaysLeft::columns() const {
    return columns_.value_or(ShelfText::squares(count_).total);
}

void DaysLeft::paint(QPainter& painter, QPointF topLeft, ShelfText::DaysLeftCount count,
                     int columns) {
    ShelfText::DaysLeftCount shown = ShelfText::squares(count);
    QColor fill = ShelfText::isLastDay(count.days) ? Theme::signal() : Theme::ink();
    const qreal pitch = ShelfLayout::kSquare + ShelfLayout::kSquareGap;
    columns = std::max(1, columns);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < shown.total; ++i) {
        QRectF square(topLeft.x() + (i % columns) * pitch, topLeft.y() + (i / columns) * pitch,
                      ShelfLayout::kSquare, ShelfLayout::kSquare);
        if (i < shown.days)
            Shapes::fillRounded(painter, square, 2, fill);
        else
            Shapes::fillRounded(painter, square, 2, QColor(), Theme::line());
    }
    painter.restore();
}

QSize DaysLeft::sizeHint() const {
    return ShelfLayout::barSize(count_, columns()).toSize();
}

void DaysLeft::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, {0, 0}, count_, columns());
}

} // namespace kelvora
