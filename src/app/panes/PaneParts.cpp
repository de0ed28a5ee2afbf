#include "panes/PaneParts.h"

#include "design/Fonts.h"
#include "design/Symbols.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace kelvora {

namespace {

int ceiled(qreal value) {
    return static_cast<int>(std::ceil(value));
}

} // namespace

// ---- SizeFigure ----

SizeFigure::SizeFigure(qreal numberSize, qreal unitSize, qreal spacing, QWidget* parent)
    : QWidget(parent), numberSize_(numberSize), unitSize_(unitSize), spacing_(spacing) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SizeFigure::setParts(const QString& number, const QString& unit) {
    if (number == number_ && unit == unit_) return;
    number_ = number;
    unit_ = unit;
    setAccessibleName(number + " " + unit);
    updateGeometry();
    update();
}

QSize SizeFigure::sizeHint() const {
    QFontMetricsF number(Fonts::number(numberSize_)), unit(Fonts::number(unitSize_));
    qreal width = number.horizontalAdvance(number_) + spacing_ + unit.horizontalAdvance(unit_);
    return {ceiled(width), ceiled(number.height())};
}

void SizeFigure::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont numberFont = Fonts::number(numberSize_), unitFont = Fonts::number(unitSize_);
    QFontMetricsF number(numberFont);
    qreal baseline = number.ascent();
    painter.setPen(Theme::ink());
    painter.setFont(numberFont);
    painter.drawText(QPointF(0, baseline), number_);
    painter.setFont(unitFont);
    painter.drawText(QPointF(number.horizontalAdvance(number_) + spacing_, baseline), unit_);
}

// ---- SymbolMark ----

SymbolMark::SymbolMark(const QString& symbol, qreal size, Token colour, QWidget* parent)
    : QWidget(parent), symbol_(symbol), size_(size), colour_(colour) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize SymbolMark::sizeHint() const {
    int side = ceiled(Symbols::extent(size_));
    return {side, side};
}

void SymbolMark::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Symbols::paint(painter, symbol_, rect(), size_, Theme::color(colour_));
}

// ---- SymbolLabel ----

SymbolLabel::SymbolLabel(qreal size, QFont::Weight weight, Token colour, QWidget* parent)
    : QWidget(parent), size_(size), font_(Fonts::text(size, weight)), colour_(colour) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void SymbolLabel::setContent(const QString& symbol, const QString& text) {
    if (symbol == symbol_ && text == text_) return;
    symbol_ = symbol;
    text_ = text;
    setAccessibleName(text);
    changed();
}

void SymbolLabel::setWrapping(bool wrapping) {
    wrapping_ = wrapping;
    QSizePolicy policy = sizePolicy();
    policy.setHeightForWidth(wrapping);
    setSizePolicy(policy);
    changed();
}

void SymbolLabel::changed() {
    if (wrapping_) lines_ = flow(width());
    updateGeometry();
    update();
}

void SymbolLabel::resizeEvent(QResizeEvent*) {
    if (wrapping_) lines_ = flow(width());
}

qreal SymbolLabel::textLeft() const {
    return Symbols::extent(size_) + kSpacing;
}

qreal SymbolLabel::rowHeight() const {
    return std::max(Symbols::extent(size_), QFontMetricsF(font_).height());
}

TextFlow SymbolLabel::flow(qreal width) const {
    return TextFlow(text_, font_, std::max<qreal>(0, width - textLeft()), {.fontLineHeight = true});
}

int SymbolLabel::heightForWidth(int width) const {
    if (!wrapping_) return sizeHint().height();
    qreal lineHeight = QFontMetricsF(font_).height();
    return ceiled(rowHeight() - lineHeight + std::max(lineHeight, flow(width).height()));
}

QSize SymbolLabel::sizeHint() const {
    QFontMetricsF metrics(font_);
    int width = ceiled(textLeft() + metrics.horizontalAdvance(text_));
    return {width, wrapping_ ? heightForWidth(width) : ceiled(rowHeight())};
}

QSize SymbolLabel::minimumSizeHint() const {
    if (!wrapping_) return {0, sizeHint().height()};
    return {0, heightForWidth(width() > 0 ? width() : sizeHint().width())};
}

void SymbolLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFontMetricsF metrics(font_);
    qreal side = Symbols::extent(size_);
    qreal row = wrapping_ ? rowHeight() : height();
    QColor colour = Theme::color(colour_);
    Symbols::paint(painter, symbol_, {0, (row - side) / 2, side, side}, size_, colour);
    qreal left = textLeft();
    if (wrapping_) {
        lines_.paint(painter, {left, (row - metrics.height()) / 2}, colour);
        return;
    }
    painter.setFont(font_);
    painter.setPen(colour);
    QString shown = metrics.elidedText(text_, Qt::ElideRight, width() - left);
    painter.drawText(QRectF(left, 0, width() - left, height()),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

} // namespace kelvora
