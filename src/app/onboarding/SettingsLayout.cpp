#include "onboarding/SettingsLayout.h"

#include "design/Buttons.h"
#include "design/Caption.h"
#include "design/Fonts.h"
#include "design/Symbols.h"
#include "onboarding/SettingsControls.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <functional>

namespace kelvora {

namespace {

using L = SettingsLayout;
using Choice = SettingsText::Choice;

constexpr qreal kSwitchGap = 16;
constexpr qreal kTitleSize = 13.5;

// Lays out the column top to bottom: each part at the current height, then the gap after it.
struct Column {
    L& layout;
    qreal left;
    qreal width;
    qreal y;

    qreal right() const { return left + width; }

    L::Text& text(const QString& words, const QFont& font, Token color, qreal x, qreal y0,
                  qreal wrapWidth) {
        layout.texts.push_back(
            {{x, y0}, TextFlow(words, font, wrapWidth, {.fontLineHeight = true}), color});
        return layout.texts.back();
    }
    // A text across the column, moving down past it.
    void line(const QString& words, const QFont& font, Token color) {
        y += text(words, font, color, left, y, width).lines.size().height();
    }
    // Words the column shows about a switch.
    void explain(L::Switch which, const QString& words) {
        QString& told = layout.explanations[which];
        told += (told.isEmpty() ? "" : " ") + words;
    }

    void caption(const QString& title) {
        QSizeF size = Caption::idealSize(title);
        layout.captions.push_back({QRectF(QPointF(left, y), size), title});
        y += size.height();
    }

    void choice(Choice which) {
        QFont font = Fonts::text(kTitleSize);
        TextFlow title = TextFlow(SettingsText::title(which), font,
                                  width - ChoiceButton::kWidth - 12, {.fontLineHeight = true});
        qreal row = std::max(ChoiceButton::kHeight, title.size().height());
        layout.texts.push_back({{left, y + (row - title.size().height()) / 2}, title, Token::ink});
        layout.choices[which] =
            QRectF(right() - ChoiceButton::kWidth, y + (row - ChoiceButton::kHeight) / 2,
                   ChoiceButton::kWidth, ChoiceButton::kHeight);
        y += row;
    }

    void toggle(L::Switch which) {
        qreal labelWidth = width - SwitchButton::kWidth - kSwitchGap;
        TextFlow title = TextFlow(L::switchTitle(which), Fonts::text(kTitleSize), labelWidth,
                                  {.fontLineHeight = true});
        TextFlow detail = TextFlow(L::switchDescription(which), Fonts::text(12), labelWidth,
                                   {.fontLineHeight = true});
        qreal column = title.size().height() + 2 + detail.size().height();
        qreal row = std::max(SwitchButton::kHeight, column);
        qreal top = y + (row - column) / 2;
        layout.texts.push_back({{left, top}, title, Token::ink});
        layout.texts.push_back({{left, top + title.size().height() + 2}, detail, Token::muted});
        explain(which, detail.text());
        layout.switches[which] =
            QRectF(right() - SwitchButton::kWidth, y + (row - SwitchButton::kHeight) / 2,
                   SwitchButton::kWidth, SwitchButton::kHeight);
        y += row;
    }

