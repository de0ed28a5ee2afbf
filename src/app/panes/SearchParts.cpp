#include "panes/SearchParts.h"

#include "design/Focus.h"
#include "design/Fonts.h"
#include "design/Shapes.h"
#include "design/Symbols.h"
#include "design/TextFlow.h"
#include "panes/SearchText.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace kelvora::search {

namespace {

constexpr qreal kChipSpacing = 6;
constexpr qreal kQueryHeight = 24;
constexpr qreal kQueryPadding = 9;
constexpr qreal kExampleHeight = 26;
constexpr qreal kExamplePadding = 10;
constexpr qreal kFieldRadius = 12;
constexpr qreal kMoveHeight = 58;
constexpr qreal kMoveFont = 18;

QFont queryFont() {
    return Fonts::mono(11.5, QFont::Medium);
}
QFont exampleFont() {
    return Fonts::text(12.5);
}

} // namespace

// ---- ChipRow ----

ChipRow::ChipRow(std::function<void(const QString&)> pick, QWidget* parent)
    : QWidget(parent), pick_(std::move(pick)) {
    setObjectName("searchChips");
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void ChipRow::showQuery(const QStringList& chips) {
    set(false, chips);
}

void ChipRow::showExamples(const QStringList& examples) {
    set(true, examples);
}

void ChipRow::set(bool examples, const QStringList& texts) {
    if (examples == examples_ && texts == texts_) return;
    examples_ = examples;
    texts_ = texts;
    places_ = placesFor(width());
    setCursor(examples ? Qt::PointingHandCursor : Qt::ArrowCursor);
    updateGeometry();
    update();
}

std::vector<QRectF> ChipRow::placesFor(qreal width) const {
    QFontMetricsF metrics(examples_ ? exampleFont() : queryFont());
    qreal padding = examples_ ? kExamplePadding : kQueryPadding;
    qreal height = examples_ ? kExampleHeight : kQueryHeight;
    std::vector<qreal> widths;
    for (const QString& text : texts_)
        widths.push_back(std::ceil(metrics.horizontalAdvance(text)) + 2 * padding);
    // The understood filters never wrap; the examples take a second row when they must.
    std::vector<std::vector<int>> rows = examples_
                                             ? SearchText::exampleRows(widths, kChipSpacing, width)
                                             : SearchText::exampleRows(widths, kChipSpacing, 1e9);
    std::vector<QRectF> places(texts_.size());
    qreal y = 0;
    for (const auto& row : rows) {
        qreal x = 0;
        for (int i : row) {
            places[static_cast<size_t>(i)] = QRectF(x, y, widths[static_cast<size_t>(i)], height);
            x += widths[static_cast<size_t>(i)] + kChipSpacing;
        }
        y += height + kChipSpacing;
    }
    return places;
}

int ChipRow::heightForWidth(int width) const {
    qreal bottom = 0;
    for (const QRectF& place : placesFor(width))
        bottom = std::max(bottom, place.bottom());
    return static_cast<int>(std::ceil(bottom));
}

QSize ChipRow::sizeHint() const {
    return {600, heightForWidth(width() > 0 ? width() : 600)};
}

void ChipRow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    places_ = placesFor(width());
}

void ChipRow::mouseReleaseEvent(QMouseEvent* event) {
    if (!examples_ || event->button() != Qt::LeftButton) return;
    for (size_t i = 0; i < places_.size(); ++i)
        if (places_[i].contains(event->position())) {
            pick_(texts_[static_cast<int>(i)]);
            return;
        }
}

void ChipRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(examples_ ? exampleFont() : queryFont());
    for (size_t i = 0; i < places_.size(); ++i) {
        QRectF place = places_[i].adjusted(0.5, 0.5, -0.5, -0.5);
        QPainterPath capsule = Shapes::capsule(place);
        painter.fillPath(capsule, examples_ ? Theme::panel() : Theme::chip());
        painter.setPen(QPen(Theme::line(), 1));
        painter.drawPath(capsule);
        painter.setPen(Theme::ink());
        painter.drawText(places_[i], Qt::AlignCenter | Qt::TextSingleLine,
                         texts_[static_cast<int>(i)]);
    }
}

