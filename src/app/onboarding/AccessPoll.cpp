#include "onboarding/AccessPoll.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace kelvora {

AccessPoll::AccessPoll(QWidget* view, std::function<bool()> probe, std::function<void(bool)> result)
    : QObject(view), probe_(std::move(probe)), result_(std::move(result)), granted_(probe_()),
      timer_(new QTimer(this)) {
    // A precise timer keeps the 1.5 seconds, so a switch flipped elsewhere shows promptly.
    timer_->setTimerType(Qt::PreciseTimer);
    timer_->setInterval(kIntervalMs);
    connect(timer_, &QTimer::timeout, this, &AccessPoll::tick);
    view->installEventFilter(this);
    if (view->isVisible()) timer_->start();
}

bool AccessPoll::isRunning() const {
    return timer_->isActive();
}

bool AccessPoll::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show) timer_->start();
    if (event->type() == QEvent::Hide) timer_->stop();
    return QObject::eventFilter(watched, event);
}

void AccessPoll::tick() {
    granted_ = probe_();
    result_(granted_);
}

} // namespace kelvora
