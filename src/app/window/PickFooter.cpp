#include "window/PickFooter.h"

#include "controller/AppModel.h"
#include "design/Accessibility.h"
#include "design/Buttons.h"
#include "design/Fonts.h"
#include "design/RowText.h"
#include "design/Shapes.h"
#include "design/Theme.h"

#include <QPainter>

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
    placeButton();
    update();
}

void PickFooter::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeButton();
}

void PickFooter::placeButton() {
    QSize size = button_->sizeHint();
    button_->setGeometry(QRectF(width() - kInset - size.width(), (kHeight - kButtonHeight) / 2,
                                size.width(), kButtonHeight)
                             .toAlignedRect());
}

void PickFooter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.fillRect(rect(), Theme::sidebar());
    Shapes::hairline(painter, QRectF(0, 0, width(), 1), Qt::Horizontal);

    qreal textWidth = std::max<qreal>(0, button_->x() - kSpacing - kInset);
    paintTitleAndDetail(painter, QRectF(kInset, 0, textWidth, kHeight),
                        {QString::fromStdString(content_.countLine), countFont(), Theme::ink()},
                        {QString::fromStdString(content_.shelfNote), noteFont(), Theme::faint()},
                        kLineGap);
}

} // namespace kelvora
