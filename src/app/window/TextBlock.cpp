#include "window/TextBlock.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextOption>

#include <algorithm>

namespace kelvora {

TextBlock::TextBlock(const QString& text, const QFont& font, qreal width, qreal extraLineSpacing)
    : text_(text), width_(width), layout_(std::make_shared<QTextLayout>(text, font)) {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout_->setTextOption(option);
    qreal lineHeight = QFontMetricsF(font).height();
    qreal y = 0;
    layout_->beginLayout();
    for (QTextLine line = layout_->createLine(); line.isValid(); line = layout_->createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        natural_ = std::max(natural_, line.naturalTextWidth());
        y += lineHeight + extraLineSpacing;
    }
    layout_->endLayout();
    height_ = layout_->lineCount() > 0 ? y - extraLineSpacing : 0;
}

void TextBlock::paint(QPainter& painter, QPointF topLeft) const {
    if (layout_) layout_->draw(&painter, topLeft);
}

} // namespace kelvora
