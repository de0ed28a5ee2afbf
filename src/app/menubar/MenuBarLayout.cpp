#include "menubar/MenuBarLayout.h"

#include "design/Buttons.h"
#include "design/Caption.h"
#include "design/Fonts.h"
#include "design/ForecastLine.h"
#include "design/QtString.h"
#include "design/Symbols.h"
#include "model/Format.h"
#include "platform/Saturating.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QRegularExpression>

#include <algorithm>

namespace kelvora {

namespace {

using Kind = MenuBarModel::State::Kind;

constexpr qreal kInner = MenuBarLayout::kWidth - 2 * MenuBarLayout::kPadding;
constexpr qreal kLinkGap = 8;

double share(int64_t bytes, int64_t total) {
    return std::clamp(static_cast<double>(bytes) / static_cast<double>(std::max<int64_t>(total, 1)),
                      0.0, 1.0);
}

MenuBarLayout::Text text(QPointF at, const QString& words, const QFont& font, Token color) {
    return {at, TextFlow(words, font, kInner, {.fontLineHeight = true}), color};
}

// The disk's figures beside the dial, and the dial itself, centred on one row.
qreal layDiskRow(MenuBarLayout& layout, const MenuBarInput& input, qreal y) {
    using L = MenuBarLayout;
    layout.dialValues = MenuBarText::dial(input.disk, input.state);
    Format::SizeParts parts = Format::sizeParts(input.disk.available);
    layout.numberText = toQString(parts.number);
    layout.unitText = toQString(parts.unit);
    QFontMetricsF number(Fonts::number(30)), unit(Fonts::number(13));
    QFont freeFont = Fonts::text(12);
    qreal left = L::kPadding + L::kDialWidth + 14;
    TextFlow freeOf = TextFlow(MenuBarText::freeOf(input.disk), freeFont,
                               L::kWidth - L::kPadding - left, {.fontLineHeight = true});
    qreal column = number.height() + 2 + freeOf.size().height();
    qreal row = std::max(L::kDialHeight, column);
    layout.dial =
        QRectF(L::kPadding, y + (row - L::kDialHeight) / 2, L::kDialWidth, L::kDialHeight);
    qreal top = y + (row - column) / 2;
    layout.number = QRectF(left, top, number.horizontalAdvance(layout.numberText), number.height());
    qreal baseline = top + number.ascent();
    layout.unit = QRectF(layout.number.right() + 4, baseline - unit.ascent(),
                         unit.horizontalAdvance(layout.unitText), unit.height());
    layout.freeOf = {QPointF(left, top + number.height() + 2), freeOf, Token::muted};
    return y + row;
}

qreal laySignal(MenuBarLayout& layout, const QString& title, bool busy, qreal y) {
    using L = MenuBarLayout;
    QSizeF size = SignalButton::idealSize(title, L::kSignalHeight, L::kSignalFont, busy);
    layout.signalButton = QRectF(L::kPadding, y, std::min(size.width(), kInner), L::kSignalHeight);
    layout.signalTitle = title;
    layout.signalBusy = busy;
    return y + L::kSignalHeight;
}

qreal layQuickClean(MenuBarLayout& layout, const MenuBarModel::State& state, qreal y) {
    using L = MenuBarLayout;
    QPointF at(L::kPadding, y);
    switch (state.kind) {
    case Kind::checking: {
        QFont font = Fonts::text(13);
        qreal row = std::max(L::kSpinner, QFontMetricsF(font).height());
        layout.section = L::Section::checking;
        layout.spinner = QRectF(L::kPadding, y + (row - L::kSpinner) / 2, L::kSpinner, L::kSpinner);
        layout.status =
            L::Text{QPointF(L::kPadding + L::kSpinner + 8, y),
                    TextFlow("Checking app caches…", font, kInner - 22, {.fontLineHeight = true}),
                    Token::muted};
        layout.status->at.ry() += (row - layout.status->lines.size().height()) / 2;
        return y + row;
    }
    case Kind::ready:
        if (state.bytes >= 1) {
            layout.section = L::Section::offer;
            layout.status = text(at,
                                 "App caches only. They rebuild on their own, and caches of "
                                 "open apps stay.",
                                 Fonts::text(12), Token::muted);
            y += layout.status->lines.size().height() + 8;
            return laySignal(layout, MenuBarText::clearTitle(state.bytes), false, y);
        }
        layout.section = L::Section::nothing;
        layout.status =
            text(at, "No caches worth clearing right now.", Fonts::text(13), Token::muted);
        return y + layout.status->lines.size().height();
    case Kind::cleaning:
        layout.section = L::Section::cleaning;
        return laySignal(layout, "Clearing…", true, y);
    case Kind::cleaned:
        break;
    }
    layout.section = L::Section::cleaned;
    QFont strong = Fonts::text(14, QFont::DemiBold);
    layout.cleanedLine =
        MixedText::wrap({{"Cleared ", strong, Token::ink},
                         {toQString(Format::size(state.bytes)), strong, Token::signalText},
                         {". For everything else, open Kelvora.", Fonts::text(13), Token::muted}},
                        kInner);
    layout.cleanedAt = at;
    return y + layout.cleanedLine->size.height();
}

qreal layNotice(MenuBarLayout& layout, const AppModel::Notice& notice, qreal y) {
    using L = MenuBarLayout;
    L::Notice placed;
    placed.title =
        text({L::kPadding, y}, toQString(notice.title), Fonts::text(13, QFont::Medium), Token::ink);
    y += placed.title.lines.size().height() + 6;
    placed.detail = text({L::kPadding, y}, toQString(notice.detail), Fonts::text(12), Token::muted);
    y += placed.detail.lines.size().height() + 6;
    QSizeF review = OutlineButton::idealSize("Review leftovers", 26, 12);
    QSizeF dismiss = TextLinkButton::idealSize("Dismiss", 12);
    qreal row = std::max(review.height(), dismiss.height());
    placed.review = QRectF(QPointF(L::kPadding, y + (row - review.height()) / 2), review);
    placed.dismiss = QRectF(
        QPointF(placed.review.right() + kLinkGap, y + (row - dismiss.height()) / 2), dismiss);
    layout.notice = placed;
    return y + row;
}

} // namespace

MenuBarInput MenuBarInput::from(const MenuBarModel& menu, const AppModel& app) {
    return {menu.disk(), menu.forecastDays(), menu.state(), app.removedAppNotice()};
}

namespace MenuBarText {

DialValues dial(const DiskSpace& disk, const MenuBarModel::State& state) {
    int64_t used = std::max<int64_t>(saturatingSubtract(disk.total, disk.available), 0);
    int64_t offered = state.kind == Kind::ready ? state.bytes : 0;
    // The caches on offer were measured apart from the disk's figures, at another moment: they
    // can outweigh what the disk reports in use, and the dial never reads below empty.
    return {share(used, disk.total), share(saturatingSubtract(used, offered), disk.total),
            disk.total};
}

QString freeOf(const DiskSpace& disk) {
    return "free of " + toQString(Format::size(disk.total));
}

QString clearTitle(int64_t bytes) {
    return "Clear " + toQString(Format::size(bytes)) + " of caches";
}

} // namespace MenuBarText

MixedText MixedText::wrap(const std::vector<Run>& runs, qreal width) {
    qreal ascent = 0, descent = 0;
    for (const Run& run : runs) {
        QFontMetricsF metrics(run.font);
        ascent = std::max(ascent, metrics.ascent());
        descent = std::max(descent, metrics.descent());
    }
    MixedText result;
    qreal lineHeight = ascent + descent, x = 0, widest = 0;
    int line = 0;
    for (const Run& run : runs) {
        QFontMetricsF metrics(run.font);
        // Each word keeps the blanks after it, so the runs join up as they were written; a
        // size's figure and unit are one word.
        const QString glued = unbrokenSizes(run.text);
        qsizetype start = 0;
        while (start < run.text.size()) {
            qsizetype end = glued.indexOf(' ', start);
            end = end < 0 ? run.text.size() : run.text.indexOf(QRegularExpression("[^ ]"), end);
            if (end < 0) end = run.text.size();
            QString word = run.text.mid(start, end - start);
            qreal inked = metrics.horizontalAdvance(word.trimmed());
            if (x > 0 && x + inked > width) {
                ++line;
                x = 0;
            }
            result.words.push_back({word, run.font, run.color, {x, line * lineHeight + ascent}});
            widest = std::max(widest, x + inked);
            x += metrics.horizontalAdvance(word);
            start = end;
        }
    }
    result.size = QSizeF(widest, result.words.empty() ? 0 : (line + 1) * lineHeight);
    return result;
}

QString MixedText::text() const {
    QString all;
    for (const Word& word : words)
        all += word.text;
    return all;
}

void MixedText::paint(QPainter& painter, QPointF topLeft) const {
    painter.save();
    for (const Word& word : words) {
        painter.setFont(word.font);
        painter.setPen(Theme::color(word.color));
        painter.drawText(topLeft + word.baseline, word.text);
    }
    painter.restore();
}

MenuBarLayout MenuBarLayout::make(const MenuBarInput& input) {
    MenuBarLayout layout;
    qreal y = layDiskRow(layout, input, kPadding) + kGap;
    if (ForecastLine::isShown(input.forecastDays)) {
        double days = *input.forecastDays;
        qreal symbol = Symbols::extent(12);
        QFont font = ForecastLine::font(days, 12);
        TextFlow words = TextFlow(ForecastLine::title(days), font, kInner - symbol - 6,
                                  {.fontLineHeight = true});
        qreal first = QFontMetricsF(font).height();
        layout.forecastSymbol =
            QRectF(kPadding, y + std::max<qreal>(0, (first - symbol) / 2), symbol, symbol);
        layout.forecast = Text{{kPadding + symbol + 6, y},
                               words,
                               ForecastLine::isUrgent(days) ? Token::ink : Token::muted};
        y += std::max(symbol, words.size().height()) + kGap;
    }
    layout.separators.push_back(QRectF(kPadding, y, kInner, 1));
    y += 1 + kGap;
    layout.caption = QRectF(QPointF(kPadding, y), Caption::idealSize("Quick clean"));
    y += layout.caption.height() + 8;
    y = layQuickClean(layout, input.state, y) + kGap;
    if (input.notice) {
        layout.separators.push_back(QRectF(kPadding, y, kInner, 1));
        y = layNotice(layout, *input.notice, y + 1 + kGap) + kGap;
    }
    layout.separators.push_back(QRectF(kPadding, y, kInner, 1));
    y += 1 + kGap;
    QSizeF open = TextLinkButton::idealSize("Open Kelvora", 13);
    QSizeF quit = TextLinkButton::idealSize("Quit", 13);
    layout.open = QRectF(QPointF(kPadding, y), open);
    layout.quit = QRectF(QPointF(kWidth - kPadding - quit.width(), y), quit);
    y += std::max(open.height(), quit.height()) + kPadding;
    layout.size = QSizeF(kWidth, y);
    return layout;
}

} // namespace kelvora