// ---- Intro ----

Intro::Intro(std::vector<Line> lines, qreal spacing, QWidget* parent)
    : QWidget(parent), lines_(std::move(lines)), spacing_(spacing) {}

void Intro::setText(int line, const QString& text) {
    if (lines_[static_cast<size_t>(line)].text == text) return;
    lines_[static_cast<size_t>(line)].text = text;
    update();
}

void Intro::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    std::vector<qreal> widths, heights;
    qreal total = 0;
    for (const auto& line : lines_) {
        qreal natural = std::ceil(QFontMetricsF(line.font).horizontalAdvance(line.text)) + 1;
        qreal width = std::min({natural, line.maxWidth, qreal(this->width())});
        widths.push_back(width);
        heights.push_back(TextFlow::heightOf(line.text, line.font, width));
        total += heights.back();
    }
    total += spacing_ * std::max<qreal>(0, qreal(lines_.size()) - 1);
    qreal y = (height() - total) / 2;
    for (size_t i = 0; i < lines_.size(); ++i) {
        QRectF place((width() - widths[i]) / 2, y, widths[i], heights[i]);
        TextFlow(lines_[i].text, lines_[i].font, place.width(), {.alignment = Qt::AlignHCenter})
            .paint(painter, place.topLeft(), Theme::color(lines_[i].color));
        y += heights[i] + spacing_;
    }
}

// ---- MoveButton ----

MoveButton::MoveButton(QWidget* parent) : SignalButton({}, kMoveHeight, kMoveFont, parent) {
    setObjectName("moveToShelf");
}

// ---- FieldEdit ----

FieldEdit::FieldEdit(QWidget* parent) : QLineEdit(parent) {
    setObjectName("searchField");
    setFrame(false);
    setFont(Fonts::text(17));
    setPlaceholderText(SearchText::kPlaceholder);
    setAccessibleName("Search");
    setAttribute(Qt::WA_MacShowFocusRect, false);
    setAutoFillBackground(false);
}

// The box around draws the ring.
void FieldEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (parentWidget()) parentWidget()->update();
}

void FieldEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (parentWidget()) parentWidget()->update();
}

// The colours follow the appearance at every paint, as every other text does.
void FieldEdit::paintEvent(QPaintEvent* event) {
    QPalette colours = palette();
    if (colours.color(QPalette::Text) != Theme::ink() ||
        colours.color(QPalette::PlaceholderText) != Theme::faint()) {
        colours.setColor(QPalette::Text, Theme::ink());
        colours.setColor(QPalette::PlaceholderText, Theme::faint());
        colours.setColor(QPalette::Base, Qt::transparent);
        colours.setColor(QPalette::Highlight, Theme::chip());
        colours.setColor(QPalette::HighlightedText, Theme::ink());
        setPalette(colours);
    }
    QLineEdit::paintEvent(event);
}

// ---- FieldBox ----

FieldBox::FieldBox(QWidget* parent) : QWidget(parent) {
    setFixedHeight(46);
}

void FieldBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    Shapes::fillRounded(painter, QRectF(rect()), kFieldRadius, Theme::panel(), Theme::line());
    qreal symbol = Symbols::extent(17);
    Symbols::paint(painter, "magnifyingglass", QRectF(14, (height() - symbol) / 2, symbol, symbol),
                   17, Theme::muted());
    // A field shows where typing goes however it got the keyboard.
    if (auto* field = findChild<FieldEdit*>(); field && field->hasFocus())
        Focus::paintRing(painter, QRectF(rect()), kFieldRadius);
}

} // namespace kelvora::search
