#include "window/RootView.h"

#include "design/Focus.h"
#include "design/Motion.h"
#include "design/QtString.h"
#include "design/Scrolling.h"
#include "design/Snapshot.h"
#include "design/Theme.h"
#include "onboarding/SystemDataHelp.h"
#include "onboarding/WelcomeView.h"
#include "panes/ReceiptSheet.h"
#include "panes/UninstallSheet.h"
#include "window/AppEvents.h"
#include "window/DetailedView.h"
#include "window/HeaderBar.h"
#include "window/ModeSwitch.h"
#include "window/RootTexts.h"
#include "window/SheetOverlay.h"
#include "window/SimpleView.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QGraphicsOpacityEffect>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace kelvora {

namespace {

// A confirmation in the window's own modal box: the title says what happens, the message
// explains it, Cancel answers Escape and is the default, so Return never confirms by
// accident.
QMessageBox* confirmationBox(QWidget* window, const RootTexts::Confirmation& text,
                             QMessageBox::ButtonRole confirmRole, const char* name) {
    auto* box = new QMessageBox(window);
    box->setObjectName(name);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->setIcon(QMessageBox::NoIcon);
    box->setWindowTitle(toQString(text.title));
    box->setText(toQString(text.title));
    if (!text.message.empty()) box->setInformativeText(toQString(text.message));
    QPushButton* confirm = box->addButton(toQString(text.confirm), confirmRole);
    confirm->setObjectName("ConfirmButton");
    QPushButton* cancel = box->addButton("Cancel", QMessageBox::RejectRole);
    cancel->setObjectName("CancelButton");
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    return box;
}

constexpr int kWelcomeFade = 400;
constexpr int kModeFade = 200;

// Fades a layer in or out; one that fades out is deleted at the end. Without motion the
// change is at once.
void fade(QWidget* layer, bool in, int milliseconds) {
    if (!Motion::animates(layer)) {
        if (!in) {
            layer->hide();
            layer->deleteLater();
        }
        return;
    }
    auto* effect = new QGraphicsOpacityEffect(layer);
    layer->setGraphicsEffect(effect);
    auto* animation = new QPropertyAnimation(effect, "opacity", layer);
    animation->setDuration(milliseconds);
    animation->setStartValue(in ? 0.0 : 1.0);
    animation->setEndValue(in ? 1.0 : 0.0);
    animation->setEasingCurve(QEasingCurve::OutCubic);
    QObject::connect(animation, &QAbstractAnimation::finished, layer, [layer, in] {
        if (in)
            layer->setGraphicsEffect(nullptr);
        else
            layer->deleteLater();
    });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

// Takes a box down that the controller no longer asks for, without answering it.
void closeQuietly(QPointer<QMessageBox>& slot) {
    QMessageBox* box = slot;
    slot = nullptr;
    box->disconnect();
    box->close();
}

} // namespace

RootView::RootView(AppModel& model, int welcomeStep, QWidget* parent)
    : QWidget(parent), model_(model), welcomeStep_(welcomeStep),
      dropOverlay_(new DropOverlay(this)) {
    setObjectName("RootView");
    setAcceptDrops(true);
    Focus::watchInput();
    dropOverlay_->hide();
    applyForeground();
    model_.follow({&AppModel::navigationChanged, &AppModel::scanChanged, &AppModel::shelfChanged,
                   &AppModel::uninstallChanged},
                  this, &RootView::refresh);
    connect(&AppEvents::shared(), &AppEvents::kelvoraOpenApps, this,
            [this](const std::vector<URL>& urls) {
                if (auto app = firstApplication(urls)) model_.prepareUninstall(*app);
            });
    refresh();
}

void RootView::refresh() {
    // A receipt sheet whose receipt is gone (a new scan began under it) would stay up empty
    // with no way out; it closes instead. The change comes back here.
    if (model_.showingReceipt() && !model_.receipt()) {
        model_.setShowingReceipt(false);
        return;
    }
    showWelcomeOrWork();
    showSheets();
    placeLayers();
    if (!Snapshot::isSnapshot(this)) showDialogs();
    // After the views have taken in the same change.
    if (standIn_.control) QTimer::singleShot(0, this, &RootView::enterWhenReady);
}

void RootView::showWelcomeOrWork() {
    if (model_.showingWelcome()) {
        if (!welcome_) {
            welcome_ = new WelcomeView(model_, welcomeStep_, this);
            welcome_->show();
            fade(welcome_, true, kWelcomeFade);
        }
        if (work_) work_->hide();
        return;
    }
    const bool leavingWelcome = welcome_;
    if (welcome_) {
        // It fades over the working window, which takes no keys from it meanwhile.
        welcome_->setEnabled(false);
        welcome_->raise();
        fade(welcome_, false, kWelcomeFade);
        welcome_ = nullptr;
    }
    if (!work_) {
        work_ = new QWidget(this);
        work_->setObjectName("WorkingWindow");
        auto* layout = new QVBoxLayout(work_);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        header_ = new HeaderBar(model_, work_);
        layout->addWidget(header_);
    }
    showMainView();
    work_->show();
    // The welcome took its focus with it; the keyboard goes on in the window it leaves.
    if (leavingWelcome) enterMainView(true);
}

// The view is made anew only when the mode changes; each view follows the controller itself.
void RootView::showMainView() {
    if (shownMode_ == model_.mode() && mainFrame_) return;
    shownMode_ = model_.mode();
    // The simple view is one screen at the window's usual size; in a smaller window it
    // scrolls rather than losing its last lines. The detailed view scrolls its own panes.
    QWidget* view = nullptr;
    QWidget* frame = nullptr;
    if (model_.mode() == AppModel::ViewMode::simple) {
        view = new SimpleView(model_);
        frame = new Scrolling(view, work_);
    } else {
        view = frame = new DetailedView(model_, work_);
    }
    auto* layout = static_cast<QVBoxLayout*>(work_->layout());
    if (mainFrame_) {
        layout->replaceWidget(mainFrame_, frame);
        // The old view may be the sender of this change ("See what’s inside").
        mainFrame_->hide();
        mainFrame_->deleteLater();
        fade(frame, true, kModeFade);
    } else {
        layout->addWidget(frame);
    }
    layout->setStretchFactor(frame, 1);
    mainView_ = view;
    mainFrame_ = frame;
    frame->show();
}

void RootView::showSheet(QPointer<SheetOverlay>& slot, bool wanted, bool same,
                         const std::function<QWidget*()>& make, std::function<void()> close) {
    if (slot && (!wanted || !same)) {
        sheetClosed_ = true;
        if (!handBackTo_) handBackTo_ = slot->opener();
        slot->hide();
        slot->deleteLater();
        slot = nullptr;
    }
    if (wanted && !slot) {
        // A sheet that takes the place of another gives the keyboard back where that one would.
        QWidget* opener = handBackTo_ ? handBackTo_.data() : QApplication::focusWidget();
        handBackTo_ = nullptr;
        sheetClosed_ = false;
        slot = new SheetOverlay(make(), this, opener, std::move(close));
        slot->show();
    }
}

void RootView::handFocusBack() {
    QWidget* target = std::exchange(handBackTo_, nullptr);
    if (!target || !target->isVisible() || !target->isEnabled() ||
        !(target->focusPolicy() & Qt::TabFocus))
        enterMainView();
    else
        Focus::give(*target);
}

void RootView::enterMainView(bool later) {
    const Focus::Input how = Focus::inputNow();
    QWidget* target = mainView_ ? Focus::entryOf(*mainView_) : nullptr;
    if (!target && header_) {
        target = header_->modeSwitch()->segment(model_.mode());
        if (later) standIn_ = {target, how};
    }
    if (target) Focus::give(*target, how);
}

// The simple view shows no control while the first scan runs; when the scan ends its first
// control takes the keyboard from the stand-in, unless the user has moved it meanwhile.
void RootView::enterWhenReady() {
    if (!standIn_.control) return;
    if (window()->focusWidget() != standIn_.control) {
        standIn_ = {};
        return;
    }
    QWidget* target = mainView_ ? Focus::entryOf(*mainView_) : nullptr;
    if (!target) return;
    Focus::give(*target, standIn_.how);
    standIn_ = {};
}

void RootView::showSheets() {
    // The sheet tells what the category holds; while a new check runs there is nothing to tell.
    // Asked only while the sheet is wanted: the words walk every item found.
    std::optional<SystemDataHelp::Words> words;
    if (model_.showingSystemDataHelp()) words = SystemDataHelp::words(model_.result());
    const auto closeHelp = [this] { model_.setShowingSystemDataHelp(false); };
    showSheet(
        systemData_, words.has_value(), true,
        [&]() -> QWidget* { return new SystemDataHelp(std::move(*words), closeHelp); }, closeHelp);

    const auto& target = model_.uninstallTarget();
    const bool sameItem = target == uninstallItem_;
    showSheet(
        uninstall_, target.has_value(), sameItem,
        [this, &target]() -> QWidget* { return new UninstallSheet(model_, *target); },
        [this] { model_.closeUninstall(); });
    if (!sameItem) uninstallItem_ = target;

    const std::optional<Receipt> receipt =
        model_.showingReceipt() ? model_.receipt() : std::optional<Receipt>();
    const auto closeReceipt = [this] { model_.setShowingReceipt(false); };
    showSheet(
        receipt_, receipt.has_value(), receipt == receiptShown_,
        [&]() -> QWidget* { return new ReceiptSheet(*receipt, closeReceipt); }, closeReceipt);
    receiptShown_ = receipt;

    // While a sheet is up the window under it takes no keys: its Return and Escape belong
    // to the sheet.
    const bool sheetUp = systemData_ || uninstall_ || receipt_;
    if (work_) work_->setEnabled(!sheetUp);
    // Once the window takes keys again, the control that opened the sheet has them back.
    if (!sheetUp && std::exchange(sheetClosed_, false)) handFocusBack();
}

void RootView::showDialogs() {
    QWidget* window = this->window();
    if (model_.confirmingFreeUp() && !freeUpBox_) {
        freeUpBox_ = confirmationBox(window, RootTexts::freeUp(model_), QMessageBox::AcceptRole,
                                     "FreeUpConfirmation");
        QMessageBox* box = freeUpBox_;
        connect(box, &QMessageBox::finished, this, [this, box] {
            const bool confirmed =
                box->clickedButton() && box->clickedButton()->objectName() == "ConfirmButton";
            freeUpBox_ = nullptr;
            model_.setConfirmingFreeUp(false);
            if (confirmed) model_.freeUp();
        });
        box->open();
    } else if (!model_.confirmingFreeUp() && freeUpBox_) {
        closeQuietly(freeUpBox_);
    }

    if (model_.confirmingEmptyShelf() && !emptyShelfBox_) {
        emptyShelfBox_ = confirmationBox(window, RootTexts::emptyShelf(model_),
                                         QMessageBox::DestructiveRole, "EmptyShelfConfirmation");
        QMessageBox* box = emptyShelfBox_;
        connect(box, &QMessageBox::finished, this, [this, box] {
            const bool confirmed =
                box->clickedButton() && box->clickedButton()->objectName() == "ConfirmButton";
            emptyShelfBox_ = nullptr;
            model_.setConfirmingEmptyShelf(false);
            if (confirmed) model_.emptyShelf();
        });
        box->open();
    } else if (!model_.confirmingEmptyShelf() && emptyShelfBox_) {
        closeQuietly(emptyShelfBox_);
    }

    const auto& error = model_.shelfError();
    if (error && !alertBox_) {
        auto* box = new QMessageBox(window);
        alertBox_ = box;
        box->setObjectName("ShelfAlert");
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::WindowModal);
        box->setWindowTitle(RootTexts::kShelfAlertTitle);
        QPushButton* ok = box->addButton("OK", QMessageBox::RejectRole);
        box->setEscapeButton(ok);
        box->setDefaultButton(ok);
        // Dismissing the alert clears the error, so it shows again only for a new one.
        connect(box, &QMessageBox::finished, this, [this] {
            alertBox_ = nullptr;
            model_.setShelfError(std::nullopt);
        });
        box->open();
    }
    if (alertBox_) {
        if (error)
            alertBox_->setText(toQString(*error));
        else
            closeQuietly(alertBox_);
    }
}

