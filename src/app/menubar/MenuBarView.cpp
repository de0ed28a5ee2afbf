#include "menubar/MenuBarView.h"

#include "controller/AppModel.h"
#include "design/Buttons.h"
#include "design/Caption.h"
#include "design/DialView.h"
#include "design/Fonts.h"
#include "design/Shapes.h"
#include "design/Spinner.h"
#include "design/Symbols.h"
#include "design/Theme.h"
#include "menubar/MenuBarModel.h"

#include <QPainter>

#include <cmath>

namespace kelvora {

namespace {

// The small spinner of a check under way: eight thin spokes, the leading one a step ahead
// of the phase.
void paintCheckSpinner(QPainter& painter, const QRectF& box, int phase) {
    qreal radius = box.width() / 2;
    paintSpinner(painter, box.center(), {8, radius * 0.45, radius, 1.6, 0.25}, Theme::muted(),
                 phase - 1);
}

} // namespace

MenuBarView::MenuBarView(MenuBarModel& menu, AppModel& app, QWidget* parent)
    : QWidget(parent), menu_(menu), app_(app), dial_(new DialView(this)),
      signal_(new SignalButton({}, MenuBarLayout::kSignalHeight, MenuBarLayout::kSignalFont, this)),
      review_(new OutlineButton("Review leftovers", 26, 12, this)),
      dismiss_(new TextLinkButton("Dismiss", 12, this)),
      open_(new TextLinkButton("Open Kelvora", 13, this)),
      quit_(new TextLinkButton("Quit", 13, this)), spinner_(new SpinnerClock(this, 80, [this] {
          if (layout_.spinner) update(layout_.spinner->toAlignedRect());
      })) {
    setObjectName("MenuBarView");
    signal_->setObjectName("quickClean");
    review_->setObjectName("reviewLeftovers");
    dismiss_->setObjectName("dismiss");
    open_->setObjectName("openKelvora");
    quit_->setObjectName("quit");
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
    app_.follow({&AppModel::uninstallChanged}, this, &MenuBarView::refresh);
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

// Only a change of what the popup shows lays it out again.
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
    spinner_->setWanted(layout_.spinner.has_value());
    update();
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
    layout_.freeOf.paint(painter);
    if (const auto& forecast = layout_.forecast) {
        Symbols::paint(painter, "chart.line.downtrend.xyaxis", *layout_.forecastSymbol, 12,
                       Theme::color(forecast->color));
        forecast->paint(painter);
    }
    for (const QRectF& separator : layout_.separators)
        Shapes::hairline(painter, separator, Qt::Horizontal);
    Caption::paint(painter, layout_.caption, "Quick clean");

    if (layout_.spinner) paintCheckSpinner(painter, *layout_.spinner, spinner_->phase());
    if (layout_.status) layout_.status->paint(painter);
    if (layout_.cleanedLine) layout_.cleanedLine->paint(painter, layout_.cleanedAt);
    if (const auto& notice = layout_.notice) {
        for (const auto* text : {&notice->title, &notice->detail})
            text->paint(painter);
    }
}

} // namespace kelvora
