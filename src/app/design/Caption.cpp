#include "design/Caption.h"

#include "design/Fonts.h"
#include "design/Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace kelvora {

Caption::Caption(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAccessibleName(text);
}

void Caption::setText(const QString& text) {
    text_ = text;
    setAccessibleName(text);
    updateGeometry();
    update();
}

QFont Caption::font() {
    QFont font = Fonts::text(11, QFont::Medium);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.9);
    return font;
}

QSizeF Caption::idealSize(const QString& text) {
    QFontMetricsF metrics(font());
    return {metrics.horizontalAdvance(shown(text)), metrics.height()};
}

void Caption::paint(QPainter& painter, const QRectF& rect, const QString& text) {
    painter.save();
    painter.setFont(font());
    painter.setPen(Theme::faint());
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown(text));
    painter.restore();
}

QSize Caption::sizeHint() const {
    QSizeF size = idealSize(text_);
    return {static_cast<int>(std::ceil(size.width())), static_cast<int>(std::ceil(size.height()))};
}

void Caption::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, rect(), text_);
}

} // namespace kelvora
