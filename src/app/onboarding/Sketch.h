#pragma once

#include "design/Theme.h"

#include <QFont>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <optional>
#include <variant>
#include <vector>

class QPainter;

namespace kelvora {

// What a painted view shows, worked out once per change of its data or size: texts, shapes
// and symbols at their places, with colours named by token so that a change of appearance
// shows at the next repaint, and the places of its child widgets (buttons, the dial). A
// view fills one from a plain function that tests call without a widget; its paintEvent
// only draws it.
struct Sketch {
    struct Text {
        QString text;
        QRectF rect;
        QFont font;
        Token color = Token::ink;
        int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    };
    // The design system's caption, drawn in capitals by its own painter.
    struct Caption {
        QString text;
        QRectF rect;
    };
    struct Shape {
        QRectF rect;
        qreal radius = 0;
        std::optional<Token> fill;
        std::optional<Token> border;
        qreal borderWidth = 1;
        bool capsule = false;
    };
    struct Symbol {
        QString name;
        QRectF box; // the symbol is centred in it
        qreal size = 13;
        Token color = Token::ink;
    };
    // A small drawing of its own (a preview), painted into `rect`.
    struct Art {
        QRectF rect;
        std::function<void(QPainter&, const QRectF&)> draw;
    };
    using Item = std::variant<Text, Caption, Shape, Symbol, Art>;

    std::vector<Item> items;
    // Where the view puts each of its child widgets, by name.
    std::map<QString, QRectF> places;
    QSizeF size;

    // A text on one line (no `wrapWidth`) or wrapped within `wrapWidth`, its box's top left
    // at `topLeft`; the box it takes.
    QRectF addText(const QString& text, QPointF topLeft, const QFont& font, Token color,
                   std::optional<qreal> wrapWidth = std::nullopt,
                   Qt::Alignment alignment = Qt::AlignLeft);
    QRectF addCaption(const QString& text, QPointF topLeft);
    // A rounded rectangle filled with one colour, and one with a 1 px border inside its edge.
    void addFill(const QRectF& rect, qreal radius, Token fill);
    void addCard(const QRectF& rect, qreal radius, Token fill, Token border);
    void addSymbol(const QString& name, const QRectF& box, qreal size, Token color);
    // Everything of `other`, moved by `offset`.
    void append(const Sketch& other, QPointF offset);
    void translate(QPointF offset);

    void paint(QPainter& painter) const;

    // The texts and captions as given, in painting order.
    QStringList texts() const;
    // The first text item showing exactly `text`.
    std::optional<Text> text(const QString& text) const;
};

// Measuring type the way the sketch sets it.
namespace Type {

// The text face at a size and weight, tracked by `tracking` pixels.
QFont font(qreal size, QFont::Weight weight = QFont::Normal, qreal tracking = 0);
// The box of a text on one line, or wrapped within `wrapWidth`.
QSizeF measure(const QString& text, const QFont& font, std::optional<qreal> wrapWidth = {});
qreal ascent(const QFont& font);

} // namespace Type
} // namespace kelvora
