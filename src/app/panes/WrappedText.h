#pragma once

#include "design/Theme.h"

#include <QFont>
#include <QWidget>

class QPainter;

namespace kelvora {

// Wrapped text the panes draw: lines break between words, and anywhere inside a word too
// long for the width (paths, long names), so nothing runs past its frame.
namespace Wrapped {

qreal height(const QString& text, const QFont& font, qreal width, qreal lineSpacing = 0);
// Paints the lines from the top of `rect`, each aligned as `alignment` says.
void paint(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
           const QColor& color, Qt::Alignment alignment = Qt::AlignLeft, qreal lineSpacing = 0);

} // namespace Wrapped

// A block of wrapped text in one font and one colour token, for panes built from layouts.
// Its height follows its width; an empty block takes no room.
class WrappedText : public QWidget {
    Q_OBJECT

public:
    WrappedText(const QFont& font, Token color, QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);
    void setColor(Token color);
    void setAlignment(Qt::Alignment alignment);
    void setLineSpacing(qreal spacing);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont font_;
    Token color_;
    QString text_;
    Qt::Alignment alignment_ = Qt::AlignLeft;
    qreal lineSpacing_ = 0;
};

} // namespace kelvora
