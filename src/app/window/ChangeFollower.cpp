#include "window/ChangeFollower.h"

#include "controller/AppModel.h"

namespace kelvora {

ChangeFollower::ChangeFollower(AppModel& model, QObject* owner, std::function<void()> refresh)
    : QObject(owner), refresh_(std::move(refresh)) {
    connect(&model, &AppModel::changed, this, &ChangeFollower::schedule);
}

void ChangeFollower::schedule() {
    if (pending_) return;
    pending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            pending_ = false;
            refresh_();
        },
        Qt::QueuedConnection);
}

} // namespace kelvora
