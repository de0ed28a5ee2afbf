#pragma once

#include <QObject>

#include <functional>

class QTimer;
class QWidget;

namespace kelvora {

// The live watch of the permission that the welcome's last step and the access guide
// share: one probe when made, then one every 1.5 seconds for as long as the view is shown,
// each result handed on whether it changed or not. It neither stops nor slows once access
// is granted, so a permission taken back shows at the next tick.
class AccessPoll : public QObject {
    Q_OBJECT

public:
    static constexpr int kIntervalMs = 1500;

    // `probe` runs on the main thread; `result` gets every answer after the first.
    AccessPoll(QWidget* view, std::function<bool()> probe, std::function<void(bool)> result);

    bool granted() const { return granted_; }
    bool isRunning() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void tick();

    std::function<bool()> probe_;
    std::function<void(bool)> result_;
    bool granted_;
    QTimer* timer_;
};

} // namespace kelvora
