#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace kelvora {

class AppModel;

// Calls a view's refresh when the controller changes. By default once after each burst of
// changes: the controller announces every field it sets, and one click often sets several
// (showing a category sets six), so a view that worked its figures out again at each
// announcement would do it six times for one picture. A view whose refresh is cheap and
// must show a click's effect before the next event follows at once instead. Either way a
// hidden view catches up when it is shown again: the controller also announces the
// progress of long work, which a view out of sight need not follow.
class ChangeFollower : public QObject {
    Q_OBJECT

public:
    enum class Delivery { afterBurst, atOnce };

    ChangeFollower(AppModel& model, QWidget* view, std::function<void()> refresh,
                   Delivery delivery = Delivery::afterBurst);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void schedule();
    void run();

    QWidget* view_;
    std::function<void()> refresh_;
    Delivery delivery_;
    bool pending_ = false;
    bool missed_ = false;
};

} // namespace kelvora
