#include "panes/LoginItemInspector.h"

#include "controller/AppModel.h"
#include "design/Buttons.h"
#include "design/Caption.h"
#include "design/Fonts.h"
#include "design/PaintedText.h"
#include "design/SelectableText.h"
#include "design/Shapes.h"
#include "design/Theme.h"
#include "panes/LoginItemsView.h"
#include "panes/StateBadge.h"
#include "platform/FileSystem.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPainter>

#include <cmath>

namespace kelvora {

namespace {

constexpr int kPadding = 20;
constexpr int kSpacing = 14;
constexpr qreal kFactPadding = 9;

QFont factFont(QFont::Weight weight) {
    return Fonts::text(12.5, weight);
}

} // namespace

// ---- LoginFacts ----

LoginFacts::LoginFacts(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void LoginFacts::setItem(const LoginItem& item) {
    item_ = item;
    facts_ = LoginItemsText::facts(item);
    setAccessibleDescription(LoginItemsText::badgeSpoken(item));
    updateGeometry();
    update();
}

QSize LoginFacts::sizeHint() const {
    qreal height = 0;
    for (const auto& fact : facts_)
        height +=
            2 * kFactPadding + (fact.isBadge ? StateBadge::idealSize(item_).height()
                                             : QFontMetricsF(factFont(QFont::Medium)).height());
    return {LoginItemInspector::kWidth - 2 * kPadding, static_cast<int>(std::ceil(height))};
}

void LoginFacts::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    qreal y = 0;
    qreal w = width();
    for (const auto& fact : facts_) {
        qreal content = fact.isBadge ? StateBadge::idealSize(item_).height()
                                     : QFontMetricsF(factFont(QFont::Medium)).height();
        QRectF row(0, y, w, content + 2 * kFactPadding);
        Shapes::hairline(painter, QRectF(0, y, w, 1), Qt::Horizontal);
        QRectF inner = row.adjusted(0, kFactPadding, 0, -kFactPadding);
        painter.setFont(factFont(QFont::Normal));
        painter.setPen(Theme::faint());
        painter.drawText(inner, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, fact.label);
        qreal labelWidth = QFontMetricsF(factFont(QFont::Normal)).horizontalAdvance(fact.label);
        if (fact.isBadge) {
            QSizeF badge = StateBadge::idealSize(item_);
            StateBadge::paint(painter, QPointF(w - badge.width(), inner.top()), item_);
        } else {
            painter.setFont(factFont(QFont::Medium));
            painter.setPen(Theme::ink());
            qreal room = std::max(0.0, w - labelWidth - 8);
            painter.drawText(inner, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                             QFontMetricsF(factFont(QFont::Medium))
                                 .elidedText(fact.value, Qt::ElideRight, room));
        }
        y = row.bottom();
    }
}

// ---- LoginItemInspector ----

LoginItemInspector::LoginItemInspector(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setObjectName("loginItemInspector");
    setFixedWidth(kWidth);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    column->setSpacing(kSpacing);
    column->addWidget(new Caption(LoginItemsText::kSelected, this));

    placeholder_ = new PaintedText(Fonts::text(13), Token::muted, this);
    placeholder_->setText(LoginItemsText::kNothingSelected);
    name_ = new PaintedText(Fonts::text(16, QFont::DemiBold), Token::ink, this);
    name_->setObjectName("inspectorName");
    purpose_ = new PaintedText(Fonts::text(13), Token::muted, this);
    purpose_->setLineSpacing(3);
    facts_ = new LoginFacts(this);
    facts_->setObjectName("inspectorFacts");
    for (QWidget* part : {static_cast<QWidget*>(placeholder_), static_cast<QWidget*>(name_),
                          static_cast<QWidget*>(purpose_), static_cast<QWidget*>(facts_)})
        column->addWidget(part);
    for (size_t i = 0; i < blocks_.size(); ++i) {
        blocks_[i] = new QWidget(this);
        auto* block = new QVBoxLayout(blocks_[i]);
        block->setContentsMargins(0, 0, 0, 0);
        block->setSpacing(5);
        blockTitles_[i] = new Caption({}, blocks_[i]);
        blockValues_[i] = new SelectableText(Fonts::mono(11.5), Token::ink, blocks_[i]);
        block->addWidget(blockTitles_[i]);
        block->addWidget(blockValues_[i]);
        column->addWidget(blocks_[i]);
    }
    notLoaded_ = new PaintedText(Fonts::text(12), Token::faint, this);
    switchNote_ = new PaintedText(Fonts::text(12), Token::faint, this);
    column->addWidget(notLoaded_);
    column->addWidget(switchNote_);
    column->addStretch(1);

    buttons_ = new QWidget(this);
    auto* row = new QHBoxLayout(buttons_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    reveal_ = new OutlineButton(LoginItemsText::kShowInFolder, 32, 13, buttons_);
    reveal_->setObjectName("inspectorReveal");
    switch_ = new OutlineButton({}, 32, 13, buttons_);
    switch_->setObjectName("inspectorSwitch");
    row->addWidget(reveal_);
    row->addWidget(switch_);
    row->addStretch(1);
    column->addWidget(buttons_);

    connect(reveal_, &QPushButton::clicked, this, [this] {
        if (!item_ || !item_->file) return;
        ScanItem place;
        place.location = *item_->file;
        model_.showInFinder(place);
    });
    connect(switch_, &QPushButton::clicked, this, [this] {
        if (item_) LoginItemsView::perform(model_, *item_);
    });
    refresh();
}

void LoginItemInspector::refresh() {
    std::optional<LoginItem> shown;
    if (model_.loginItems() && model_.loginSelection())
        for (const auto& item : *model_.loginItems())
            if (item.id() == *model_.loginSelection()) {
                shown = item;
                break;
            }
    bool changed = shown != item_;
    item_ = shown;
    placeholder_->setVisible(!item_);
    for (QWidget* part : {static_cast<QWidget*>(name_), static_cast<QWidget*>(purpose_),
                          static_cast<QWidget*>(facts_), buttons_})
        part->setVisible(item_.has_value());
    if (!item_) {
        for (QWidget* part : {static_cast<QWidget*>(notLoaded_), static_cast<QWidget*>(switchNote_),
                              blocks_[0], blocks_[1], blocks_[2]})
            part->hide();
        return;
    }
    if (changed) present(*item_);
    // Whether the file is still there is asked anew each time.
    reveal_->setVisible(item_->file && fileExists(item_->file->path()));
}

void LoginItemInspector::present(const LoginItem& item) {
    name_->setText(QString::fromStdString(item.name));
    purpose_->setText(QString::fromStdString(item.purpose));
    facts_->setItem(item);
    auto blocks = LoginItemsText::blocks(item, model_.catalog().home);
    for (size_t i = 0; i < blocks_.size(); ++i) {
        blocks_[i]->setVisible(i < blocks.size());
        if (i >= blocks.size()) continue;
        blockTitles_[i]->setText(blocks[i].title);
        blockValues_[i]->setText(blocks[i].value);
        blockValues_[i]->setFixedHeight(blockValues_[i]->heightForWidth(kWidth - 2 * kPadding));
    }
    auto notLoaded = LoginItemsText::stateNote(item);
    notLoaded_->setText(notLoaded.value_or(QString()));
    notLoaded_->setVisible(notLoaded.has_value());
    auto switchNote = LoginItemsText::switchNote(item);
    switchNote_->setText(switchNote.value_or(QString()));
    switchNote_->setVisible(switchNote.has_value());
    auto action = LoginItemsText::action(item, model_.catalog().settings().shelfDays);
    switch_->setText(action.title);
    switch_->setToolTip(action.tooltip);
}

void LoginItemInspector::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), Theme::sidebar());
}

} // namespace kelvora
