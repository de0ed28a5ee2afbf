#include "onboarding/Sketch.h"

#include "design/Caption.h"
#include "design/Fonts.h"
#include "design/Shapes.h"
#include "design/Symbols.h"
#include "design/TextFlow.h"

#include <QFontMetricsF>
#include <QPainter>

namespace kelvora {

namespace {

constexpr qreal kUnbounded = 100000;

int textFlags(bool wraps, Qt::Alignment alignment) {
    return int(alignment | Qt::AlignTop) | (wraps ? Qt::TextWordWrap : Qt::TextSingleLine);
}

template <class Visit> void eachRect(std::vector<Sketch::Item>& items, Visit visit) {
    for (auto& item : items)
        std::visit(
            [&](auto& piece) {
                using Piece = std::decay_t<decltype(piece)>;
                if constexpr (std::is_same_v<Piece, Sketch::Symbol>)
                    visit(piece.box);
                else
                    visit(piece.rect);
            },
            item);
}

} // namespace

namespace Type {

QFont font(qreal size, QFont::Weight weight, qreal tracking) {
    QFont font = Fonts::text(size, weight);
    if (tracking != 0) font.setLetterSpacing(QFont::AbsoluteSpacing, tracking);
    return font;
}

QSizeF measure(const QString& text, const QFont& font, std::optional<qreal> wrapWidth) {
    QFontMetricsF metrics(font);
    QRectF bounds(0, 0, wrapWidth.value_or(kUnbounded), kUnbounded);
    QRectF used = metrics.boundingRect(bounds, textFlags(wrapWidth.has_value(), Qt::AlignLeft),
                                       unbrokenSizes(text));
    return {used.width(), std::max(used.height(), metrics.height())};
}

qreal ascent(const QFont& font) {
    return QFontMetricsF(font).ascent();
}

} // namespace Type

QRectF Sketch::addText(const QString& text, QPointF topLeft, const QFont& font, Token color,
                       std::optional<qreal> wrapWidth, Qt::Alignment alignment) {
    QSizeF measured = Type::measure(text, font, wrapWidth);
    // A wrapped text keeps the width it was wrapped in, so it breaks the same way when drawn.
    QRectF rect(topLeft, QSizeF(wrapWidth.value_or(measured.width()), measured.height()));
    items.emplace_back(Text{text, rect, font, color, textFlags(wrapWidth.has_value(), alignment)});
    return rect;
}

QRectF Sketch::addCaption(const QString& text, QPointF topLeft) {
    QRectF rect(topLeft, kelvora::Caption::idealSize(text));
    items.emplace_back(Caption{text, rect});
    return rect;
}

void Sketch::addFill(const QRectF& rect, qreal radius, Token fill) {
    items.emplace_back(Shape{rect, radius, fill, std::nullopt});
}

void Sketch::addCard(const QRectF& rect, qreal radius, Token fill, Token border) {
    items.emplace_back(Shape{rect, radius, fill, border});
}

void Sketch::addSymbol(const QString& name, const QRectF& box, qreal size, Token color) {
    items.emplace_back(Symbol{name, box, size, color});
}

void Sketch::translate(QPointF offset) {
    eachRect(items, [&](QRectF& rect) { rect.translate(offset); });
    for (auto& [name, rect] : places)
        rect.translate(offset);
}

void Sketch::append(const Sketch& other, QPointF offset) {
    Sketch moved = other;
    moved.translate(offset);
    for (auto& item : moved.items)
        items.push_back(std::move(item));
    for (auto& [name, rect] : moved.places)
        places[name] = rect;
}

void Sketch::paint(QPainter& painter) const {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const auto& item : items) {
        if (auto* text = std::get_if<Text>(&item)) {
            painter.setFont(text->font);
            painter.setPen(Theme::color(text->color));
            painter.drawText(text->rect, text->flags, unbrokenSizes(text->text));
        } else if (auto* caption = std::get_if<Caption>(&item)) {
            kelvora::Caption::paint(painter, caption->rect, caption->text);
        } else if (auto* shape = std::get_if<Shape>(&item)) {
            if (shape->capsule) {
                if (shape->fill)
                    painter.fillPath(Shapes::capsule(shape->rect), Theme::color(*shape->fill));
                continue;
            }
            Shapes::fillRounded(painter, shape->rect, shape->radius,
                                shape->fill ? Theme::color(*shape->fill) : QColor(),
                                shape->border ? Theme::color(*shape->border) : QColor(),
                                shape->borderWidth);
        } else if (auto* symbol = std::get_if<Symbol>(&item)) {
            Symbols::paint(painter, symbol->name, symbol->box, symbol->size,
                           Theme::color(symbol->color));
        } else if (auto* art = std::get_if<Art>(&item)) {
            painter.save();
            art->draw(painter, art->rect);
            painter.restore();
        }
    }
}

QStringList Sketch::texts() const {
    QStringList found;
    for (const auto& item : items) {
        if (auto* text = std::get_if<Text>(&item)) found << text->text;
        if (auto* caption = std::get_if<Caption>(&item)) found << caption->text;
    }
    return found;
}

std::optional<Sketch::Text> Sketch::text(const QString& wanted) const {
    for (const auto& item : items)
        if (auto* text = std::get_if<Text>(&item); text && text->text == wanted) return *text;
    return std::nullopt;
}

} // namespace kelvora
