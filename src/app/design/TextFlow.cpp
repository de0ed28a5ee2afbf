#include "design/TextFlow.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QRegularExpression>
#include <QTextLayout>

#include <algorithm>

namespace kelvora {

TextFlow::TextFlow(const QString& text, const QFont& font, qreal width, Options options)
    : TextFlow(std::vector<Run>{{text, std::nullopt}}, font, width, options) {}

TextFlow::TextFlow(const std::vector<Run>& runs, const QFont& font, qreal width, Options options) {
    for (const auto& run : runs) {
        if (run.color && !run.text.isEmpty())
            colored_.push_back({{int(text_.size()), int(run.text.size())}, *run.color});
        text_ += run.text;
    }
    if (text_.isEmpty()) return;
    layout_ = std::make_shared<QTextLayout>(unbrokenSizes(text_), font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setAlignment(options.alignment);
    layout_->setTextOption(option);
    layout_->setCacheEnabled(true);
    const qreal fontHeight = QFontMetricsF(font).height();
    layout_->beginLayout();
    qreal y = 0;
    qreal widest = 0;
    for (QTextLine line = layout_->createLine(); line.isValid(); line = layout_->createLine()) {
        line.setLineWidth(std::max<qreal>(width, 1));
        if (line.lineNumber() == 0)
            firstBaseline_ = line.ascent();
        else
            y += options.lineSpacing;
        line.setPosition(QPointF(0, y));
        y += options.fontLineHeight ? fontHeight : line.height();
        widest = std::max(widest, line.naturalTextWidth());
    }
    layout_->endLayout();
    size_ = QSizeF(widest, y);
}

qreal TextFlow::heightOf(const QString& text, const QFont& font, qreal width, Options options) {
    return TextFlow(text, font, width, options).height();
}

int TextFlow::lineCount() const {
    return layout_ ? layout_->lineCount() : 0;
}

void TextFlow::paint(QPainter& painter, QPointF topLeft, const QColor& color) const {
    if (!layout_) return;
    QList<QTextLayout::FormatRange> colours;
    for (const auto& [range, token] : colored_) {
        QTextLayout::FormatRange format;
        format.start = range.first;
        format.length = range.second;
        format.format.setForeground(Theme::color(token));
        colours.append(format);
    }
    painter.save();
    painter.setPen(color);
    layout_->draw(&painter, topLeft, colours);
    painter.restore();
}

QString unbrokenSizes(const QString& text) {
    static const QRegularExpression blank("(?<=\\d) (?=[KMGT]B\\b)");
    QString out = text;
    auto matches = blank.globalMatch(text);
    while (matches.hasNext())
        out[matches.next().capturedStart()] = QChar(0x00A0);
    return out;
}

void PlacedText::paint(QPainter& painter) const {
    lines.paint(painter, at, Theme::color(color));
}

} // namespace kelvora
