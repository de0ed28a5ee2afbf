#include "panes/Hairline.h"

#include "design/Theme.h"

#include <QPainter>

namespace kelvora {

Hairline::Hairline(Qt::Orientation orientation, QWidget* parent) : QWidget(parent) {
    if (orientation == Qt::Horizontal)
        setFixedHeight(1);
    else
        setFixedWidth(1);
}

void Hairline::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), Theme::line());
}

Filled::Filled(Token token, QWidget* parent) : QWidget(parent), token_(token) {}

void Filled::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), Theme::color(token_));
}

} // namespace kelvora
