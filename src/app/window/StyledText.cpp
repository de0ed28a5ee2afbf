#include "window/StyledText.h"

#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace kelvora {

namespace {

// Lays the runs out in lines no wider than `width`; the layout's lines hold their places.
qreal layOut(QTextLayout& layout, const std::vector<StyledText::Run>& runs, const QFont& font,
             qreal width, qreal lineSpacing, bool withColours) {
    QString text;
    QList<QTextLayout::FormatRange> formats;
    for (const auto& run : runs) {
        if (withColours && run.color) {
            QTextLayout::FormatRange range;
            range.start = static_cast<int>(text.size());
            range.length = static_cast<int>(run.text.size());
            range.format.setForeground(Theme::color(*run.color));
            formats << range;
        }
        text += run.text;
    }
    layout.setText(text);
    layout.setFont(font);
    layout.setFormats(formats);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition({0, y});
        y += line.height() + lineSpacing;
    }
    layout.endLayout();
    return layout.lineCount() > 0 ? y - lineSpacing : 0;
}

} // namespace

StyledText::StyledText(QFont font, Token color, QWidget* parent)
    : QWidget(parent), font_(std::move(font)), color_(color) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void StyledText::setRuns(std::vector<Run> runs) {
    if (runs == runs_) return;
    runs_ = std::move(runs);
    setAccessibleName(text());
    updateGeometry();
    update();
}

QString StyledText::text() const {
    QString text;
    for (const auto& run : runs_)
        text += run.text;
    return text;
}

void StyledText::setMaximumTextWidth(qreal width) {
    maxWidth_ = width;
    updateGeometry();
}

void StyledText::setLineSpacing(qreal extra) {
    lineSpacing_ = extra;
    updateGeometry();
}

qreal StyledText::height(const std::vector<Run>& runs, const QFont& font, qreal width,
                         qreal lineSpacing) {
    QTextLayout layout;
    return layOut(layout, runs, font, width, lineSpacing, false);
}

void StyledText::paint(QPainter& painter, const QRectF& rect, const std::vector<Run>& runs,
                       const QFont& font, Token color, qreal lineSpacing) {
    QTextLayout layout;
    layOut(layout, runs, font, rect.width(), lineSpacing, true);
    painter.save();
    painter.setPen(Theme::color(color));
    layout.draw(&painter, rect.topLeft());
    painter.restore();
}

qreal StyledText::wrapWidth(qreal available) const {
    return std::max<qreal>(1, std::min(available, maxWidth_));
}

int StyledText::heightForWidth(int width) const {
    return static_cast<int>(std::ceil(height(runs_, font_, wrapWidth(width), lineSpacing_)));
}

QSize StyledText::sizeHint() const {
    QTextLayout layout;
    layOut(layout, runs_, font_, wrapWidth(maxWidth_), lineSpacing_, false);
    qreal widest = 0;
    for (int i = 0; i < layout.lineCount(); ++i)
        widest = std::max(widest, layout.lineAt(i).naturalTextWidth());
    int width = static_cast<int>(std::ceil(widest));
    return {width, heightForWidth(width)};
}

QSize StyledText::minimumSizeHint() const {
    return {0, heightForWidth(static_cast<int>(wrapWidth(width())))};
}

void StyledText::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paint(painter, QRectF(0, 0, wrapWidth(width()), QWidget::height()), runs_, font_, color_,
          lineSpacing_);
}

} // namespace kelvora
