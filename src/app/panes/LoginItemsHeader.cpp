#include "panes/LoginItemsHeader.h"

#include "design/Buttons.h"
#include "design/Fonts.h"
#include "design/PaintedText.h"
#include "panes/LoginItemsText.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace kelvora {

namespace {

QFont titleFont() {
    return Fonts::text(16, QFont::DemiBold);
}
QFont countsFont() {
    return Fonts::mono(12.5);
}

QSizeF textSize(const QFont& font, const QString& text) {
    QFontMetricsF metrics(font);
    return {metrics.horizontalAdvance(text), metrics.height()};
}

} // namespace

LoginHeaderLayout LoginHeaderLayout::make(qreal width, const QString& counts,
                                          const QString& settingsTitle) {
    LoginHeaderLayout layout;
    const QSizeF title = textSize(titleFont(), LoginItemsText::kTitle);
    const QSizeF line = counts.isEmpty() ? QSizeF() : textSize(countsFont(), counts);
    const QSizeF settings = OutlineButton::idealSize(settingsTitle, kButtonHeight, kButtonFont);
    const QSizeF refresh =
        OutlineButton::idealSize(LoginItemsText::kRefresh, kButtonHeight, kButtonFont);
    const qreal buttons = settings.width() + kSpacing + refresh.width();
    const qreal right = width - kSide;
    // The flexible space between the texts and the buttons keeps a spacing on either side.
    const qreal room = right - buttons - 2 * kSpacing - kSide;
    const qreal text = std::max(title.width(), line.width());

    layout.countsBelow = !counts.isEmpty() && text > room;
    const qreal rowHeight = std::max(title.height(), kButtonHeight);
    const qreal block = layout.countsBelow
                            ? rowHeight + kLineGap + line.height()
                            : title.height() + (counts.isEmpty() ? 0 : kLineGap + line.height());
    // Below the row the counts take a header of their own height, kept clear of its edges.
    const qreal margin = layout.countsBelow ? kStackedMargin : (kHeight - block) / 2;
    layout.height = layout.countsBelow ? std::ceil(block + 2 * margin) : kHeight;

    const qreal rowCentre = layout.countsBelow ? margin + rowHeight / 2 : kHeight / 2;
    const qreal textTop = layout.countsBelow ? rowCentre - title.height() / 2 : margin;
    layout.title =
        QRectF(kSide, textTop, std::min(title.width(), std::max(0.0, room)), title.height());
    if (!counts.isEmpty()) {
        const qreal countsTop =
            layout.countsBelow ? margin + rowHeight + kLineGap : layout.title.bottom() + kLineGap;
        const qreal countsRoom = layout.countsBelow ? right - kSide : room;
        layout.counts = QRectF(kSide, countsTop, std::min(line.width(), std::max(0.0, countsRoom)),
                               line.height());
    }
    layout.refresh =
        QRectF(QPointF(right - refresh.width(), rowCentre - refresh.height() / 2), refresh);
    layout.settings = QRectF(QPointF(layout.refresh.left() - kSpacing - settings.width(),
                                     rowCentre - settings.height() / 2),
                             settings);
    return layout;
}

LoginItemsHeader::LoginItemsHeader(QWidget* parent)
    : QWidget(parent), title_(new PaintedText(titleFont(), Token::ink, this)),
      counts_(new PaintedText(countsFont(), Token::muted, this)),
      settings_(new OutlineButton(LoginItemsText::settingsTitle(LoginSettings::Place::folder),
                                  LoginHeaderLayout::kButtonHeight, LoginHeaderLayout::kButtonFont,
                                  this)),
      refresh_(new OutlineButton(LoginItemsText::kRefresh, LoginHeaderLayout::kButtonHeight,
                                 LoginHeaderLayout::kButtonFont, this)) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    title_->setWrapping(false);
    title_->setText(LoginItemsText::kTitle);
    counts_->setObjectName("loginCounts");
    counts_->setWrapping(false);
    counts_->setVisible(false);
    settings_->setObjectName("openLoginSettings");
    refresh_->setObjectName("refreshLoginItems");
    layout_ = LoginHeaderLayout::make(sizeHint().width(), {}, settings_->text());
}

void LoginItemsHeader::setCounts(const QString& counts) {
    counts_->setText(counts);
    counts_->setVisible(!counts.isEmpty());
    place();
}

void LoginItemsHeader::setSettingsTitle(const QString& title) {
    if (title == settings_->text()) return;
    settings_->setText(title);
    place();
}

int LoginItemsHeader::heightForWidth(int width) const {
    return static_cast<int>(
        LoginHeaderLayout::make(width, counts_->text(), settings_->text()).height);
}

QSize LoginItemsHeader::sizeHint() const {
    constexpr int kWidth = 700;
    return {kWidth, heightForWidth(kWidth)};
}

QSize LoginItemsHeader::minimumSizeHint() const {
    return {0, static_cast<int>(LoginHeaderLayout::kHeight)};
}

void LoginItemsHeader::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    place();
}

void LoginItemsHeader::place() {
    const qreal before = layout_.height;
    layout_ = LoginHeaderLayout::make(width(), counts_->text(), settings_->text());
    title_->setGeometry(layout_.title.toAlignedRect());
    counts_->setGeometry(layout_.counts.toAlignedRect());
    settings_->setGeometry(layout_.settings.toAlignedRect());
    refresh_->setGeometry(layout_.refresh.toAlignedRect());
    if (layout_.height != before) updateGeometry();
}

} // namespace kelvora
