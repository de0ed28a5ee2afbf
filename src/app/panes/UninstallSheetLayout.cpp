#include "panes/UninstallSheetLayout.h"

#include "controller/AppModel.h"
#include "design/Buttons.h"
#include "design/Fonts.h"
#include "design/QtString.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace kelvora {

namespace {

using Layout = UninstallSheetLayout;
using State = UninstallText::State;

constexpr qreal kHeaderGap = 14;
constexpr qreal kTitleGap = 3;
constexpr qreal kListInset = 12;
constexpr qreal kListGap = 4;
constexpr qreal kButtonGap = 10;
constexpr qreal kMessageGap = 14;
constexpr qreal kCancelHeight = 32;
constexpr qreal kCancelFont = 13;
constexpr qreal kMoveHeight = 58;
constexpr qreal kMoveFont = 18;

QFont messageFont(State state) {
    switch (state) {
    case State::report:
        return Fonts::text(14, QFont::Medium);
    case State::inUse:
    case State::adminInstalled:
        return Fonts::text(13.5);
    case State::ready:
        break;
    }
    return Fonts::text(13);
}

Layout::Tone messageTone(State state) {
    if (state == State::inUse) return Layout::Tone::warning;
    if (state == State::report) return Layout::Tone::plain;
    return Layout::Tone::quiet;
}

std::vector<Layout::PlacedButton> buttonsFor(State state, const ScanItem& item) {
    auto cancel = [] {
        QSizeF size = OutlineButton::idealSize("Cancel", kCancelHeight, kCancelFont);
        return Layout::PlacedButton{Layout::Button::cancel, "Cancel", QRectF({0, 0}, size)};
    };
    auto ink = [](Layout::Button button, const QString& title) {
        return Layout::PlacedButton{button, title, QRectF({0, 0}, InkButton::idealSize(title))};
    };
    switch (state) {
    case State::report:
        return {ink(Layout::Button::done, "Done")};
    case State::inUse:
        return {ink(Layout::Button::ok, "OK")};
    case State::adminInstalled:
        return {cancel(), ink(Layout::Button::usePassword, "Use password…")};
    case State::ready:
        break;
    }
    QString move = toQString(UninstallText::moveTitle(item));
    return {cancel(),
            {Layout::Button::move, move,
             QRectF({0, 0}, SignalButton::idealSize(move, kMoveHeight, kMoveFont, false))}};
}

} // namespace

UninstallInput UninstallInput::from(const AppModel& model, const ScanItem& item) {
    const Catalog& catalog = model.catalog();
    return {item, model.uninstallReport(), catalog.settings().shelfDays, catalog.home};
}

UninstallSheetLayout UninstallSheetLayout::make(const UninstallInput& input) {
    Layout layout;
    const ScanItem& item = input.item;
    const qreal left = kPadding;
    const qreal inner = kWidth - 2 * kPadding;
    layout.state = UninstallText::state(item, input.report);

    // Header: the icon beside the title and the subtitle, centred on each other.
    qreal textLeft = left + kIcon + kHeaderGap;
    qreal textWidth = kWidth - kPadding - textLeft;
    layout.title = TextFlow(toQString(UninstallText::title(item)), Fonts::text(20, QFont::DemiBold),
                            textWidth, {.fontLineHeight = true});
    layout.subtitle = TextFlow(toQString(UninstallText::subtitle(item)), Fonts::text(13.5),
                               textWidth, {.fontLineHeight = true});
    qreal textHeight = layout.title.size().height() + kTitleGap + layout.subtitle.size().height();
    qreal headerHeight = std::max(kIcon, textHeight);
    qreal centre = kPadding + headerHeight / 2;
    layout.icon = QRectF(left, centre - kIcon / 2, kIcon, kIcon);
    layout.iconSymbol = item.kind == JunkKind::apps ? "square.grid.2x2" : "folder";
    layout.titleAt = {textLeft, centre - textHeight / 2};
    layout.subtitleAt = {textLeft, layout.titleAt.y() + layout.title.size().height() + kTitleGap};

    // The files that go.
    UninstallText::FileList files = UninstallText::files(item, input.home);
    qreal y = kPadding + headerHeight + kGap;
    qreal lineHeight = QFontMetricsF(Fonts::mono(11.5)).height();
    qreal lineY = y + kListInset;
    for (const auto& path : files.paths) {
        layout.paths.push_back(toQString(path));
        layout.pathRects.push_back(
            QRectF(left + kListInset, lineY, inner - 2 * kListInset, lineHeight));
        lineY += lineHeight + kListGap;
    }
    if (files.more) {
        layout.more = toQString(*files.more);
        qreal moreHeight = QFontMetricsF(Fonts::text(12)).height();
        layout.moreRect = QRectF(left + kListInset, lineY, inner - 2 * kListInset, moreHeight);
        lineY += moreHeight + kListGap;
    }
    qreal listBottom = std::max(lineY - kListGap, y + kListInset) + kListInset;
    layout.list = QRectF(left, y, inner, listBottom - y);

    // The message, then the buttons at the right.
    y = layout.list.bottom() + kGap;
    layout.tone = messageTone(layout.state);
    layout.message =
        TextFlow(toQString(UninstallText::message(item, input.report, input.shelfDays)),
                 messageFont(layout.state), inner, {.fontLineHeight = true});
    layout.messageAt = {left, y};
    y += layout.message.size().height() + kMessageGap;

    layout.buttons = buttonsFor(layout.state, item);
    qreal rowHeight = 0;
    for (const auto& placed : layout.buttons)
        rowHeight = std::max(rowHeight, placed.rect.height());
    qreal x = kWidth - kPadding;
    for (auto it = layout.buttons.rbegin(); it != layout.buttons.rend(); ++it) {
        QSizeF size = it->rect.size();
        x -= size.width();
        it->rect =
            QRectF(QPointF(std::round(x), std::round(y + (rowHeight - size.height()) / 2)), size);
        x -= kButtonGap;
    }
    layout.size = QSizeF(kWidth, std::ceil(y + rowHeight + kPadding));
    return layout;
}

const UninstallSheetLayout::PlacedButton* UninstallSheetLayout::find(Button button) const {
    for (const auto& placed : buttons)
        if (placed.button == button) return &placed;
    return nullptr;
}

} // namespace kelvora
