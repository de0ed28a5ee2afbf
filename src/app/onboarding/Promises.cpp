#include "onboarding/Promises.h"

#include "catalog/PlainWords.h"
#include "design/Accessibility.h"
#include "design/DialGeometry.h"
#include "design/Focus.h"
#include "design/Shapes.h"
#include "design/Symbols.h"
#include "onboarding/WelcomePage.h"

#include <QPainter>

#include <cmath>

namespace kelvora {

namespace {

constexpr qreal kRowPadding = 20;
constexpr qreal kRowTop = 16;
constexpr qreal kTile = 42;
constexpr qreal kCardSpacing = 14;
constexpr qreal kMarkSize = 18;

QFont cardTitleFont() {
    return Type::font(16, QFont::DemiBold);
}
QFont cardDetailFont() {
    return Type::font(13.5);
}

// The width the title and detail of a card may take.
qreal cardTextWidth(qreal width) {
    return width - 2 * ModeCard::kPadding - ModeCard::kPreviewSize.width() - 3 * 16 -
           Symbols::extent(kMarkSize);
}

QString mark(bool selected) {
    return selected ? "checkmark.circle.fill" : "circle";
}

} // namespace

// ModeCard

ModeCard::ModeCard(const QString& title, const QString& detail, Preview preview, QWidget* parent)
    : Ringed(parent), detail_(detail), preview_(preview) {
    setText(title);
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(title);
    setAccessibleDescription(detail);
    Focus::pressOnReturn(*this);
    Accessibility::markToggle(*this, QAccessible::RadioButton);
}

qreal ModeCard::height(const QString& title, const QString& detail, qreal width) {
    qreal textWidth = cardTextWidth(width);
    qreal text = Type::measure(title, cardTitleFont(), textWidth).height() + 4 +
                 Type::measure(detail, cardDetailFont(), textWidth).height();
    return 2 * kPadding + std::max({kPreviewSize.height(), text, Symbols::extent(kMarkSize)});
}

void ModeCard::paint(QPainter& painter, const QRectF& rect, const QString& title,
                     const QString& detail, bool selected, Preview preview, bool focusRing) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (selected)
        Shapes::fillRounded(painter, rect, 14, Theme::panel(), Theme::ink(), 1.5);
    else
        Shapes::fillRounded(painter, rect, 14, Theme::panel(), Theme::line(), 1);

    QRectF tile(QPointF(rect.left() + kPadding, rect.center().y() - kPreviewSize.height() / 2),
                kPreviewSize);
    Shapes::fillRounded(painter, tile, 9, Theme::ground());
    previewArt(painter, tile, preview);

    const qreal textLeft = tile.right() + 16;
    const qreal textWidth = cardTextWidth(rect.width());
    Sketch text;
    QRectF titleBox = text.addText(title, {0, 0}, cardTitleFont(), Token::ink, textWidth);
    QRectF detailBox =
        text.addText(detail, {0, titleBox.bottom() + 4}, cardDetailFont(), Token::muted, textWidth);
    text.translate({textLeft, rect.center().y() - detailBox.bottom() / 2});
    text.paint(painter);

    const qreal markSide = Symbols::extent(kMarkSize);
    QRectF markBox(rect.right() - kPadding - markSide, rect.center().y() - markSide / 2, markSide,
                   markSide);
    Symbols::paint(painter, mark(selected), markBox, kMarkSize,
                   selected ? Theme::ink() : Theme::faint());
    if (focusRing) Focus::paintRing(painter, rect, 14);
    painter.restore();
}

void ModeCard::previewArt(QPainter& painter, const QRectF& rect, Preview preview) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    if (preview == Preview::simple) {
        // The simple view in small: its dial over its one button.
        const QSizeF dial(52, 27), button(40, 8);
        const qreal top = rect.center().y() - (dial.height() + 5 + button.height()) / 2;
        QRectF dialFrame(QPointF(rect.center().x() - dial.width() / 2, top), dial);
        Dial::paint(painter, DialGeometry::fittedBox(dialFrame), 0.72, 0.6, 0);
        QRectF pill(QPointF(rect.center().x() - button.width() / 2, dialFrame.bottom() + 5),
                    button);
        painter.fillPath(Shapes::capsule(pill), Theme::signal());
    } else {
        // The detailed view in small: a list of picked items.
        const qreal widths[] = {44, 36, 50, 30};
        const qreal lineHeight = 7, spacing = 5;
        const qreal stackWidth = 7 + spacing + 50;
        const qreal stackHeight = 4 * lineHeight + 3 * spacing;
        QPointF origin(rect.center().x() - stackWidth / 2, rect.center().y() - stackHeight / 2);
        for (int i = 0; i < 4; ++i) {
            qreal y = origin.y() + i * (lineHeight + spacing);
            painter.fillPath(Shapes::continuousRect(QRectF(origin.x(), y, 7, 7), 1.5),
                             Theme::ink());
            QRectF bar(origin.x() + 7 + spacing, y + (lineHeight - 4) / 2, widths[i], 4);
            painter.fillPath(Shapes::capsule(bar), Theme::faint());
        }
    }
    painter.restore();
}

QSize ModeCard::sizeHint() const {
    return {360, static_cast<int>(std::ceil(height(text(), detail_, 360)))};
}

void ModeCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paint(painter, QRectF(rect()), text(), detail_, selected(), preview_, showsFocusRing());
}

// Promises

Promises::Promises(AppModel& model, QWidget* parent) : SketchView(parent), model_(model) {
    setObjectName("Promises");
    for (const Card& card : cards()) {
        auto* widget = new ModeCard(card.title, card.detail, card.preview);
        widget->setObjectName(card.title.toLower() + "Card");
        AppModel::ViewMode mode = card.mode;
        // A click writes the mode at once; the marks follow from the controller's change.
        connect(widget, &ModeCard::clicked, this, [this, mode] { model_.setMode(mode); });
        place(card.title, widget);
        cards_.push_back(widget);
    }
    model_.follow({&AppModel::navigationChanged, &AppModel::settingsChanged}, this,
                  &Promises::refresh);
    refresh();
}

std::vector<Promises::Row> Promises::rows(int holdDays) {
    return {
        {"magnifyingglass", "Looking changes nothing",
         "Checking your computer only reads. Nothing moves until you press Clean up and say "
         "yes."},
        {"arrow.triangle.2.circlepath", "Caches rebuild themselves",
         "Apps make fresh copies of their caches and logs whenever they need them."},
        {"arrow.uturn.backward",
         "Your things wait " + QString::fromStdString(PlainWords::counted(holdDays, "day")),
         "Old downloads, apps and the Trash go on the Undo Shelf first. Put anything back with "
         "one click."},
    };
}

const std::vector<Promises::Card>& Promises::cards() {
    static const std::vector<Card> cards = {
        {"Simple", "One dial, one button.", ModeCard::Preview::simple, AppModel::ViewMode::simple},
        {"Detailed", "See and choose every file.", ModeCard::Preview::detailed,
         AppModel::ViewMode::detailed},
    };
    return cards;
}

Sketch Promises::promise(const Row& row, qreal width) {
    Sketch sketch;
    QRectF tile(kRowPadding, kRowTop, kTile, kTile);
    sketch.addFill(tile, 11, Token::chip);
    sketch.addSymbol(row.symbol, tile, 17, Token::ink);
    const qreal left = tile.right() + 16;
    const qreal textWidth = width - left - kRowPadding;
    QRectF title =
        sketch.addText(row.title, {left, kRowTop}, Type::font(16, QFont::DemiBold), Token::ink);
    QRectF detail = sketch.addText(row.detail, {left, title.bottom() + 4}, Type::font(14.5),
                                   Token::muted, textWidth);
    sketch.size = QSizeF(width, std::max(tile.bottom(), detail.bottom()) + kRowTop);
    return sketch;
}

Sketch Promises::step(int holdDays, qreal width) {
    Sketch page;
    qreal y = page.addCaption("Step 2 of 3", {0, 0}).bottom() + 8;
    y = page.addText("Nothing goes without you.", {0, y}, WelcomePage::titleFont(), Token::ink)
            .bottom() +
        28;

    Sketch rowsSketch;
    qreal rowsHeight = 0;
    const auto promises = rows(holdDays);
    for (size_t i = 0; i < promises.size(); ++i) {
        if (i > 0) {
            rowsSketch.addFill(QRectF(0, rowsHeight, width, 1), 0, Token::line);
            rowsHeight += 1;
        }
        Sketch row = promise(promises[i], width);
        rowsSketch.append(row, {0, rowsHeight});
        rowsHeight += row.size.height();
    }
    page.addCard(QRectF(0, y, width, rowsHeight), 16, Token::panel, Token::line);
    page.append(rowsSketch, {0, y});
    y += rowsHeight + 28;

    y = page.addText("How do you like it?", {0, y}, Type::font(17, QFont::DemiBold), Token::ink)
            .bottom() +
        12;
    const qreal cardWidth = (width - kCardSpacing) / 2;
    qreal cardHeight = 0;
    for (const Card& card : cards())
        cardHeight = std::max(cardHeight, ModeCard::height(card.title, card.detail, cardWidth));
    for (size_t i = 0; i < cards().size(); ++i)
        page.places[cards()[i].title] =
            QRectF(i * (cardWidth + kCardSpacing), y, cardWidth, cardHeight);
    y += cardHeight + 12;
    y = page.addText("You can switch any time at the top of the window.", {0, y}, Type::font(13),
                     Token::faint)
            .bottom();
    page.size = QSizeF(width, y);
    return page;
}

ModeCard* Promises::card(AppModel::ViewMode mode) const {
    for (size_t i = 0; i < cards().size(); ++i)
        if (cards()[i].mode == mode) return cards_[i];
    return nullptr;
}

Sketch Promises::layout(QSizeF size) const {
    return WelcomePage::centred(step(holdDays_, size.width()), size);
}

// The hold is read again at each change, so a new setting shows the next time it draws.
void Promises::refresh() {
    for (size_t i = 0; i < cards().size(); ++i)
        cards_[i]->setSelected(model_.mode() == cards()[i].mode);
    int holdDays = model_.catalog().settings().shelfDays;
    if (holdDays == holdDays_) return;
    holdDays_ = holdDays;
    relayout();
}

} // namespace kelvora
