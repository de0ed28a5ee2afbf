#include "panes/ShelfPage.h"

#include "controller/AppModel.h"
#include "design/Buttons.h"
#include "design/Caption.h"
#include "design/Fonts.h"
#include "design/QtString.h"
#include "design/Shapes.h"
#include "design/Spinner.h"
#include "design/Symbols.h"
#include "design/Theme.h"
#include "model/Format.h"
#include "panes/DaysLeft.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

namespace kelvora {

namespace {

QRect pixels(const QRectF& rect) {
    return rect.toAlignedRect();
}

void drawElided(QPainter& painter, const QRectF& rect, const QFont& font, const QColor& color,
                const QString& text, Qt::Alignment alignment = Qt::AlignLeft) {
    painter.setFont(font);
    painter.setPen(color);
    QString shown = QFontMetricsF(font).elidedText(text, Qt::ElideMiddle, rect.width());
    painter.drawText(rect, alignment | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

} // namespace

ShelfPage::ShelfPage(AppModel& model, QWidget* parent)
    : QWidget(parent), PaintedRows(static_cast<QWidget&>(*this)), model_(model),
      free_(new SignalButton({}, ShelfLayout::kFreeHeight, ShelfLayout::kFreeFont, this)),
      spinner_(new SpinnerClock(this, 80, [this] { update(); })) {
    setObjectName("ShelfPage");
    setAccessibleName("Undo Shelf");
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setMouseTracking(true);
    free_->setObjectName("freeShelf");
    // Emptying is for good, so the button only asks; the window's confirmation empties.
    connect(free_, &QPushButton::clicked, this, [this] { model_.setConfirmingEmptyShelf(true); });
    input_ = ShelfInput::from(model_);
    relayout();
    showBusy(model_.shelfWork());
}

void ShelfPage::refresh() {
    showBusy(model_.shelfWork());
    ShelfInput next = ShelfInput::from(model_);
    bool daysChanged = false;
    for (const auto& section : layout_.sections)
        daysChanged |= ShelfText::daysLeft(*section.sweep, next.now) != section.days;
    if (next.sameContent(input_) && !daysChanged) return;
    input_ = std::move(next);
    relayout();
    update();
}

void ShelfPage::showBusy(AppModel::ShelfWork work) {
    if (work == work_) return;
    using Work = AppModel::ShelfWork;
    work_ = work;
    busy_ = work != Work::none;
    if (work != Work::puttingBack) puttingBack_.reset();
    pressed_.reset();
    free_->setBusy(work == Work::emptying);
    for (const auto& controls : controls_)
        controls.putAllBack->setBusy(busy_);
    spinner_->setWanted(puttingBack_.has_value());
    update();
}

bool ShelfPage::spinsOn(const std::string& sweep, const std::string* entry) const {
    if (!puttingBack_ || puttingBack_->sweep != sweep) return false;
    return entry ? puttingBack_->entry == *entry : !puttingBack_->entry;
}

void ShelfPage::relayout() {
    layout_ = ShelfLayout::make(input_, width() > 0 ? width() : sizeHint().width());
    heightCache_.reset();
    pressed_.reset();
    countRows();
    placeControls();
    updateGeometry();
    // A still picture sizes this page from its height for width when asked to lay out.
    QCoreApplication::postEvent(this, new QEvent(QEvent::LayoutRequest));
}

int ShelfPage::heightForWidth(int width) const {
    if (width == static_cast<int>(layout_.width)) return static_cast<int>(layout_.height);
    if (!heightCache_ || heightCache_->first != width)
        heightCache_ = {width, static_cast<int>(ShelfLayout::make(input_, width).height)};
    return heightCache_->second;
}

QSize ShelfPage::sizeHint() const {
    constexpr int kWidth = 900;
    return {kWidth, heightForWidth(kWidth)};
}

void ShelfPage::placeControls() {
    const auto& summary = layout_.summary;
    free_->setVisible(summary.freeButton.has_value());
    if (summary.freeButton) {
        free_->setText(summary.freeTitle);
        free_->setGeometry(pixels(*summary.freeButton));
    }
    while (controls_.size() > layout_.sections.size()) {
        delete controls_.back().bar;
        delete controls_.back().putAllBack;
        controls_.pop_back();
    }
    while (controls_.size() < layout_.sections.size()) {
        size_t index = controls_.size();
        auto* link = new TextLinkButton(ShelfLayout::kPutAllBack, ShelfLayout::kLinkSize, this);
        link->setObjectName("putAllBack");
        link->setBusy(busy_);
        connect(link, &QPushButton::clicked, this, [this, index] { putAllBack(index); });
        controls_.push_back({new DaysLeft(this), link});
        controls_.back().bar->show();
        link->show();
    }
    for (size_t i = 0; i < controls_.size(); ++i) {
        const auto& section = layout_.sections[i];
        controls_[i].bar->setCount(section.days, section.barColumns);
        controls_[i].bar->setGeometry(pixels(section.bar));
        controls_[i].putAllBack->setGeometry(pixels(section.putAllBack));
        controls_[i].putAllBack->setVisible(section.anyGoesBack);
    }
}

void ShelfPage::putBack(ShelfLayout::Place place) {
    // Held: the controller replaces its listing meanwhile, and this layout with it.
    const auto& section = layout_.sections.at(place.section);
    std::shared_ptr<const UndoShelf::Sweep> held = section.sweep;
    const UndoShelf::Entry& entry = section.entries.at(place.row);
    const UndoShelf::Sweep& sweep = *held;
    if (!entry.canGoBack()) {
        std::vector<URL> stored;
        for (const auto& file : entry.files)
            stored.push_back(model_.shelf().storedURL(sweep, file));
        return model_.showInFolder(stored);
    }
    if (!busy_) puttingBack_ = PuttingBack{sweep.id, entry.id};
    model_.putBack(entry, sweep);
}

void ShelfPage::putAllBack(size_t section) {
    if (section >= layout_.sections.size()) return;
    std::shared_ptr<const UndoShelf::Sweep> sweep = layout_.sections[section].sweep;
    if (!busy_) puttingBack_ = PuttingBack{sweep->id, std::nullopt};
    model_.putBackAll(*sweep);
}

void ShelfPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (width() != static_cast<int>(layout_.width)) relayout();
}

void ShelfPage::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton && !busy_ ? layout_.putBackAt(event->position())
                                                           : std::nullopt;
    if (!pressed_) QWidget::mousePressEvent(event);
}

void ShelfPage::mouseReleaseEvent(QMouseEvent* event) {
    std::optional<ShelfLayout::Place> pressed = std::exchange(pressed_, std::nullopt);
    if (pressed && event->button() == Qt::LeftButton &&
        layout_.putBackAt(event->position()) == pressed) {
        followRow(rowOf(*pressed));
        return putBack(*pressed);
    }
    QWidget::mouseReleaseEvent(event);
}

void ShelfPage::mouseMoveEvent(QMouseEvent* event) {
    setCursor(!busy_ && layout_.putBackAt(event->position()) ? Qt::PointingHandCursor
                                                             : Qt::ArrowCursor);
    QWidget::mouseMoveEvent(event);
}

// ---- Painting ----

void ShelfPage::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QRectF area = event->rect();
    painter.fillRect(area, Theme::panel());
    if (layout_.summary.card.intersects(area)) paintSummary(painter);
    if (layout_.empty) paintEmpty(painter);
    for (const auto& section : layout_.sections)
        if (section.card.intersects(area)) paintSection(painter, section, area);
}

