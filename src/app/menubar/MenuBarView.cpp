#include "menubar/MenuBarView.h"

#include "controller/AppModel.h"
#include "design/Buttons.h"
#include "design/Caption.h"
#include "design/DialView.h"
#include "design/Fonts.h"
#include "design/Motion.h"
#include "design/Shapes.h"
#include "design/Symbols.h"
#include "design/Theme.h"
#include "menubar/MenuBarModel.h"

#include <QPainter>
#include <QTimer>

#include <cmath>

namespace kelvora {

namespace {

// Eight spokes fading behind the leading one, the small spinner of a check under way.
void paintSpinner(QPainter& painter, const QRectF& box, int phase) {
    painter.save();
    painter.translate(box.center());
    qreal radius = box.width() / 2;
    for (int i = 0; i < 8; ++i) {
        QColor color = Theme::muted();
        color.setAlphaF(0.25 + 0.75 * (((i - phase) % 8 + 8) % 8) / 7.0);
        painter.save();
        painter.rotate(i * 45.0);
        painter.setPen(QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, -radius * 0.45), QPointF(0, -radius));
        painter.restore();
    }
    painter.restore();
}

} // namespace

MenuBarView::MenuBarView(MenuBarModel& menu, AppModel& app, QWidget* parent)
    : QWidget(parent), menu_(menu), app_(app), dial_(new DialView(this)),
      signal_(new SignalButton({}, MenuBarLayout::kSignalHeight, MenuBarLayout::kSignalFont, this)),
      review_(new OutlineButton("Review leftovers", 26, 12, this)),
      dismiss_(new TextLinkButton("Dismiss", 12, this)),
      open_(new TextLinkButton("Open Kelvora", 13, this)),
      quit_(new TextLinkButton("Quit", 13, this)), spinnerTimer_(new QTimer(this)) {
    setObjectName("MenuBarView");
    signal_->setObjectName("quickClean");
    review_->setObjectName("reviewLeftovers");
    dismiss_->setObjectName("dismiss");
    open_->setObjectName("openKelvora");
    quit_->setObjectName("quit");
    spinnerTimer_->setInterval(80);
    connect(spinnerTimer_, &QTimer::timeout, this, [this] {
        ++spinnerPhase_;
        if (layout_.spinner) update(layout_.spinner->toAlignedRect());
    });
    connect(signal_, &QPushButton::clicked, &menu_, &MenuBarModel::quickClean);
    connect(review_, &QPushButton::clicked, this, [this] {
        emit openRequested();
        app_.reviewRemovedAppLeftovers();
    });
    connect(dismiss_, &QPushButton::clicked, this,
            [this] { app_.setRemovedAppNotice(std::nullopt); });
    connect(open_, &QPushButton::clicked, this, &MenuBarView::openRequested);
    connect(quit_, &QPushButton::clicked, this, &MenuBarView::quitRequested);
    connect(&menu_, &MenuBarModel::changed, this, &MenuBarView::refresh);
    connect(&app_, &AppModel::changed, this, &MenuBarView::refresh);
    refresh();
}

QSize MenuBarView::sizeHint() const {
    return QSize(static_cast<int>(MenuBarLayout::kWidth),
                 static_cast<int>(std::ceil(layout_.size.height())));
}

void MenuBarView::place(QWidget* widget, const std::optional<QRectF>& rect) {
    if (!rect) {
        widget->hide();
        return;
    }
    widget->setGeometry(rect->toAlignedRect());
    widget->show();
}

// The window's controller announces every step of a scan; only a change of what the popup
// shows lays it out again.
void MenuBarView::refresh() {
    MenuBarInput input = MenuBarInput::from(menu_, app_);
    if (input == input_) return;
    input_ = input;
    MenuBarLayout next = MenuBarLayout::make(input);
    bool resized = next.size != layout_.size;
    layout_ = std::move(next);
    const auto& dial = layout_.dialValues;
    if (dial.used != dial_->used() || dial.after != dial_->after() ||
        dial.totalBytes != dial_->totalBytes())
        dial_->setValues(dial.used, dial.after, dial.totalBytes);
    dial_->setGeometry(layout_.dial.toAlignedRect());
    if (signal_->text() != layout_.signalTitle) signal_->setText(layout_.signalTitle);
    signal_->setBusy(layout_.signalBusy);
    place(signal_, layout_.signalButton);
    const auto& notice = layout_.notice;
    place(review_, notice ? std::optional(notice->review) : std::nullopt);
    place(dismiss_, notice ? std::optional(notice->dismiss) : std::nullopt);
    place(open_, layout_.open);
    place(quit_, layout_.quit);
    if (resized) {
        setFixedSize(sizeHint());
        updateGeometry();
    }
    updateSpinner();
    update();
}

void MenuBarView::updateSpinner() {
    bool turning = layout_.spinner && isVisible() && Motion::animates(this);
    if (turning && !spinnerTimer_->isActive()) spinnerTimer_->start();
    if (!turning) spinnerTimer_->stop();
}

void MenuBarView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    updateSpinner();
}

void MenuBarView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    updateSpinner();
}

void MenuBarView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.fillRect(rect(), Theme::ground());

    painter.setPen(Theme::ink());
    painter.setFont(Fonts::number(30));
    painter.drawText(layout_.number, Qt::AlignLeft | Qt::AlignTop, layout_.numberText);
    painter.setFont(Fonts::number(13));
    painter.drawText(layout_.unit, Qt::AlignLeft | Qt::AlignTop, layout_.unitText);
    const auto& freeOf = layout_.freeOf;
    freeOf.lines.paint(painter, freeOf.at, Theme::color(freeOf.color));
    if (const auto& forecast = layout_.forecast) {
        QColor color = Theme::color(forecast->color);
        Symbols::paint(painter, "chart.line.downtrend.xyaxis", *layout_.forecastSymbol, 12, color);
        forecast->lines.paint(painter, forecast->at, color);
    }
    for (const QRectF& separator : layout_.separators)
        Shapes::hairline(painter, separator, Qt::Horizontal);
    Caption::paint(painter, layout_.caption, "Quick clean");

    if (layout_.spinner)
        paintSpinner(painter, *layout_.spinner, Motion::animates(this) ? spinnerPhase_ : 0);
    if (const auto& status = layout_.status)
        status->lines.paint(painter, status->at, Theme::color(status->color));
    if (layout_.cleanedLine) layout_.cleanedLine->paint(painter, layout_.cleanedAt);
    if (const auto& notice = layout_.notice) {
        for (const auto* text : {&notice->title, &notice->detail})
            text->lines.paint(painter, text->at, Theme::color(text->color));
    }
}

} // namespace kelvora
