#pragma once

#include <QWidget>

namespace kelvora {

// The small upper-case label that heads a group of rows: 11 px medium text face, tracked
// 0.9 px, in `faint`, always in capitals whatever it was given.
class Caption : public QWidget {
    Q_OBJECT

public:
    explicit Caption(const QString& text, QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);

    static QString shown(const QString& text) { return text.toUpper(); }
    static QFont font();
    static QSizeF idealSize(const QString& text);
    // Paints the caption in `rect`, vertically centred, from the leading edge.
    static void paint(QPainter& painter, const QRectF& rect, const QString& text);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
};

} // namespace kelvora
