#include "window/SimpleLayout.h"

#include "design/Buttons.h"
#include "design/DialGeometry.h"
#include "design/Fonts.h"
#include "design/ForecastLine.h"
#include "design/Meter.h"
#include "design/QtString.h"
#include "design/Symbols.h"

#include <QFontMetricsF>

#include <algorithm>

namespace kelvora {

namespace {

constexpr qreal kDialColumnSpacing = 10;
constexpr qreal kFreeLineSpacing = 10;
constexpr qreal kSummarySpacing = 20;
constexpr qreal kStatusSpinner = SignalButton::kSpinner;
constexpr qreal kStatusSpacing = 8;
constexpr qreal kHeadlineLineSpacing = 2;
constexpr qreal kBodyLineSpacing = 4;
constexpr qreal kBodyWidth = 470;
constexpr qreal kMeterWidth = 260;
constexpr qreal kRowButtonSpacing = 22;
constexpr qreal kReassuranceSpacing = 24;
constexpr qreal kReassuranceGap = 6;
constexpr qreal kReassuranceExtra = 6;
constexpr qreal kNoteSpacing = 10;
constexpr qreal kFootnoteRaise = 10;

QRectF placed(qreal x, qreal y, QSizeF size) {
    return QRectF(QPointF(x, y), size);
}

// A row of items centred on one line, `spacing` apart, starting at `x`; returns the row's
// height and the items' rectangles.
std::vector<QRectF> centredRow(qreal x, qreal y, const std::vector<QSizeF>& sizes, qreal spacing,
                               qreal* height) {
    qreal tallest = 0;
    for (QSizeF size : sizes)
        tallest = std::max(tallest, size.height());
    std::vector<QRectF> rects;
    for (QSizeF size : sizes) {
        rects.push_back(placed(x, y + (tallest - size.height()) / 2, size));
        x += size.width() + spacing;
    }
    *height = tallest;
    return rects;
}

SimpleLayout::Label label(const char* symbol, const char* text, qreal x, qreal y) {
    QFontMetricsF metrics(SimpleLayout::reassuranceFont());
    qreal icon = Symbols::extent(14);
    qreal height = std::max(icon, metrics.height());
    return {symbol, text, QRectF(x, y + (height - icon) / 2, icon, icon),
            QRectF(x + icon + kReassuranceGap, y + (height - metrics.height()) / 2,
                   metrics.horizontalAdvance(text), metrics.height())};
}

// A footnote line `width` wide at `y`: the symbol, the text wrapped in the room the link
// leaves, and the link after the text, both on the text's first line.
SimpleLayout::Note note(const QString& symbol, const std::string& text,
                        const std::optional<QString>& link, qreal x, qreal y, qreal width) {
    SimpleLayout::Note note;
    QFont font = SimpleLayout::noteFont();
    QFontMetricsF metrics(font);
    qreal textX = x;
    if (!symbol.isEmpty()) {
        qreal icon = Symbols::extent(SimpleLayout::kNoteSize);
        note.symbol = symbol;
        note.symbolBox = QRectF(x, y + (metrics.height() - icon) / 2, icon, icon);
        textX += icon + kNoteSpacing;
    }
    QSizeF linkSize = link ? TextLinkButton::idealSize(*link, SimpleLayout::kNoteSize) : QSizeF();
    qreal room = x + width - textX - (link ? linkSize.width() + kNoteSpacing : 0);
    note.text = TextFlow(toQString(text), font, room);
    note.textAt = QPointF(textX, y);
    if (link) {
        // The link's title sits on the text's first baseline.
        note.link = placed(textX + note.text.size().width() + kNoteSpacing,
                           y + note.text.firstBaseline() - metrics.ascent(), linkSize);
    }
    return note;
}

qreal bottomOf(const SimpleLayout::Note& note) {
    return std::max(note.textAt.y() + note.text.size().height(), note.link.bottom());
}

} // namespace

QFont SimpleLayout::freeSpaceFont() {
    return Fonts::number(44);
}
QFont SimpleLayout::freeOfFont() {
    return Fonts::text(17);
}
QFont SimpleLayout::statusFont() {
    return Fonts::text(14, QFont::Medium);
}
QFont SimpleLayout::headlineFont() {
    QFont font = Fonts::text(40, QFont::DemiBold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, -0.8);
    return font;
}
QFont SimpleLayout::bodyFont() {
    return Fonts::text(18);
}
QFont SimpleLayout::reassuranceFont() {
    return Fonts::text(14);
}
QFont SimpleLayout::noteFont() {
    return Fonts::text(kNoteSize);
}

SimpleLayout SimpleLayout::make(const SimpleState& state, QSizeF size) {
    SimpleLayout out;
    const qreal left = kSideMargin;
    const qreal width = std::max<qreal>(size.width() - 2 * kSideMargin, 1);

    // The dial region, laid out from 0 and moved into place once the row's height is known.
    qreal dialY = 0;
    out.dial = QRectF(left, dialY, kDialWidth,
                      kDialWidth * DialGeometry::kDrawnHeight / DialGeometry::kDesignWidth);
    dialY += kDialHeight + kDialColumnSpacing;
    QFontMetricsF number(freeSpaceFont());
    QFontMetricsF text(freeOfFont());
    const QString free = toQString(state.freeSpace);
    const QString freeOf = toQString(state.freeOf);
    const qreal numberWidth = number.horizontalAdvance(free);
    const qreal freeWidth = numberWidth + kFreeLineSpacing + text.horizontalAdvance(freeOf);
    const qreal baseline = dialY + std::max(number.ascent(), text.ascent());
    const qreal freeLeft = left + (kDialWidth - freeWidth) / 2;
    out.freeSpace = QRectF(freeLeft, baseline - number.ascent(), numberWidth, number.height());
    out.freeOf = QRectF(freeLeft + numberWidth + kFreeLineSpacing, baseline - text.ascent(),
                        text.horizontalAdvance(freeOf), text.height());
    dialY = std::max(out.freeSpace.bottom(), out.freeOf.bottom());
    if (ForecastLine::isShown(state.forecastDays)) {
        QSizeF forecast = ForecastLine::idealSize(*state.forecastDays, kForecastSize);
        dialY += kDialColumnSpacing;
        out.forecast = placed(left + (kDialWidth - forecast.width()) / 2, dialY, forecast);
        dialY = out.forecast.bottom();
    }
    const qreal dialHeight = dialY;

    // The summary, from 0 as well.
    const qreal sx = left + kDialWidth + kDialToSummary;
    // Narrower than this, the headline would wrap word by word; the summary runs off the
    // edge instead.
    const qreal sw = std::max<qreal>(left + width - sx, 280);
    qreal y = 0;
    QFontMetricsF status(statusFont());
    qreal statusHeight = std::max(status.height(), state.spinning ? kStatusSpinner : 0.0);
    qreal statusX = sx;
    if (state.spinning) {
        out.spinnerCenter = QPointF(sx + kStatusSpinner / 2, y + statusHeight / 2);
        statusX += kStatusSpinner + kStatusSpacing;
    }
    out.status = QRectF(statusX, y + (statusHeight - status.height()) / 2,
                        status.horizontalAdvance(toQString(state.status)), status.height());
    y += statusHeight + kSummarySpacing;
    out.headline =
        TextFlow(Copy::flowRuns(state.headline), headlineFont(), sw, {kHeadlineLineSpacing});
    out.headlineAt = QPointF(sx, y);
    y += out.headline.size().height() + kSummarySpacing;
    out.body =
        TextFlow(toQString(state.body), bodyFont(), std::min(kBodyWidth, sw), {kBodyLineSpacing});
    out.bodyAt = QPointF(sx, y);
    y += out.body.size().height() + kSummarySpacing;

    qreal rowHeight = 0;
    switch (state.element) {
    case SimpleState::Element::none:
        break;
    case SimpleState::Element::meter:
        out.meter = QRectF(sx, y, kMeterWidth, Meter::kHeight);
        rowHeight = Meter::kHeight;
        break;
    case SimpleState::Element::readyRow: {
        auto row = centredRow(sx, y,
                              {SignalButton::idealSize(toQString(state.cleanTitle), kButtonHeight,
                                                       kButtonFont, false),
                               TextLinkButton::idealSize("See what’s inside", kLinkSize)},
                              kRowButtonSpacing, &rowHeight);
        out.cleanButton = row[0];
        out.seeInside = row[1];
        break;
    }
    case SimpleState::Element::cleaningButton:
        out.cleanButton = placed(
            sx, y,
            SignalButton::idealSize(toQString(state.cleanTitle), kButtonHeight, kButtonFont, true));
        rowHeight = kButtonHeight;
        break;
    case SimpleState::Element::doneRow: {
        std::vector<QSizeF> sizes;
        if (state.freeNowTitle) {
            sizes.push_back(SignalButton::idealSize(toQString(*state.freeNowTitle), kButtonHeight,
                                                    kButtonFont, false));
            sizes.push_back(TextLinkButton::idealSize("Open Undo Shelf", kLinkSize));
        }
        // The receipt's link follows the shelf's two on their line while it fits the
        // summary, and goes under them in a narrower window rather than past its edge.
        const QSizeF share = TextLinkButton::idealSize("Share your receipt", kLinkSize);
        qreal width = share.width();
        for (QSizeF size : sizes)
            width += size.width() + kRowButtonSpacing;
        const bool shareOnRow = state.shareReceipt && (sizes.empty() || width <= sw);
        if (shareOnRow) sizes.push_back(share);
        auto row = centredRow(sx, y, sizes, kRowButtonSpacing, &rowHeight);
        if (state.freeNowTitle) {
            out.freeNow = row[0];
            out.openShelf = row[1];
        }
        if (shareOnRow) {
            out.shareReceipt = row.back();
        } else if (state.shareReceipt) {
            out.shareReceipt = placed(sx, y + rowHeight + kSummarySpacing / 2, share);
            rowHeight += kSummarySpacing / 2 + share.height();
        }
        break;
    }
    }
    // An empty row takes no room.
    if (rowHeight > 0) y += rowHeight + kSummarySpacing;
    y += kReassuranceExtra;
    out.reassurance[0] =
        label("arrow.triangle.2.circlepath", SimpleText::kCachesReassurance, sx, y);
    out.reassurance[1] = label("lock.shield", SimpleText::kPrivacyReassurance,
                               out.reassurance[0].textBox.right() + kReassuranceSpacing, y);
    // In a narrow window the second label goes under the first rather than past the edge.
    if (out.reassurance[1].textBox.right() > sx + sw)
        out.reassurance[1] = label("lock.shield", SimpleText::kPrivacyReassurance, sx,
                                   out.reassurance[0].textBox.bottom() + kSummarySpacing / 2);
    const qreal summaryHeight =
        std::max(out.reassurance[1].textBox.bottom(), out.reassurance[1].symbolBox.bottom());

    // The tiles take their tallest one's height; the footnote follows them.
    const qreal firstRow = std::max(dialHeight, summaryHeight);
    qreal tileY = firstRow + kRowSpacing;
    const qreal tileWidth = (width - 3 * kTileSpacing) / 4;
    qreal tileHeight = 0;
    for (const Tile& tile : state.tiles)
        tileHeight = std::max(tileHeight, TileView::layout(tile, tileWidth).height);
    for (size_t i = 0; i < out.tiles.size(); ++i)
        out.tiles[i] = QRectF(left + i * (tileWidth + kTileSpacing), tileY, tileWidth, tileHeight);
    qreal bottom = tileY + tileHeight;
    if (state.hasFootnote()) {
        qreal noteY = bottom + kRowSpacing - kFootnoteRaise;
        auto add = [&](std::optional<Note>& slot, Note note) {
            slot = std::move(note);
            bottom = bottomOf(*slot);
            noteY = bottom + kNoteSpacing;
        };
        if (state.optIn)
            add(out.optIn, note("tray.full", state.optIn->text, "Review", left, noteY, width));
        if (state.mailNote)
            add(out.mail, note("envelope", SimpleText::kMailNote, SimpleText::kWhatToCheck, left,
                               noteY, width));
        if (state.inUseNote)
            add(out.inUse, note({}, *state.inUseNote, std::nullopt, left, noteY, width));
    }

    // Centre the whole block, with its bottom margin, in the height given; both columns of
    // the first row are centred on the row.
    const qreal top = std::max<qreal>((size.height() - kBottomMargin - bottom) / 2, 0);
    const qreal dialShift = top + (firstRow - dialHeight) / 2;
    const qreal summaryShift = top + (firstRow - summaryHeight) / 2;
    for (QRectF* r : {&out.dial, &out.freeSpace, &out.freeOf, &out.forecast})
        if (!r->isNull()) r->translate(0, dialShift);
    for (QRectF* r : {&out.status, &out.meter, &out.cleanButton, &out.seeInside, &out.freeNow,
                      &out.openShelf, &out.shareReceipt})
        if (!r->isNull()) r->translate(0, summaryShift);
    out.spinnerCenter += QPointF(0, summaryShift);
    out.headlineAt += QPointF(0, summaryShift);
    out.bodyAt += QPointF(0, summaryShift);
    for (Label& l : out.reassurance) {
        l.symbolBox.translate(0, summaryShift);
        l.textBox.translate(0, summaryShift);
    }
    for (QRectF& tile : out.tiles)
        tile.translate(0, top);
    for (std::optional<Note>* n : {&out.optIn, &out.mail, &out.inUse}) {
        if (!*n) continue;
        (*n)->symbolBox.translate(0, top);
        (*n)->textAt += QPointF(0, top);
        if (!(*n)->link.isNull()) (*n)->link.translate(0, top);
    }
    out.content = QRectF(left, top, width, bottom);
    return out;
}

} // namespace kelvora
