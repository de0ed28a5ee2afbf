#include "window/SimpleView.h"

#include "controller/AppModel.h"
#include "design/Buttons.h"
#include "design/DialView.h"
#include "design/Focus.h"
#include "design/ForecastLine.h"
#include "design/Meter.h"
#include "design/Motion.h"
#include "design/QtString.h"
#include "design/Spinner.h"
#include "design/Symbols.h"
#include "design/Theme.h"
#include "onboarding/AccessNote.h"
#include "onboarding/AccessPoll.h"
#include "window/TileView.h"

#include <QEasingCurve>
#include <QPainter>
#include <QVariantAnimation>

#include <cmath>

namespace kelvora {

namespace {

using Element = SimpleState::Element;

constexpr int kMeterMilliseconds = 300;

void place(QWidget* widget, const QRectF& rect) {
    widget->setGeometry(
        static_cast<int>(std::lround(rect.x())), static_cast<int>(std::lround(rect.y())),
        static_cast<int>(std::ceil(rect.width())), static_cast<int>(std::ceil(rect.height())));
}

int neededHeight(const SimpleLayout& layout) {
    return static_cast<int>(std::ceil(layout.content.height() + SimpleLayout::kBottomMargin));
}

QString plainText(const std::vector<Copy::Run>& runs) {
    QString text;
    for (const auto& run : runs)
        text += toQString(run.text);
    return text;
}

TextLinkButton* link(const QString& title, qreal size, const char* name, QWidget* parent) {
    auto* button = new TextLinkButton(title, size, parent);
    button->setObjectName(name);
    button->hide();
    return button;
}

SignalButton* signal(const char* name, QWidget* parent) {
    auto* button =
        new SignalButton({}, SimpleLayout::kButtonHeight, SimpleLayout::kButtonFont, parent);
    button->setObjectName(name);
    button->hide();
    return button;
}

} // namespace

SimpleView::SimpleView(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model), dial_(new DialView(this)),
      forecast_(new ForecastLine(std::nullopt, SimpleLayout::kForecastSize, this)),
      clean_(signal("cleanUpButton", this)),
      seeInside_(link("See what’s inside", SimpleLayout::kLinkSize, "seeInsideLink", this)),
      freeNow_(signal("freeNowButton", this)),
      openShelf_(link("Open Undo Shelf", SimpleLayout::kLinkSize, "openShelfLink", this)),
      shareReceipt_(link("Share your receipt", SimpleLayout::kLinkSize, "shareReceiptLink", this)),
      review_(link("Review", SimpleLayout::kNoteSize, "reviewLink", this)),
      allowMail_(link(SimpleText::kWhatToCheck, SimpleLayout::kNoteSize, "allowMailLink", this)),
      spinner_(new SpinnerClock(this, 80, [this] {
          update(QRectF(layout_.spinnerCenter - QPointF(10, 10), QSizeF(20, 20)).toAlignedRect());
      })) {
    setObjectName("SimpleView");
    setAccessibleName("Simple view");
    static constexpr std::array kTileNames{"cachesTile", "logsTile", "downloadsTile", "trashTile"};
    for (size_t i = 0; i < tiles_.size(); ++i) {
        tiles_[i] = new TileView(this);
        tiles_[i]->setObjectName(kTileNames[i]);
    }

    connect(clean_, &QAbstractButton::clicked, this, [this] {
        if (state_.element == Element::readyRow) model_.setConfirmingFreeUp(true);
    });
    connect(seeInside_, &QAbstractButton::clicked, this,
            [this] { model_.setMode(AppModel::ViewMode::detailed); });
    connect(freeNow_, &QAbstractButton::clicked, this,
            [this] { model_.setConfirmingEmptyShelf(true); });
    connect(openShelf_, &QAbstractButton::clicked, this,
            [this] { openDetailed(std::nullopt, true); });
    connect(shareReceipt_, &QAbstractButton::clicked, this,
            [this] { model_.setShowingReceipt(true); });
    connect(review_, &QAbstractButton::clicked, this, [this] {
        if (state_.optIn) openDetailed(state_.optIn->reviewCategory, false);
    });
    connect(allowMail_, &QAbstractButton::clicked, this,
            [this] { openDetailed(JunkKind::mail, false); });

    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);

