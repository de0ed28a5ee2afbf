#pragma once

#include "controller/AppModel.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QThreadPool>

#include <memory>
#include <type_traits>
#include <utility>

namespace kelvora {

// Runs `work` on a pool thread and hands its value to `done` on the main thread, unless
// `owner` is gone by then. The value travels through the application object, which lives
// on the main thread; the weak pointer is only read there, so an owner deleted meanwhile
// is seen.
template <class Work, class Done>
void runInBackground(QObject* owner, Work work, Done done, int priority = 0) {
    QPointer<QObject> self(owner);
    auto job = std::make_shared<std::pair<Work, Done>>(std::move(work), std::move(done));
    QThreadPool::globalInstance()->start(
        [self, job] {
            auto value = std::make_shared<std::invoke_result_t<Work&>>(job->first());
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self, job, value] {
                    if (self) job->second(std::move(*value));
                },
                Qt::QueuedConnection);
        },
        priority);
}

// What the work hands back is applied as one change: views hear of it once it is all set.
template <class Work, class Done> void AppModel::inBackground(Work work, Done done) {
    runInBackground(this, std::move(work), [this, done = std::move(done)](auto value) mutable {
        Changes changes(*this);
        done(std::move(value));
    });
}

} // namespace kelvora