void ShelfPage::paintSummary(QPainter& painter) const {
    const auto& summary = layout_.summary;
    Shapes::fillRounded(painter, summary.card, ShelfLayout::kCardRadius, Theme::sidebar(),
                        Theme::line());
    Caption::paint(painter, summary.caption, "On the Undo Shelf");
    painter.setPen(Theme::ink());
    painter.setFont(Fonts::number(56));
    painter.drawText(QPointF(summary.number.left(), summary.baseline), summary.numberText);
    painter.setFont(Fonts::number(24));
    painter.drawText(QPointF(summary.unit.left(), summary.baseline), summary.unitText);
    summary.explanation.paint(painter, summary.explanationAt, Theme::muted());
}

void ShelfPage::paintEmpty(QPainter& painter) const {
    const auto& empty = *layout_.empty;
    Symbols::paint(painter, "arrow.uturn.backward.circle", empty.symbol, 24, Theme::muted());
    painter.setFont(Fonts::text(15, QFont::Medium));
    painter.setPen(Theme::ink());
    painter.drawText(empty.title, Qt::AlignCenter | Qt::TextSingleLine, empty.titleText);
    empty.detail.paint(painter, empty.detailAt, Theme::muted());
}

void ShelfPage::paintSection(QPainter& painter, const ShelfLayout::Section& section,
                             const QRectF& area) const {
    QPainterPath card = Shapes::continuousRect(section.card, ShelfLayout::kCardRadius);
    painter.fillPath(card, Theme::panel());
    if (section.header.intersects(area)) {
        painter.save();
        painter.setClipPath(card, Qt::IntersectClip);
        QColor header = Theme::sidebar();
        header.setAlphaF(0.6);
        painter.fillRect(section.header, header);
        painter.restore();
        drawElided(painter, section.date, Fonts::text(14, QFont::DemiBold), Theme::ink(),
                   section.dateText);
        drawElided(painter, section.summary, Fonts::mono(12), Theme::faint(), section.summaryText);
        drawElided(painter, section.daysText, Fonts::text(12.5, QFont::Medium),
                   section.lastDay ? Theme::signalText() : Theme::muted(), section.daysTextText);
        if (spinsOn(section.sweep->id, nullptr)) {
            // In the gap before the link, where the days-left words never reach.
            const qreal radius = SignalButton::kSpinner / 2;
            paintSpinner(
                painter,
                QPointF(section.putAllBack.left() - radius - 4, section.putAllBack.center().y()),
                Theme::ink(), spinner_->phase());
        }
    }
    auto [first, last] = section.rowsMeeting(area.top(), area.bottom());
    for (int row = first; row < last; ++row)
        paintRow(painter, section, row);
    Shapes::fillRounded(painter, section.card, ShelfLayout::kCardRadius, QColor(), Theme::line());
}