    void gap(qreal size) { y += size; }
};

void helperNote(Column& column, const SettingsState& state) {
    auto note = SettingsText::helperNote(state.helper, state.helperError);
    if (note.kind == SettingsText::HelperNote::Kind::none) return;
    column.explain(L::Switch::helper, note.text);
    column.gap(L::kRowGap);
    QFont font = Fonts::text(12);
    if (note.kind != SettingsText::HelperNote::Kind::needsApproval) {
        column.line(note.text, font, Token::signalText);
        return;
    }
    QSizeF link = TextLinkButton::idealSize(L::kOpenLoginItems, 12);
    qreal textWidth = QFontMetricsF(font).horizontalAdvance(note.text);
    textWidth = std::min(textWidth, column.width - link.width() - 10);
    L::Text& text =
        column.text(note.text, font, Token::signalText, column.left, column.y, textWidth);
    qreal row = std::max(link.height(), text.lines.size().height());
    text.at.ry() += (row - text.lines.size().height()) / 2;
    column.layout.openLoginItems = QRectF(
        QPointF(column.left + text.lines.naturalWidth() + 10, column.y + (row - link.height()) / 2),
        link);
    column.y += row;
}

void neverTouch(Column& column, const SettingsState& state) {
    column.line(L::kNeverTouchNote, Fonts::text(12.5), Token::muted);
    column.gap(L::kRowGap);
    qreal top = column.y;
    if (state.neverTouch.empty()) {
        column.y += 12;
        column.text(L::kNothingAdded, Fonts::text(13), Token::faint, column.left + 12, column.y,
                    column.width - 24);
        column.y += column.layout.texts.back().lines.size().height() + 12;
    }
    for (const std::string& stored : state.neverTouch) {
        L::PathRow row;
        row.rect = QRectF(column.left, column.y, column.width, L::kPathRowHeight);
        row.remove = QRectF(row.rect.right() - 12 - RemoveButton::kSide,
                            row.rect.center().y() - RemoveButton::kSide / 2, RemoveButton::kSide,
                            RemoveButton::kSide);
        row.path = QRectF(row.rect.left() + 12, row.rect.top(),
                          row.remove.left() - 8 - (row.rect.left() + 12), L::kPathRowHeight);
        row.shown = SettingsText::displayPath(stored, state.home);
        row.stored = stored;
        column.layout.rows.push_back(std::move(row));
        column.y += L::kPathRowHeight;
    }
    column.layout.listBox = QRectF(column.left, top, column.width, column.y - top);
    column.gap(L::kRowGap);
    column.layout.add = QRectF(QPointF(column.left, column.y),
                               OutlineButton::idealSize(L::kAdd, L::kButtonHeight, L::kButtonFont));
    column.y += L::kButtonHeight;
}

void scheduledClean(Column& column, const SettingsState& state) {
    column.toggle(L::Switch::scheduledClean);
    if (!state.values.scheduledClean) return;
    column.gap(L::kRowGap);
    column.choice(Choice::scheduleDays);
    QFont font = Fonts::text(12);
    if (auto ran = SettingsText::lastRan(state.values.lastScheduledClean,
                                         state.values.lastScheduledFreed, state.now)) {
        column.gap(L::kRowGap);
        column.line(*ran, font, Token::faint);
        column.explain(L::Switch::scheduledClean, *ran);
    }
    if (state.helper.which != ShelfSweeper::Status::Case::on) {
        const QString needed = "Turn on the helper above so this can run while Kelvora is closed.";
        column.gap(L::kRowGap);
        column.line(needed, font, Token::signalText);
        column.explain(L::Switch::scheduledClean, needed);
    }
}

void bottomRow(Column& column) {
    QSizeF button = OutlineButton::idealSize(L::kShowWelcome, L::kButtonHeight, L::kButtonFont);
    column.layout.showWelcome = QRectF(QPointF(column.left, column.y), button);
    QFont font = Fonts::text(12);
    QString note = "Changes apply the next time Kelvora checks your computer.";
    qreal room = column.width - button.width() - 12;
    TextFlow lines = TextFlow(note, font, room, {.fontLineHeight = true});
    qreal row = std::max(button.height(), lines.size().height());
    column.layout.showWelcome.moveTop(column.y + (row - button.height()) / 2);
    column.layout.texts.push_back(
        {{column.right() - lines.naturalWidth(), column.y + (row - lines.size().height()) / 2},
         lines,
         Token::faint});
    column.y += row;
}

} // namespace

QString SettingsLayout::switchTitle(Switch which) {
    switch (which) {
    case Switch::helper:
        return "Empty expired items even when Kelvora isn’t open";
    case Switch::includeDocker:
        return "Include Docker";
    case Switch::scheduledClean:
        return "Clear app caches on a schedule";
    case Switch::showMenuBar:
        break;
    }
    // A desktop shows it as an icon in its system tray; there is no menu bar of the Mac's.
    return "Show Kelvora in the system tray";
}

QString SettingsLayout::switchDescription(Switch which) {
    switch (which) {
    case Switch::helper:
        return "A small helper checks every few hours and at login. It only removes what’s past "
               "its hold.";
    case Switch::includeDocker:
        return "Lists unused images, build cache and stopped containers, removed with Docker’s "
               "own prune commands. Volumes are never touched.";
    case Switch::scheduledClean:
        return "Caches only: they rebuild on their own. Runs only when there’s at least 1 GB to "
               "free, and leaves caches of open apps alone. Uses the helper above.";
    case Switch::showMenuBar:
        break;
    }
    return "Free space, the forecast and Quick clean, which clears app caches only. Kelvora "
           "keeps running there when its window closes.";
}

SettingsLayout SettingsLayout::make(const SettingsState& state, qreal width) {
    SettingsLayout layout;
    Column column{layout, kPadding, std::max<qreal>(width - 2 * kPadding, 1), kPadding};
    auto section = [&](const QString& title, const std::function<void()>& rows) {
        column.caption(title);
        column.gap(kRowGap);
        rows();
        column.gap(kSectionGap);
    };
    section("Undo Shelf", [&] {
        column.choice(Choice::shelfDays);
        column.gap(kRowGap);
        column.toggle(Switch::helper);
        helperNote(column, state);
    });
    section("What counts as unused", [&] {
        column.choice(Choice::appMonths);
        column.gap(kRowGap);
        column.choice(Choice::downloadsDays);
    });
    section("AI files", [&] { column.choice(Choice::aiSessionDays); });
    section("Developer files", [&] {
        column.choice(Choice::projectMonths);
        column.gap(kRowGap);
        column.toggle(Switch::includeDocker);
    });
    section(kNeverTouchTitle, [&] { neverTouch(column, state); });
    section("Scheduled clean", [&] { scheduledClean(column, state); });
    section("System tray", [&] { column.toggle(Switch::showMenuBar); });
    section("Appearance", [&] {
        layout.appearance = QRectF(column.left, column.y, std::min(kAppearanceWidth, column.width),
                                   SegmentedControl::kHeight);
        column.y += SegmentedControl::kHeight;
    });
    bottomRow(column);
    layout.size = QSizeF(width, column.y + kPadding);
    return layout;
}

std::optional<SettingsBanner> SettingsBanner::make(const SettingsState& state, qreal width) {
    if (!state.notice) return std::nullopt;
    SettingsBanner banner;
    qreal left = SettingsLayout::kPadding;
    qreal symbolSide = Symbols::extent(kSymbolSize);
    qreal textLeft = left + symbolSide + 8;
    qreal textWidth = std::max<qreal>(width - SettingsLayout::kPadding - textLeft, 1);
    TextFlow lines(QString::fromStdString(*state.notice), Fonts::text(kTextSize), textWidth,
                   {.fontLineHeight = true});
    qreal firstLine = QFontMetricsF(Fonts::text(kTextSize)).height();
    banner.symbol = QRectF(left, kPaddingY + (firstLine - symbolSide) / 2, symbolSide, symbolSide);
    banner.text = {{textLeft, kPaddingY}, lines, Token::signalText};
    banner.size = QSizeF(width, std::ceil(kPaddingY + lines.height() + kPaddingY));
    banner.rule = QRectF(0, banner.size.height() - 1, width, 1);
    return banner;
}

const SettingsLayout::Text* SettingsLayout::find(const QString& words) const {
    for (const Text& text : texts)
        if (text.lines.text() == words) return &text;
    return nullptr;
}

} // namespace kelvora
