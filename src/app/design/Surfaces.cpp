#include "design/Surfaces.h"

#include "design/Shapes.h"

#include <QPainter>

namespace kelvora {

Hairline::Hairline(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), orientation_(orientation) {
    if (orientation == Qt::Horizontal) {
        setFixedHeight(1);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    } else {
        setFixedWidth(1);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    }
}

void Hairline::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Shapes::hairline(painter, rect(), orientation_);
}

Filled::Filled(Token fill, QWidget* parent) : QWidget(parent), fill_(fill) {}

void Filled::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), Theme::color(fill_));
}

} // namespace kelvora