void ShelfPage::paintRow(QPainter& painter, const ShelfLayout::Section& section, int index) const {
    const UndoShelf::Entry& entry = section.entries[index];
    ShelfLayout::Row row = section.row(index);
    Shapes::hairline(painter, section.ruleAbove(index), Qt::Horizontal);
    Shapes::fillRounded(painter, row.icon, 8, Theme::chip());
    Symbols::paint(painter, toQString(ShelfText::entrySymbol(entry.kind)), row.icon, 14,
                   Theme::ink());
    drawElided(painter, row.label, Fonts::text(13.5, QFont::Medium), Theme::ink(),
               toQString(entry.label));
    drawElided(painter, row.place, Fonts::mono(11.5),
               ShelfText::entryStays(entry) ? Theme::signalText() : Theme::faint(),
               toQString(ShelfText::entryDetail(entry, layout_.home)));
    drawElided(painter, row.size, Fonts::mono(13, QFont::Medium), Theme::ink(),
               toQString(Format::size(entry.bytes)), Qt::AlignRight);
    painter.save();
    if (spinsOn(section.sweep->id, &entry.id)) {
        // The entry going back: its button turns in place of its words.
        OutlineButton::paint(painter, row.button, QString(), ShelfLayout::kPutBackFont);
        paintSpinner(painter, row.button.center(), Theme::ink(), spinner_->phase());
    } else {
        if (busy_) painter.setOpacity(TextLinkButton::kBusyOpacity);
        OutlineButton::paint(painter, row.button, row.action, ShelfLayout::kPutBackFont);
    }
    painter.restore();
    int sectionIndex = static_cast<int>(&section - layout_.sections.data());
    paintRowFocus(painter, rowOf({sectionIndex, index}), row.rect);
}

} // namespace kelvora