    model_.follow({&AppModel::scanChanged, &AppModel::shelfChanged, &AppModel::diskChanged,
                   &AppModel::settingsChanged},
                  this, &SimpleView::refresh);
    refresh();
}

void SimpleView::refresh() {
    SimpleInputs inputs = SimpleInputs::of(model_);
    watchAccess(SimpleText::showsAccessNote(inputs.phase));
    inputs.accessNote = accessNote_;
    apply(SimpleState::make(inputs));
}

// While a tile says a folder is closed, its note follows the folders as the welcome and the
// access guide do: read again every 1.5 seconds.
void SimpleView::watchAccess(bool wanted) {
    if (!wanted) {
        delete accessPoll_;
        accessNote_.clear();
        return;
    }
    if (accessPoll_) return;
    accessNote_ = readAccessNote();
    accessPoll_ = new AccessPoll(
        this, [this] { return model_.hasFullDiskAccess(); },
        [this](bool) {
            std::string note = readAccessNote();
            if (note == accessNote_) return;
            accessNote_ = std::move(note);
            refresh();
        });
}

std::string SimpleView::readAccessNote() const {
    return (AccessNote::current(model_) + " " + AccessNote::check()).toStdString();
}

void SimpleView::apply(SimpleState state) {
    const bool first = !applied_;
    applied_ = true;
    if (!first && state == state_) return;
    if (first || state.usedFraction != state_.usedFraction ||
        state.afterFraction != state_.afterFraction || state.totalBytes != state_.totalBytes)
        dial_->setValues(state.usedFraction, state.afterFraction, state.totalBytes);
    if (first || state.forecastDays != state_.forecastDays) forecast_->setDays(state.forecastDays);
    const bool cleanedUp =
        !first && state.element == Element::doneRow && state_.element != Element::doneRow;
    state_ = std::move(state);

    freeSpace_.setValue(toQString(state_.freeSpace));
    const bool ready = state_.element == Element::readyRow;
    const bool cleaning = state_.element == Element::cleaningButton;
    clean_->setText(toQString(state_.cleanTitle));
    clean_->setBusy(cleaning);
    // Return cleans only while something is picked and ready; otherwise it does nothing here.
    if (clean_->keyRole() != (ready ? KeyRole::confirm : KeyRole::none))
        clean_->setKeyRole(ready ? KeyRole::confirm : KeyRole::none);
    clean_->setVisible(ready || cleaning);
    seeInside_->setVisible(ready);
    freeNow_->setText(toQString(state_.freeNowTitle.value_or("")));
    freeNow_->setVisible(state_.freeNowTitle.has_value());
    freeNow_->setBusy(state_.freeNowBusy);
    openShelf_->setVisible(state_.freeNowTitle.has_value());
    shareReceipt_->setVisible(state_.shareReceipt);
    review_->setVisible(state_.optIn.has_value());
    allowMail_->setVisible(state_.mailNote);
    for (size_t i = 0; i < tiles_.size(); ++i)
        tiles_[i]->setTile(state_.tiles[i]);
    setAccessibleDescription(toQString(state_.status) + ". " + plainText(state_.headline) + " " +
                             toQString(state_.body));

    followMeter(state_.element == Element::meter ? state_.meterFraction : 0);
    spinner_->setWanted(state_.spinning);
    arrange();
    // The button that started the clean-up is gone; the keyboard goes on to what follows it.
    if (QWidget* next = cleanedUp ? Focus::entryOf(*this) : nullptr) Focus::give(*next);
}

void SimpleView::arrange() {
    layout_ = SimpleLayout::make(state_, size());
    // The height everything needs follows the state and the width, never the height given.
    const std::pair<int, int> needed{width(), neededHeight(layout_)};
    const bool grewOrShrank = needed.second != neededHeight_.second;
    neededHeight_ = needed;
    place(dial_, layout_.dial);
    if (!layout_.forecast.isNull()) place(forecast_, layout_.forecast);
    if (!layout_.cleanButton.isNull()) place(clean_, layout_.cleanButton);
    if (!layout_.seeInside.isNull()) place(seeInside_, layout_.seeInside);
    if (!layout_.freeNow.isNull()) place(freeNow_, layout_.freeNow);
    if (!layout_.openShelf.isNull()) place(openShelf_, layout_.openShelf);
    if (!layout_.shareReceipt.isNull()) place(shareReceipt_, layout_.shareReceipt);
    if (layout_.optIn) place(review_, layout_.optIn->link);
    if (layout_.mail) place(allowMail_, layout_.mail->link);
    for (size_t i = 0; i < tiles_.size(); ++i)
        place(tiles_[i], layout_.tiles[i]);
    if (grewOrShrank) updateGeometry();
    update();
}

