#include "window/ChangeFollower.h"

#include "controller/AppModel.h"

#include <QEvent>
#include <QWidget>

namespace kelvora {

ChangeFollower::ChangeFollower(AppModel& model, QWidget* view, std::function<void()> refresh,
                               Delivery delivery)
    : QObject(view), view_(view), refresh_(std::move(refresh)), delivery_(delivery) {
    connect(&model, &AppModel::changed, this, &ChangeFollower::schedule);
    view->installEventFilter(this);
}

void ChangeFollower::schedule() {
    if (delivery_ == Delivery::atOnce) return run();
    if (pending_) return;
    pending_ = true;
    QMetaObject::invokeMethod(this, &ChangeFollower::run, Qt::QueuedConnection);
}

void ChangeFollower::run() {
    pending_ = false;
    // A view that was never shown is one being drawn for a picture; it follows at once.
    if (view_->isHidden() && view_->testAttribute(Qt::WA_WState_ExplicitShowHide)) {
        missed_ = true;
        return;
    }
    missed_ = false;
    refresh_();
}

bool ChangeFollower::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_ && event->type() == QEvent::Show && missed_) {
        missed_ = false;
        refresh_();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kelvora
