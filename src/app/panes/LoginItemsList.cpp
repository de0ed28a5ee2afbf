#include "panes/LoginItemsList.h"

#include "controller/AppModel.h"
#include "controller/LoginItemsOrder.h"
#include "design/AppIcon.h"
#include "design/Buttons.h"
#include "design/Caption.h"
#include "design/Fonts.h"
#include "design/QtString.h"
#include "design/RowText.h"
#include "design/Shapes.h"
#include "design/Symbols.h"
#include "design/TextFlow.h"
#include "design/Theme.h"
#include "panes/LoginItemsView.h"
#include "panes/StateBadge.h"

#include <QFileIconProvider>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace kelvora {

namespace {

constexpr qreal kPadding = 18;
constexpr qreal kGap = 18;       // between the warning, the sections and the footnote
constexpr qreal kCaptionGap = 8; // between a section's title and its card
constexpr qreal kCardRadius = 12;
constexpr qreal kRowSide = 14;
constexpr qreal kRowTop = 10;
constexpr qreal kSpacing = 12;
constexpr qreal kIcon = 28;
constexpr qreal kMinSpacer = 10;
constexpr qreal kButtonFrame = 96;
constexpr qreal kButtonHeight = 26;
constexpr qreal kButtonFont = 12;
constexpr qreal kAskPadding = 14;
constexpr qreal kAskButtonHeight = 28;
constexpr qreal kAskButtonFont = 12.5;
constexpr qreal kAskSymbol = 18;
constexpr qreal kAskLineGap = 2;
constexpr qreal kErrorSymbolGap = 6;
constexpr qreal kSelectionBar = 3;
constexpr qreal kFadedIcon = 0.45;

QFont nameFont() {
    return Fonts::text(13.5, QFont::Medium);
}
QFont purposeFont() {
    return Fonts::text(12);
}
QFont errorFont() {
    return Fonts::text(13);
}
QFont askTitleFont() {
    return Fonts::text(13.5, QFont::Medium);
}
QFont askDetailFont() {
    return Fonts::text(12);
}
QFont noAppsFont() {
    return Fonts::text(13);
}
QFont footnoteFont() {
    return Fonts::text(12);
}

qreal lineHeight(const QFont& font) {
    return QFontMetricsF(font).height();
}

qreal rowHeight() {
    qreal text = lineHeight(nameFont()) + 2 + lineHeight(purposeFont());
    return std::max({kIcon, text, qreal(22), kButtonHeight}) + 2 * kRowTop;
}

// The ask card across `card`: its texts wrap in the room between the symbol and the
// button, and the card grows to hold them.
void layOutAsk(LoginListLayout::Section& section, const QRectF& card) {
    const qreal symbol = Symbols::extent(kAskSymbol);
    const QSizeF button =
        OutlineButton::idealSize(LoginItemsText::kAskButton, kAskButtonHeight, kAskButtonFont);
    const qreal textLeft = card.left() + kAskPadding + symbol + kSpacing;
    const qreal textWidth =
        std::max(0.0, card.right() - kAskPadding - button.width() - kSpacing - textLeft);
    const TextFlow::Options lines{.fontLineHeight = true};
    TextFlow title(LoginItemsText::kAskTitle, askTitleFont(), textWidth, lines);
    TextFlow detail(LoginItemsText::kAskDetail, askDetailFont(), textWidth, lines);
    const qreal text = title.height() + kAskLineGap + detail.height();
    const qreal height = std::max({symbol, text, kAskButtonHeight}) + 2 * kAskPadding;
    const qreal middle = card.top() + height / 2;

    section.ask = QRectF(card.left(), card.top(), card.width(), height);
    section.askButton = QRectF(
        QPointF(card.right() - kAskPadding - button.width(), middle - button.height() / 2), button);
    section.askSymbol = QRectF(card.left() + kAskPadding, middle - symbol / 2, symbol, symbol);
    const qreal top = middle - text / 2;
    section.askTitle = {QPointF(textLeft, top), title, Token::ink};
    section.askDetail = {QPointF(textLeft, top + title.height() + kAskLineGap), detail,
                         Token::muted};
}

} // namespace

