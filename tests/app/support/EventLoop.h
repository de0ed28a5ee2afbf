#pragma once

#include "design/Render.h"
#include "support/ChildProcess.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <QThreadPool>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace kelvora::testing {

// The process's Qt application. A graphical one (off screen unless a platform is named),
// so tests that draw can share the process with those that only need an event loop.
inline QCoreApplication& eventLoop() {
    if (!QCoreApplication::instance()) Render::application();
    return *QCoreApplication::instance();
}

// Waits for the work still running on the pool, at most a generous deadline, failing the
// test when it has not ended by then.
inline void waitForPoolWork(const char* what = "background work") {
    if (!QThreadPool::globalInstance()->waitForDone(
            static_cast<int>(std::chrono::milliseconds(kGenerousDeadline).count())))
        ADD_FAILURE() << what << " still ran after " << kGenerousDeadline.count() << " s";
}

// Runs the event loop until the condition holds or the time is up; the condition's value.
inline bool waitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    eventLoop();
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

// Lets whatever is queued for the main thread run for a while.
inline void settle(std::chrono::milliseconds time = std::chrono::milliseconds(100)) {
    waitUntil([] { return false; }, time);
}

// A gate a background task waits at until the test opens it. A test that never opens it
// fails after a generous deadline instead of hanging, and the task goes on.
class Gate {
public:
    void wait() {
        std::unique_lock lock(mutex_);
        ++waiting_;
        changed_.notify_all();
        if (!changed_.wait_for(lock, kGenerousDeadline, [this] { return open_; }))
            ADD_FAILURE() << "a gate a background task waited at was not opened within "
                          << kGenerousDeadline.count() << " s";
    }
    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    int waiting() {
        std::lock_guard lock(mutex_);
        return waiting_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
    int waiting_ = 0;
};

} // namespace kelvora::testing
