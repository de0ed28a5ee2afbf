#include "panes/ShelfLayout.h"

#include "controller/AppModel.h"
#include "design/Buttons.h"
#include "design/Caption.h"
#include "design/Fonts.h"
#include "design/Symbols.h"
#include "model/Format.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace kelvora {

namespace {

constexpr qreal kCardInset = 22; // inside the summary card
constexpr qreal kCardGap = 28;   // between the summary card's parts
constexpr qreal kAmountGap = 8;  // caption to amount, number to unit
constexpr qreal kExplanationWidth = 420;
constexpr qreal kEmptyMargin = 60;
constexpr qreal kEmptyGap = 10;
constexpr qreal kSideInset = 18; // inside a section, left and right
constexpr qreal kHeaderGap = 14;
constexpr qreal kRowGap = 12;
constexpr qreal kIconBox = 32;
constexpr qreal kSizeBox = 70;
constexpr qreal kDaysTextBox = 84;
constexpr qreal kMinFlexible = 10;
constexpr qreal kLineGap = 3;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// Two lines of text stacked 3 px apart, centred on `centreY`: where each line goes.
std::pair<QRectF, QRectF> stacked(qreal left, qreal width, qreal centreY, qreal first,
                                  qreal second) {
    qreal top = centreY - (first + kLineGap + second) / 2;
    return {QRectF(left, top, width, first), QRectF(left, top + first + kLineGap, width, second)};
}

ShelfLayout::Summary layoutSummary(const ShelfInput& input, qreal width, qreal top) {
    ShelfLayout::Summary summary;
    Format::SizeParts parts = Format::sizeParts(input.shelfBytes);
    summary.numberText = qs(parts.number);
    summary.unitText = qs(parts.unit);
    QFontMetricsF numberMetrics(Fonts::number(56));
    QFontMetricsF unitMetrics(Fonts::number(24));
    QSizeF caption = Caption::idealSize("On the Undo Shelf");
    qreal numberWidth = numberMetrics.horizontalAdvance(summary.numberText);
    qreal unitWidth = unitMetrics.horizontalAdvance(summary.unitText);
    qreal amountWidth = std::max(caption.width(), numberWidth + kAmountGap + unitWidth);
    qreal amountHeight = caption.height() + kAmountGap + numberMetrics.height();

    QRectF card(ShelfLayout::kPadding, top, width - 2 * ShelfLayout::kPadding, 0);
    qreal inner = card.width() - 2 * kCardInset;
    QSizeF button;
    if (auto title = ShelfText::freeTitle(input.shelfBytes)) {
        summary.freeTitle = qs(*title);
        button = SignalButton::idealSize(summary.freeTitle, ShelfLayout::kFreeHeight,
                                         ShelfLayout::kFreeFont, false);
    }
    // The flexible space takes what is left, so the paragraph gets its 420 px unless the
    // pane is too narrow for it.
    qreal taken =
        amountWidth + kCardGap + kCardGap + (button.isEmpty() ? 0 : kCardGap + button.width());
    qreal explanationWidth = std::clamp(inner - taken, 80.0, kExplanationWidth);
    summary.explanation =
        TextFlow(qs(ShelfText::explanation(input.shelfDays)), Fonts::text(14), explanationWidth,
                 {.lineSpacing = kLineGap, .fontLineHeight = true});

    qreal content = std::max({amountHeight, summary.explanation.size().height(),
                              button.isEmpty() ? 0.0 : button.height()});
    card.setHeight(std::ceil(content + 2 * kCardInset));
    qreal centre = card.center().y();
    qreal left = card.left() + kCardInset;

    qreal amountTop = centre - amountHeight / 2;
    summary.caption = QRectF(left, amountTop, caption.width(), caption.height());
    qreal numberTop = amountTop + caption.height() + kAmountGap;
    summary.number = QRectF(left, numberTop, numberWidth, numberMetrics.height());
    summary.baseline = numberTop + numberMetrics.ascent();
    summary.unit = QRectF(left + numberWidth + kAmountGap, summary.baseline - unitMetrics.ascent(),
                          unitWidth, unitMetrics.height());

    summary.explanationAt = {left + amountWidth + kCardGap,
                             centre - summary.explanation.size().height() / 2};
    if (!button.isEmpty())
        summary.freeButton = QRectF(card.right() - kCardInset - button.width(),
                                    centre - button.height() / 2, button.width(), button.height());
    summary.card = card;
    return summary;
}

ShelfLayout::Empty layoutEmpty(const ShelfInput& input, qreal width, qreal top) {
    ShelfLayout::Empty empty;
    qreal inner = width - 2 * ShelfLayout::kPadding;
    qreal symbol = Symbols::extent(24);
    empty.titleText = qs(ShelfText::emptyTitle());
    QFontMetricsF titleMetrics(Fonts::text(15, QFont::Medium));
    empty.detail = TextFlow(qs(ShelfText::emptyDetail(input.shelfDays)), Fonts::text(13), inner,
                            {.alignment = Qt::AlignHCenter, .fontLineHeight = true});
    qreal y = top + kEmptyMargin;
    empty.symbol = QRectF(width / 2 - symbol / 2, y, symbol, symbol);
    y += symbol + kEmptyGap;
    empty.title = QRectF(ShelfLayout::kPadding, y, inner, titleMetrics.height());
    y += titleMetrics.height() + kEmptyGap;
    empty.detailAt = {ShelfLayout::kPadding, y};
    return empty;
}

ShelfLayout::Section layoutSection(const ShelfInput& input, size_t index, qreal width, qreal top) {
    ShelfLayout::Section section;
    const UndoShelf::Sweep& sweep = input.listing->sweeps[index];
    section.sweep = std::shared_ptr<const UndoShelf::Sweep>(input.listing, &sweep);
    section.entries = ShelfEntries(input.listing, index);
    section.card =
        QRectF(ShelfLayout::kPadding, top, width - 2 * ShelfLayout::kPadding,
               ShelfLayout::kHeaderHeight +
                   section.entries.size() * (ShelfLayout::kRule + ShelfLayout::kRowHeight));
    section.header =
        QRectF(section.card.topLeft(), QSizeF(section.card.width(), ShelfLayout::kHeaderHeight));

    section.days = ShelfText::daysLeft(sweep, input.now);
    section.lastDay = ShelfText::isLastDay(section.days.days);
    section.daysTextText = qs(ShelfText::daysLeftText(section.days.days));
    section.barLabel = qs(ShelfText::daysLeftLabel(section.days));
    section.dateText = qs(ShelfText::sweepDate(sweep.date));
    section.summaryText = qs(ShelfText::sweepSummary(sweep));
    section.anyGoesBack = ShelfText::anyGoesBack(sweep);

    qreal centre = section.header.center().y();
    qreal right = section.header.right() - kSideInset;
    QSizeF link = TextLinkButton::idealSize(ShelfLayout::kPutAllBack, ShelfLayout::kLinkSize);
    section.putAllBack =
        QRectF(right - link.width(), centre - link.height() / 2, link.width(), link.height());
    qreal daysHeight = QFontMetricsF(Fonts::text(12.5, QFont::Medium)).height();
    section.daysText = QRectF(section.putAllBack.left() - kHeaderGap - kDaysTextBox,
                              centre - daysHeight / 2, kDaysTextBox, daysHeight);

    // The date and the summary keep their whole width: a long hold's squares wrap onto more
    // rows instead.
    const QFont dateFont = Fonts::text(14, QFont::DemiBold);
    const QFont summaryFont = Fonts::mono(12);
    qreal left = section.header.left() + kSideInset;
    qreal needed = std::max(QFontMetricsF(dateFont).horizontalAdvance(section.dateText),
                            QFontMetricsF(summaryFont).horizontalAdvance(section.summaryText));
    auto columnWidth = [&](QSizeF bar) {
        return std::max(0.0,
                        section.daysText.left() - kHeaderGap - bar.width() - 2 * kHeaderGap - left);
    };
    QSizeF bar;
    for (int rows = 1; rows <= ShelfLayout::kMaxBarRows; ++rows) {
        section.barColumns = ShelfLayout::barColumns(section.days, rows);
        bar = ShelfLayout::barSize(section.days, section.barColumns);
        if (columnWidth(bar) >= needed) break;
    }
    section.bar = QRectF(section.daysText.left() - kHeaderGap - bar.width(),
                         centre - bar.height() / 2, bar.width(), bar.height());

    auto [date, line] = stacked(left, columnWidth(bar), centre, QFontMetricsF(dateFont).height(),
                                QFontMetricsF(summaryFont).height());
    section.date = date;
    section.summary = line;
    return section;
}

} // namespace