void RootView::placeLayers() {
    if (welcome_) welcome_->setGeometry(0, kWelcomeTop, width(), height() - kWelcomeTop);
    if (work_) work_->setGeometry(rect());
    dropOverlay_->setGeometry(rect());
    for (SheetOverlay* sheet : {systemData_.data(), uninstall_.data(), receipt_.data()})
        if (sheet) {
            sheet->setGeometry(rect());
            sheet->raise();
        }
    dropOverlay_->raise();
}

void RootView::resizeEvent(QResizeEvent*) {
    placeLayers();
}

void RootView::applyForeground() {
    QPalette colours = palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        colours.setColor(role, Theme::ink());
    setPalette(colours);
}

void RootView::changeEvent(QEvent* event) {
    // The appearance follows the application's palette: the ink follows with it.
    if (event->type() == QEvent::ApplicationPaletteChange) applyForeground();
    QWidget::changeEvent(event);
}

void RootView::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), Theme::ground());
}

void RootView::setDropTargeted(bool on) {
    dropTargeted_ = on;
    dropOverlay_->setVisible(on);
    dropOverlay_->raise();
}

void RootView::dragEnterEvent(QDragEnterEvent* event) {
    if (!event->mimeData()->hasUrls()) return;
    event->acceptProposedAction();
    setDropTargeted(true);
}

void RootView::dragLeaveEvent(QDragLeaveEvent*) {
    setDropTargeted(false);
}

void RootView::dropEvent(QDropEvent* event) {
    setDropTargeted(false);
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    const QUrl& first = urls.front();
    if (!first.isLocalFile()) return;
    auto app = RootTexts::droppedApplication({URL::fileURL(first.toLocalFile().toStdString())});
    if (!app) return;
    QMetaObject::invokeMethod(
        this, [this, url = *app] { model_.prepareUninstall(url); }, Qt::QueuedConnection);
}

} // namespace kelvora