LoginListLayout LoginListLayout::make(const std::vector<LoginItem>& sorted, bool askForApps,
                                      const std::optional<std::string>& error, int shelfDays,
                                      qreal width) {
    LoginListLayout layout;
    qreal x = kPadding;
    qreal w = std::max(0.0, width - 2 * kPadding);
    qreal y = kPadding;
    if (error) {
        qreal textWidth = w - Symbols::extent(13) - kErrorSymbolGap;
        qreal h = std::max(lineHeight(errorFont()),
                           TextFlow::heightOf(toQString(*error), errorFont(), textWidth));
        layout.error = QRectF(x, y, w, h);
        y += h + kGap;
    }
    for (auto kind : LoginItemsText::shownSections(sorted)) {
        Section section;
        section.kind = kind;
        qreal captionHeight = Caption::idealSize(LoginItemsText::sectionTitle(kind)).height();
        section.caption = QRectF(x, y, w, captionHeight);
        y += captionHeight + kCaptionGap;
        qreal cardTop = y;
        bool asking = kind == LoginItemsOrder::Section::apps && askForApps;
        if (asking) {
            layOutAsk(section, QRectF(x, y, w, 0));
            y += section.ask->height();
        }
        bool any = false;
        for (const auto& item : sorted) {
            if (LoginItemsOrder::section(item.source) != kind) continue;
            Row row;
            row.item = item;
            row.section = layout.sections.size();
            if (any || asking) {
                row.hairline = QRectF(x, y, w, 1);
                y += 1;
            }
            any = true;
            row.rect = QRectF(x, y, w, rowHeight());
            row.action = LoginItemsText::action(item, shelfDays);
            QSizeF button = OutlineButton::idealSize(row.action.title, kButtonHeight, kButtonFont);
            qreal frameRight = row.rect.right() - kRowSide;
            qreal middle = row.rect.center().y();
            row.button = QRectF(frameRight - button.width(), middle - button.height() / 2,
                                button.width(), button.height());
            // A title longer than the button's frame takes room from the badge's side.
            const qreal buttonSide = std::min(frameRight - kButtonFrame, row.button.left());
            QSizeF badge = StateBadge::idealSize(item);
            row.badge = QRectF(buttonSide - kSpacing - badge.width(), middle - badge.height() / 2,
                               badge.width(), badge.height());
            layout.rows.push_back(row);
            y += row.rect.height();
        }
        if (!any && !askForApps) {
            section.empty = QRectF(x, y, w, lineHeight(noAppsFont()) + 2 * kAskPadding);
            y += section.empty->height();
        }
        section.card = QRectF(x, cardTop, w, y - cardTop);
        layout.sections.push_back(section);
        y += kGap;
    }
    qreal footnote = TextFlow::heightOf(LoginItemsText::kFootnote, footnoteFont(), w);
    layout.footnote = QRectF(x, y, w, footnote);
    layout.height = y + footnote + kPadding;
    return layout;
}

const LoginListLayout::Row* LoginListLayout::rowOf(const std::string& id) const {
    for (const auto& row : rows)
        if (row.item.id() == id) return &row;
    return nullptr;
}

LoginItemsList::LoginItemsList(AppModel& model, QWidget* parent)
    : QWidget(parent), PaintedRows(static_cast<QWidget&>(*this)), model_(model) {
    setObjectName("loginItemsList");
    setAccessibleName(LoginItemsText::kTitle);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setMouseTracking(false);
    refresh();
}

void LoginItemsList::refresh() {
    std::vector<LoginItem> sorted;
    if (model_.loginItems()) sorted = LoginItemsOrder::sorted(*model_.loginItems());
    int shelfDays = model_.catalog().settings().shelfDays;
    bool changed = sorted != sorted_ || model_.asksForOpenAtLogin() != asking_ ||
                   model_.loginError() != error_ || shelfDays != shelfDays_;
    if (changed) {
        if (sorted != sorted_) findIcons(sorted);
        sorted_ = std::move(sorted);
        asking_ = model_.asksForOpenAtLogin();
        error_ = model_.loginError();
        shelfDays_ = shelfDays;
        relayOut();
    }
    if (model_.loginSelection() != selection_) {
        selection_ = model_.loginSelection();
        followRow(selectedEntry());
        update();
    }
}

