#pragma once

#include "window/Copy.h"

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <memory>
#include <vector>

class QPainter;
class QTextLayout;

namespace kelvora {

// A block of text wrapped once to a width and painted as often as needed. Runs marked as
// accented are drawn in the accent colour, so a headline wraps as one paragraph with only its
// size coloured. Colours are given at paint time, so a change of appearance needs no new
// layout.
class Paragraph {
public:
    Paragraph() = default;
    Paragraph(const std::vector<Copy::Run>& runs, const QFont& font, qreal width,
              qreal lineSpacing = 0);
    Paragraph(const QString& text, const QFont& font, qreal width, qreal lineSpacing = 0);

    QString text() const { return text_; }
    // The width of the longest line and the height of all lines with the spacing between them.
    QSizeF size() const { return size_; }
    // The first line's baseline, down from the top.
    qreal firstBaseline() const { return firstBaseline_; }
    int lineCount() const;

    void paint(QPainter& painter, QPointF topLeft, const QColor& color,
               const QColor& accent = {}) const;

private:
    QString text_;
    std::vector<std::pair<int, int>> accents_; // start and length of each accented run
    std::shared_ptr<QTextLayout> layout_;
    QSizeF size_;
    qreal firstBaseline_ = 0;
};

} // namespace kelvora