int SimpleView::heightForWidth(int width) const {
    if (neededHeight_.first == width) return neededHeight_.second;
    return neededHeight(SimpleLayout::make(state_, QSizeF(width, 0)));
}

// The meter eases to each new step instead of jumping, unless nothing may move.
void SimpleView::followMeter(double fraction) {
    if (meterAnimation_) meterAnimation_->stop();
    if (!isVisible() || !Motion::animates(this) || fraction <= meterShown_) {
        meterShown_ = fraction;
        return;
    }
    auto* animation = new QVariantAnimation(this);
    animation->setStartValue(meterShown_);
    animation->setEndValue(fraction);
    animation->setDuration(kMeterMilliseconds);
    animation->setEasingCurve(QEasingCurve::OutCubic);
    connect(animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        meterShown_ = value.toDouble();
        update(layout_.meter.adjusted(-1, -1, 1, 1).toAlignedRect());
    });
    meterAnimation_ = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void SimpleView::openDetailed(std::optional<JunkKind> category, bool shelf) {
    model_.setMode(AppModel::ViewMode::detailed);
    model_.show(category, shelf, false, false, false, false);
    if (!category) return;
    // Opening a category shows its largest item in the inspector.
    std::optional<URL> first;
    if (const ScanResult* result = model_.result())
        for (const auto& item : result->items)
            if (item.kind == *category) {
                first = item.location;
                break;
            }
    model_.setFocusedItem(first);
}

void SimpleView::resizeEvent(QResizeEvent*) {
    arrange();
}

void SimpleView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.fillRect(rect(), Theme::ground());
    paintDialRegion(painter);
    paintSummary(painter);
    paintFootnote(painter);
}

void SimpleView::paintDialRegion(QPainter& painter) const {
    painter.setFont(SimpleLayout::freeSpaceFont());
    painter.setPen(Theme::ink());
    freeSpace_.paint(painter, layout_.freeSpace, Qt::AlignLeft | Qt::AlignTop);
    painter.setFont(SimpleLayout::freeOfFont());
    painter.setPen(Theme::muted());
    painter.drawText(layout_.freeOf, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     toQString(state_.freeOf));
}

void SimpleView::paintSummary(QPainter& painter) const {
    if (state_.spinning)
        paintSpinner(painter, layout_.spinnerCenter, Theme::muted(), spinner_->phase());
    painter.setFont(SimpleLayout::statusFont());
    painter.setPen(Theme::muted());
    painter.drawText(layout_.status, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     toQString(state_.status));
    layout_.headline.paint(painter, layout_.headlineAt, Theme::ink());
    layout_.body.paint(painter, layout_.bodyAt, Theme::muted());
    if (state_.element == Element::meter) Meter::paint(painter, layout_.meter, meterShown_);
    painter.setFont(SimpleLayout::reassuranceFont());
    for (const auto& label : layout_.reassurance) {
        Symbols::paint(painter, label.symbol, label.symbolBox, 14, Theme::muted());
        painter.setPen(Theme::muted());
        painter.drawText(label.textBox, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         label.text);
    }
}

void SimpleView::paintFootnote(QPainter& painter) const {
    for (const auto* note : {&layout_.optIn, &layout_.mail, &layout_.inUse}) {
        if (!*note) continue;
        if (!(*note)->symbol.isEmpty())
            Symbols::paint(painter, (*note)->symbol, (*note)->symbolBox, SimpleLayout::kNoteSize,
                           Theme::ink());
        (*note)->text.paint(painter, (*note)->textAt, Theme::muted());
    }
}

} // namespace kelvora
