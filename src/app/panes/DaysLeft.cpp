#include "panes/DaysLeft.h"

#include "design/Shapes.h"
#include "design/Theme.h"
#include "panes/ShelfLayout.h"

#include <QPainter>

#include <cmath>

namespace kelvora {

DaysLeft::DaysLeft(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCount({});
}

void DaysLeft::setCount(ShelfText::DaysLeftCount count) {
    count_ = count;
    setAccessibleName(QString::fromStdString(ShelfText::daysLeftLabel(count)));
    updateGeometry();
    update();
}

void DaysLeft::paint(QPainter& painter, QPointF topLeft, ShelfText::DaysLeftCount count) {
    ShelfText::DaysLeftCount shown = ShelfText::squares(count);
    QColor fill = ShelfText::isLastDay(count.days) ? Theme::signal() : Theme::ink();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < shown.total; ++i) {
        QRectF square(topLeft.x() + i * (ShelfLayout::kSquare + ShelfLayout::kSquareGap),
                      topLeft.y(), ShelfLayout::kSquare, ShelfLayout::kSquare);
        if (i < shown.days)
            Shapes::fillRounded(painter, square, 2, fill);
        else
            Shapes::fillRounded(painter, square, 2, QColor(), Theme::line());
    }
    painter.restore();
}

QSize DaysLeft::sizeHint() const {
    return {static_cast<int>(std::ceil(ShelfLayout::barWidth(count_))),
            static_cast<int>(ShelfLayout::kSquare)};
}

void DaysLeft::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, {0, 0}, count_);
}

} // namespace kelvora