ShelfEntries::ShelfEntries(std::shared_ptr<const ShelfListing> listing, size_t sweep)
    : sweep_(listing, &listing->sweeps.at(sweep)), order_(&listing->largestFirst.at(sweep)) {}

ShelfInput ShelfInput::from(const AppModel& model) {
    const Catalog& catalog = model.catalog();
    return {model.shelfListing(), model.shelfBytes(), catalog.settings().shelfDays, catalog.home,
            catalog.now()};
}

bool ShelfInput::sameContent(const ShelfInput& other) const {
    return shelfBytes == other.shelfBytes && shelfDays == other.shelfDays && home == other.home &&
           listing == other.listing;
}

ShelfLayout ShelfLayout::make(const ShelfInput& input, qreal width) {
    ShelfLayout layout;
    layout.width = width;
    layout.home = input.home;
    layout.summary = layoutSummary(input, width, kPadding);
    qreal y = layout.summary.card.bottom() + kSpacing;
    if (input.listing->sweeps.empty()) {
        layout.empty = layoutEmpty(input, width, y);
        y = layout.empty->detailAt.y() + layout.empty->detail.size().height() + kEmptyMargin;
    } else {
        for (size_t i = 0; i < input.listing->sweeps.size(); ++i) {
            layout.sections.push_back(layoutSection(input, i, width, y));
            y = layout.sections.back().card.bottom() + kSpacing;
        }
        y -= kSpacing;
    }
    layout.height = std::ceil(y + kPadding);
    return layout;
}