void LoginItemsList::relayOut() {
    auto keep = keyboardPlace();
    layout_ = LoginListLayout::make(sorted_, asking_, error_, shelfDays_, width());
    listEntries(keep);
    updateGeometry();
    update();
}

int LoginItemsList::heightForWidth(int width) const {
    if (width == this->width()) return static_cast<int>(std::ceil(layout_.height));
    auto layout = LoginListLayout::make(sorted_, asking_, error_, shelfDays_, width);
    return static_cast<int>(std::ceil(layout.height));
}

QSize LoginItemsList::sizeHint() const {
    return {480, heightForWidth(width() > 0 ? width() : 480)};
}

void LoginItemsList::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayOut();
}

LoginItemsList::Target LoginItemsList::targetAt(QPointF point) const {
    for (const auto& section : layout_.sections)
        if (section.askButton && section.askButton->contains(point)) return {Target::Kind::ask, 0};
    for (size_t i = 0; i < layout_.rows.size(); ++i) {
        if (layout_.rows[i].button.contains(point)) return {Target::Kind::button, i};
        if (layout_.rows[i].rect.contains(point)) return {Target::Kind::row, i};
    }
    return {};
}

void LoginItemsList::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton ? targetAt(event->position()) : Target{};
}

void LoginItemsList::mouseReleaseEvent(QMouseEvent* event) {
    Target target = targetAt(event->position());
    Target pressed = pressed_;
    pressed_ = {};
    if (event->button() != Qt::LeftButton || target != pressed) return;
    switch (target.kind) {
    case Target::Kind::ask:
        model_.checkOpenAtLogin();
        break;
    case Target::Kind::button:
        LoginItemsView::perform(model_, layout_.rows[target.row].item);
        break;
    case Target::Kind::row:
        model_.setLoginSelection(layout_.rows[target.row].item.id());
        break;
    case Target::Kind::none:
        break;
    }
}

bool LoginItemsList::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        Target target = targetAt(help->pos());
        if (target.kind == Target::Kind::button &&
            !layout_.rows[target.row].action.tooltip.isEmpty()) {
            const auto& row = layout_.rows[target.row];
            QToolTip::showText(help->globalPos(), row.action.tooltip, this, row.button.toRect());
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

void LoginItemsList::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QRectF exposed = event->rect();
    painter.fillRect(exposed, Theme::ground());
    if (layout_.error) {
        QRectF error = *layout_.error;
        qreal symbol = Symbols::extent(13);
        Symbols::paint(painter, "exclamationmark.triangle",
                       QRectF(error.left(), error.top(), symbol, lineHeight(errorFont())), 13,
                       Theme::signalText());
        QRectF words = error.adjusted(symbol + kErrorSymbolGap, 0, 0, 0);
        TextFlow(toQString(*error_), errorFont(), words.width())
            .paint(painter, words.topLeft(), Theme::signalText());
    }
    for (size_t s = 0; s < layout_.sections.size(); ++s) {
        const auto& section = layout_.sections[s];
        if (!section.caption.united(section.card).intersects(exposed)) continue;
        paintSection(painter, section);
        painter.save();
        painter.setClipPath(Shapes::continuousRect(section.card, kCardRadius));
        for (const auto& row : layout_.rows) {
            if (row.section != s || !row.rect.adjusted(0, -1, 0, 0).intersects(exposed)) continue;
            paintRow(painter, row, selection_ == row.item.id());
        }
        if (section.ask) paintRowFocus(painter, entryOf({Entry::Kind::ask, s}), *section.ask);
        painter.restore();
        Shapes::fillRounded(painter, section.card, kCardRadius, Qt::transparent, Theme::line());
    }
    TextFlow(LoginItemsText::kFootnote, footnoteFont(), layout_.footnote.width())
        .paint(painter, layout_.footnote.topLeft(), Theme::faint());
}

