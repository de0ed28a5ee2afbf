#pragma once

#include "controller/AppModel.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThreadPool>

#include <memory>
#include <type_traits>
#include <utility>

namespace kelvora {

// The result is handed over through the application object, which lives on the main
// thread; the weak pointer is only read there, so a controller deleted meanwhile is seen.
template <class Work, class Done> void AppModel::inBackground(Work work, Done done) {
    QPointer<AppModel> self(this);
    auto job = std::make_shared<std::pair<Work, Done>>(std::move(work), std::move(done));
    QThreadPool::globalInstance()->start([self, job] {
        auto value = std::make_shared<std::invoke_result_t<Work&>>(job->first());
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, job, value] {
                if (self) job->second(std::move(*value));
            },
            Qt::QueuedConnection);
    });
}

} // namespace kelvora
