#include "window/PickFooter.h"

#include "controller/AppModel.h"
#include "design/Accessibility.h"
#include "design/Buttons.h"
#include "design/Fonts.h"
#include "design/Shapes.h"
#include "design/Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace kelvora {

namespace {

constexpr qreal kInset = 24;
constexpr qreal kSpacing = 16;
constexpr qreal kLineGap = 2;
constexpr qreal kButtonHeight = 38;
constexpr qreal kButtonFont = 13.5;

QFont countFont() {
    return Fonts::text(13.5, QFont::DemiBold);
}
QFont noteFont() {
    return Fonts::text(12);
}

} // namespace

PickFooterLayout PickFooterLayout::of(const FooterContent& content, qreal width) {
    PickFooterLayout placed;
    const QSizeF button = SignalButton::idealSize(QString::fromStdString(content.buttonTitle),
                                                  kButtonHeight, kButtonFont, content.busy);
    const qreal buttonWidth = std::ceil(button.width());
    placed.button = QRectF(width - kInset - buttonWidth, (PickFooter::kHeight - kButtonHeight) / 2,
                           buttonWidth, kButtonHeight);
    const qreal textWidth = std::max<qreal>(0, placed.button.left() - kSpacing - kInset);
    // The shelf's name stays whole on one line.
    const QString note =
        QString::fromStdString(content.shelfNote).replace("Undo Shelf", QString("Undo\u00A0Shelf"));
    placed.note.lines = TextFlow(note, noteFont(), textWidth);
    placed.note.color = Token::faint;
    const QFontMetricsF count(countFont());
    placed.count =
        count.elidedText(QString::fromStdString(content.countLine), Qt::ElideRight, textWidth);
    const qreal top =
        (PickFooter::kHeight - count.height() - kLineGap - placed.note.lines.height()) / 2;
    placed.countLine = QRectF(kInset, top, textWidth, count.height());
    placed.note.at = QPointF(kInset, top + count.height() + kLineGap);
    return placed;
}

PickFooter::PickFooter(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model),
      button_(new SignalButton({}, kButtonHeight, kButtonFont, this)) {
    setObjectName("PickFooter");
    // Its totals are what a screen reader's status-bar command reads.
    Accessibility::markRole(*this, QAccessible::StatusBar);
    button_->setObjectName("cleanUp");
    setFixedHeight(kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(button_, &QPushButton::clicked, this, [this] {
        if (content_.enabled && !content_.busy) model_.setConfirmingFreeUp(true);
    });
    model.follow({&AppModel::scanChanged, &AppModel::settingsChanged}, this, &PickFooter::refresh);
    refresh();
}

QSize PickFooter::sizeHint() const {
    return {640, kHeight};
}

void PickFooter::refresh() {
    const ScanResult* result = model_.result();
    PickTotals totals = result ? PickTotals::count(*result, model_.picks()) : PickTotals{};
    FooterContent content = FooterContent::of(totals, model_.catalog().settings().shelfDays,
                                              model_.phase().is(AppModel::Phase::Kind::cleaning));
    if (content == content_ && !button_->text().isEmpty()) return;
    content_ = std::move(content);
    button_->setText(QString::fromStdString(content_.buttonTitle));
    button_->setBusy(content_.busy);
    button_->setEnabled(content_.enabled);
    button_->setAccessibleName(button_->text());
    setAccessibleName(QString::fromStdString(content_.countLine));
    setAccessibleDescription(QString::fromStdString(content_.shelfNote));
    layOut();
    update();
}

void PickFooter::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
}

void PickFooter::layOut() {
    placed_ = PickFooterLayout::of(content_, width());
    button_->setGeometry(placed_.button.toAlignedRect());
}

void PickFooter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.fillRect(rect(), Theme::sidebar());
    Shapes::hairline(painter, QRectF(0, 0, width(), 1), Qt::Horizontal);

    painter.setFont(countFont());
    painter.setPen(Theme::ink());
    painter.drawText(placed_.countLine, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     placed_.count);
    placed_.note.paint(painter);
}

} // namespace kelvora