void LoginItemsList::paintSection(QPainter& painter,
                                  const LoginListLayout::Section& section) const {
    Caption::paint(painter, section.caption, LoginItemsText::sectionTitle(section.kind));
    Shapes::fillRounded(painter, section.card, kCardRadius, Theme::panel());
    if (section.ask) {
        Symbols::paint(painter, "macwindow.badge.plus", section.askSymbol, kAskSymbol,
                       Theme::ink());
        section.askTitle.paint(painter);
        section.askDetail.paint(painter);
        OutlineButton::paint(painter, *section.askButton, LoginItemsText::kAskButton,
                             kAskButtonFont);
    }
    if (section.empty) {
        painter.setFont(noAppsFont());
        painter.setPen(Theme::faint());
        painter.drawText(
            section.empty->adjusted(kAskPadding, kAskPadding, -kAskPadding, -kAskPadding),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, LoginItemsText::kNoApps);
    }
}

void LoginItemsList::paintRow(QPainter& painter, const LoginListLayout::Row& row, bool selected) {
    const LoginItem& item = row.item;
    if (row.hairline) Shapes::hairline(painter, *row.hairline, Qt::Horizontal);
    QRectF rect = row.rect;
    if (selected) {
        painter.fillRect(rect, Theme::sidebar());
        painter.fillRect(QRectF(rect.left(), rect.top(), kSelectionBar, rect.height()),
                         Theme::signal());
    }
    QRectF icon(rect.left() + kRowSide, rect.center().y() - kIcon / 2, kIcon, kIcon);
    painter.save();
    if (item.isOff() || item.programMissing) painter.setOpacity(kFadedIcon);
    const QPixmap own = rowIcons_.value(toQString(item.id()));
    if (!own.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(icon, own, QRectF(own.rect()));
    } else {
        Symbols::paint(painter,
                       item.source == LoginItem::Source::systemDaemon ? "gearshape.2" : "gearshape",
                       icon, 15, Theme::muted());
    }
    painter.restore();

    qreal textLeft = icon.right() + kSpacing;
    qreal textWidth = std::max(0.0, row.badge.left() - kSpacing - kMinSpacer - kSpacing - textLeft);
    paintTitleAndDetail(
        painter, QRectF(textLeft, rect.top(), textWidth, rect.height()),
        {toQString(item.name), nameFont(), item.isOff() ? Theme::muted() : Theme::ink()},
        {toQString(item.purpose), purposeFont(), Theme::muted()}, 2);
    StateBadge::paint(painter, row.badge.topLeft(), item);
    OutlineButton::paint(painter, row.button, row.action.title, kButtonFont);
    auto index = static_cast<size_t>(&row - layout_.rows.data());
    paintRowFocus(painter, entryOf({Entry::Kind::row, index}), rect);
}

void LoginItemsList::findIcons(const std::vector<LoginItem>& items) {
    rowIcons_.clear();
    for (const LoginItem& item : items) {
        QString key;
        std::optional<std::string> bundle;
        if (item.icon)
            key = "icon:" + toQString(*item.icon);
        else if ((bundle = LoginItemsText::appBundle(item)))
            key = "bundle:" + toQString(*bundle);
        if (key.isEmpty()) continue;
        auto found = icons_.find(key);
        if (found == icons_.end()) {
            // Drawn now, at twice the row's size, so that painting never reads an image.
            constexpr int kPixels = static_cast<int>(2 * kIcon);
            QPixmap drawn;
            if (item.icon)
                drawn = QPixmap::fromImage(AppIcon::image(*item.icon, kPixels));
            else
                drawn = QFileIconProvider().icon(QFileInfo(toQString(*bundle))).pixmap(kPixels);
            found = icons_.insert(key, drawn);
        }
        if (!found->isNull()) rowIcons_.insert(toQString(item.id()), *found);
    }
}

} // namespace kelvora
