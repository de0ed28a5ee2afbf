#pragma once

#include <QObject>

#include <functional>

namespace kelvora {

class AppModel;

// Calls a view's refresh once after each burst of controller changes. The controller
// announces every field it sets, and one click often sets several (showing a category sets
// six), so a view that worked its figures out again at each announcement would do it six
// times for one picture.
class ChangeFollower : public QObject {
    Q_OBJECT

public:
    ChangeFollower(AppModel& model, QObject* owner, std::function<void()> refresh);

private:
    void schedule();

    std::function<void()> refresh_;
    bool pending_ = false;
};

} // namespace kelvora