int ShelfLayout::barColumns(ShelfText::DaysLeftCount count, int rows) {
    int squares = ShelfText::squares(count).total;
    return std::max(1, (squares + rows - 1) / std::max(1, rows));
}

QSizeF ShelfLayout::barSize(ShelfText::DaysLeftCount count, int columns) {
    int squares = ShelfText::squares(count).total;
    columns = std::clamp(columns, 1, std::max(1, squares));
    int rows = (squares + columns - 1) / columns;
    auto extent = [](int n) { return n * kSquare + std::max(0, n - 1) * kSquareGap; };
    return {extent(std::min(columns, squares)), extent(std::max(1, rows))};
}

QRectF ShelfLayout::Section::ruleAbove(int index) const {
    qreal top = header.bottom() + index * (kRule + kRowHeight);
    return QRectF(card.left(), top, card.width(), kRule);
}

ShelfLayout::Row ShelfLayout::Section::row(int index) const {
    Row row;
    row.rect = QRectF(card.left(), ruleAbove(index).bottom(), card.width(), kRowHeight);
    qreal centre = row.rect.center().y();
    qreal left = row.rect.left() + kSideInset;
    qreal right = row.rect.right() - kSideInset;
    row.action = qs(ShelfText::entryAction(entries[index]));
    QSizeF button = OutlineButton::idealSize(row.action, kPutBackHeight, kPutBackFont);
    row.button = QRectF(right - button.width(), centre - button.height() / 2, button.width(),
                        button.height());
    row.size =
        QRectF(row.button.left() - kRowGap - kSizeBox, row.rect.top(), kSizeBox, row.rect.height());
    row.icon = QRectF(left, centre - kIconBox / 2, kIconBox, kIconBox);
    qreal columnLeft = row.icon.right() + kRowGap;
    qreal columnWidth = std::max(0.0, row.size.left() - 2 * kRowGap - kMinFlexible - columnLeft);
    auto [label, place] = stacked(columnLeft, columnWidth, centre,
                                  QFontMetricsF(Fonts::text(13.5, QFont::Medium)).height(),
                                  QFontMetricsF(Fonts::mono(11.5)).height());
    row.label = label;
    row.place = place;
    return row;
}

std::pair<int, int> ShelfLayout::Section::rowsMeeting(qreal top, qreal bottom) const {
    const qreal pitch = kRule + kRowHeight;
    const int count = static_cast<int>(entries.size());
    int first = static_cast<int>(std::floor((top - header.bottom()) / pitch));
    int last = static_cast<int>(std::floor((bottom - header.bottom()) / pitch)) + 1;
    return {std::clamp(first, 0, count), std::clamp(last, 0, count)};
}

std::optional<ShelfLayout::Place> ShelfLayout::putBackAt(QPointF point) const {
    for (int s = 0; s < static_cast<int>(sections.size()); ++s) {
        const Section& section = sections[s];
        if (!section.card.contains(point)) continue;
        auto [first, last] = section.rowsMeeting(point.y(), point.y());
        for (int r = first; r < last; ++r)
            if (section.row(r).button.contains(point)) return Place{s, r};
    }
    return std::nullopt;
}

} // namespace kelvora
