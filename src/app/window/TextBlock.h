#pragma once

#include <QFont>
#include <QString>
#include <QTextLayout>

#include <memory>

class QPainter;

namespace kelvora {

// A paragraph broken into lines for one width, ready to paint: laid out when its text or
// width changes, so painting only draws.
class TextBlock {
public:
    TextBlock() = default;
    TextBlock(const QString& text, const QFont& font, qreal width, qreal extraLineSpacing = 0);

    qreal height() const { return height_; }
    qreal width() const { return width_; }
    // The width of the longest line.
    qreal naturalWidth() const { return natural_; }
    int lineCount() const { return layout_ ? layout_->lineCount() : 0; }
    const QString& text() const { return text_; }

    void paint(QPainter& painter, QPointF topLeft) const;

private:
    QString text_;
    qreal width_ = 0;
    qreal height_ = 0;
    qreal natural_ = 0;
    std::shared_ptr<QTextLayout> layout_;
};

} // namespace kelvora
