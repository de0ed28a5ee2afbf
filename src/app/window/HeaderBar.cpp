#include "window/HeaderBar.h"

#include "controller/AppModel.h"
#include "design/Buttons.h"
#include "design/Focus.h"
#include "window/ModeSwitch.h"
#include "window/RootTexts.h"

#include <QPainter>

#include <algorithm>

namespace kelvora {

namespace {

// An outline button drawn at half strength while it cannot be pressed.
class HeaderButton : public OutlineButton {
public:
    HeaderButton(const QString& title, QWidget* parent)
        : OutlineButton(title, HeaderBar::kButtonHeight, HeaderBar::kButtonFont, parent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(isEnabled() ? 1.0 : kDisabledOpacity);
        paint(painter, rect(), text(), HeaderBar::kButtonFont, showsFocusRing());
    }
};

} // namespace

HeaderBar::HeaderBar(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model), modeSwitch_(new ModeSwitch(this)),
      shelfButton_(new HeaderButton({}, this)), checkAgain_(new HeaderButton("Check again", this)) {
    setObjectName("HeaderBar");
    setFixedHeight(static_cast<int>(kHeight));
    shelfButton_->setObjectName("UndoShelfButton");
    checkAgain_->setObjectName("CheckAgainButton");
    connect(modeSwitch_, &ModeSwitch::chosen, &model_,
            [this](AppModel::ViewMode mode) { model_.setMode(mode); });
    connect(shelfButton_, &QAbstractButton::clicked, &model_, [this] {
        model_.setMode(AppModel::ViewMode::detailed);
        model_.show(std::nullopt, true, false, false, false, false);
    });
    connect(checkAgain_, &QAbstractButton::clicked, &model_, [this] { model_.scan(); });
    model_.follow({&AppModel::navigationChanged, &AppModel::scanChanged, &AppModel::shelfChanged},
                  this, &HeaderBar::refresh);
    refresh();
}

HeaderBar::Layout HeaderBar::layout(qreal width, QSizeF switchSize,
                                    std::optional<qreal> shelfButtonWidth, qreal checkAgainWidth) {
    const qreal inner = width - 2 * kEdge;
    const qreal flexible =
        std::max<qreal>(0, inner - kLeftSpace - kButtonGroup - switchSize.width());
    Layout layout;
    layout.modeSwitch =
        QRectF(QPointF(kEdge + kLeftSpace + flexible / 2, (kHeight - switchSize.height()) / 2),
               switchSize);
    const qreal top = (kHeight - kButtonHeight) / 2;
    const qreal right = width - kEdge;
    layout.checkAgain = QRectF(right - checkAgainWidth, top, checkAgainWidth, kButtonHeight);
    if (shelfButtonWidth)
        layout.shelfButton = QRectF(layout.checkAgain.left() - kButtonGap - *shelfButtonWidth, top,
                                    *shelfButtonWidth, kButtonHeight);
    return layout;
}

void HeaderBar::refresh() {
    modeSwitch_->setMode(model_.mode());
    const bool showsShelf = RootTexts::showsShelfButton(model_);
    const QString shelfTitle =
        QString::fromStdString(RootTexts::shelfButtonTitle(model_.shelfBytes()));
    const bool enabled = RootTexts::canCheckAgain(model_);
    if (shown_ && shown_->showsShelf == showsShelf && shown_->shelfTitle == shelfTitle &&
        shown_->checkAgainEnabled == enabled)
        return;
    shown_ = Shown{showsShelf, shelfTitle, enabled};
    shelfButton_->setText(shelfTitle);
    // A button that goes away or stops taking presses while it has the keyboard would drop
    // it on whatever comes next in the window; it goes to the switch, which stays.
    for (OutlineButton* button : {shelfButton_, checkAgain_})
        if (button->hasFocus() && !(button == shelfButton_ ? showsShelf : enabled))
            Focus::give(*modeSwitch_->segment(model_.mode()));
    shelfButton_->setVisible(showsShelf);
    checkAgain_->setEnabled(enabled);
    place();
}

void HeaderBar::place() {
    std::optional<qreal> shelfWidth;
    if (shown_ && shown_->showsShelf) shelfWidth = shelfButton_->sizeHint().width();
    const Layout l =
        layout(width(), modeSwitch_->sizeHint(), shelfWidth, checkAgain_->sizeHint().width());
    modeSwitch_->setGeometry(l.modeSwitch.toRect());
    checkAgain_->setGeometry(l.checkAgain.toRect());
    if (l.shelfButton) shelfButton_->setGeometry(l.shelfButton->toRect());
}

QSize HeaderBar::sizeHint() const {
    return {1280, static_cast<int>(kHeight)};
}

void HeaderBar::resizeEvent(QResizeEvent*) {
    place();
}

} // namespace kelvora
