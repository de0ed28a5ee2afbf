#include "panes/WrappedText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace kelvora {

namespace Wrapped {

namespace {

// Lays the text out in lines of `width`; the height of all lines with their spacing.
qreal layOut(QTextLayout& layout, qreal width, qreal lineSpacing, Qt::Alignment alignment) {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setAlignment(alignment);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    bool first = true;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        if (!first) y += lineSpacing;
        first = false;
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    return y;
}

} // namespace

qreal height(const QString& text, const QFont& font, qreal width, qreal lineSpacing) {
    if (text.isEmpty()) return 0;
    QTextLayout layout(text, font);
    return layOut(layout, width, lineSpacing, Qt::AlignLeft);
}

void paint(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
           const QColor& color, Qt::Alignment alignment, qreal lineSpacing) {
    if (text.isEmpty()) return;
    QTextLayout layout(text, font);
    layOut(layout, rect.width(), lineSpacing, alignment);
    painter.save();
    painter.setPen(color);
    layout.draw(&painter, rect.topLeft());
    painter.restore();
}

} // namespace Wrapped

WrappedText::WrappedText(const QFont& font, Token color, QWidget* parent)
    : QWidget(parent), font_(font), color_(color) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void WrappedText::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    setAccessibleName(text);
    updateGeometry();
    update();
}

void WrappedText::setColor(Token color) {
    color_ = color;
    update();
}

void WrappedText::setAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    update();
}

void WrappedText::setLineSpacing(qreal spacing) {
    lineSpacing_ = spacing;
    updateGeometry();
}

int WrappedText::heightForWidth(int width) const {
    return static_cast<int>(std::ceil(Wrapped::height(text_, font_, width, lineSpacing_)));
}

QSize WrappedText::sizeHint() const {
    qreal width = std::ceil(QFontMetricsF(font_).horizontalAdvance(text_));
    return {static_cast<int>(width), heightForWidth(static_cast<int>(width))};
}

QSize WrappedText::minimumSizeHint() const {
    return {0, heightForWidth(width() > 0 ? width() : sizeHint().width())};
}

void WrappedText::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    Wrapped::paint(painter, rect(), text_, font_, Theme::color(color_), alignment_, lineSpacing_);
}

} // namespace kelvora
