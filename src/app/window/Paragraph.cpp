#include "window/Paragraph.h"

#include <QPainter>
#include <QTextLayout>

#include <algorithm>

namespace kelvora {

Paragraph::Paragraph(const QString& text, const QFont& font, qreal width, qreal lineSpacing)
    : Paragraph(std::vector<Copy::Run>{{text.toStdString(), false}}, font, width, lineSpacing) {}

Paragraph::Paragraph(const std::vector<Copy::Run>& runs, const QFont& font, qreal width,
                     qreal lineSpacing) {
    for (const auto& run : runs) {
        QString part = QString::fromStdString(run.text);
        if (run.accent) accents_.emplace_back(text_.size(), part.size());
        text_ += part;
    }
    layout_ = std::make_shared<QTextLayout>(text_, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout_->setTextOption(option);
    layout_->setCacheEnabled(true);
    layout_->beginLayout();
    qreal y = 0;
    qreal widest = 0;
    for (QTextLine line = layout_->createLine(); line.isValid(); line = layout_->createLine()) {
        line.setLineWidth(std::max<qreal>(width, 1));
        if (y > 0) y += lineSpacing;
        if (line.lineNumber() == 0) firstBaseline_ = line.ascent();
        line.setPosition(QPointF(0, y));
        y += line.height();
        widest = std::max(widest, line.naturalTextWidth());
    }
    layout_->endLayout();
    size_ = QSizeF(widest, y);
}

int Paragraph::lineCount() const {
    return layout_ ? layout_->lineCount() : 0;
}

void Paragraph::paint(QPainter& painter, QPointF topLeft, const QColor& color,
                      const QColor& accent) const {
    if (!layout_) return;
    QList<QTextLayout::FormatRange> accented;
    for (auto [start, length] : accents_) {
        QTextLayout::FormatRange range;
        range.start = start;
        range.length = length;
        range.format.setForeground(accent.isValid() ? accent : color);
        accented.append(range);
    }
    painter.save();
    painter.setPen(color);
    layout_->draw(&painter, topLeft, accented);
    painter.restore();
}

} // namespace kelvora
