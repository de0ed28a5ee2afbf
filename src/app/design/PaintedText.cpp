#include "design/PaintedText.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace kelvora {

namespace {

int ceiled(qreal value) {
    return static_cast<int>(std::ceil(value));
}

} // namespace

PaintedText::PaintedText(const QFont& font, Token color, QWidget* parent)
    : QWidget(parent), font_(font), color_(color) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void PaintedText::setRuns(std::vector<TextFlow::Run> runs) {
    if (runs == runs_) return;
    runs_ = std::move(runs);
    flowText_.clear();
    for (const auto& run : runs_)
        flowText_ += run.text;
    setAccessibleName(flowText_);
    changed();
}

void PaintedText::setColor(Token color) {
    color_ = color;
    update();
}

void PaintedText::setWrapping(bool wrapping) {
    wrapping_ = wrapping;
    QSizePolicy policy = sizePolicy();
    policy.setHeightForWidth(wrapping);
    setSizePolicy(policy);
    changed();
}

void PaintedText::setAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    changed();
}

void PaintedText::setLineSpacing(qreal spacing) {
    lineSpacing_ = spacing;
    changed();
}

void PaintedText::setMaximumTextWidth(qreal width) {
    maximumTextWidth_ = width;
    changed();
}

void PaintedText::changed() {
    if (wrapping_) shown_ = flow(textWidth(width()));
    updateGeometry();
    update();
}

void PaintedText::resizeEvent(QResizeEvent*) {
    if (wrapping_) shown_ = flow(textWidth(width()));
}

qreal PaintedText::textWidth(qreal available) const {
    return std::min(available, maximumTextWidth_);
}

TextFlow PaintedText::flow(qreal width) const {
    return TextFlow(
        runs_, font_, width,
        {.lineSpacing = lineSpacing_, .alignment = alignment_ & Qt::AlignHorizontal_Mask});
}

int PaintedText::heightForWidth(int width) const {
    if (!wrapping_) return sizeHint().height();
    return ceiled(flow(textWidth(width)).height());
}

QSize PaintedText::sizeHint() const {
    QFontMetricsF metrics(font_);
    if (!wrapping_) return {ceiled(metrics.horizontalAdvance(flowText_)), ceiled(metrics.height())};
    int width = ceiled(flow(textWidth(QWIDGETSIZE_MAX)).naturalWidth());
    return {width, heightForWidth(width)};
}

QSize PaintedText::minimumSizeHint() const {
    if (!wrapping_) return {0, sizeHint().height()};
    return {0, heightForWidth(width() > 0 ? width() : sizeHint().width())};
}

void PaintedText::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QColor color = Theme::color(color_);
    if (!wrapping_) {
        painter.setFont(font_);
        painter.setPen(color);
        QString shown = QFontMetricsF(font_).elidedText(flowText_, Qt::ElideRight, width());
        painter.drawText(rect(), static_cast<int>(alignment_) | Qt::TextSingleLine, shown);
        return;
    }
    // A text narrower than the widget sits at its leading edge, or in the middle when centred.
    qreal left = alignment_ & Qt::AlignHCenter ? (width() - textWidth(width())) / 2 : 0;
    shown_.paint(painter, {left, 0}, color);
}

} // namespace kelvora
