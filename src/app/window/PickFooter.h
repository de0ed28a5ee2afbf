#pragma once

#include <QWidget>

namespace kelvora {

class AppModel;

// A plain placeholder for the pick footer until it is drawn.
class PickFooter : public QWidget {
    Q_OBJECT

public:
    explicit PickFooter(AppModel& model, QWidget* parent = nullptr);
};

} // namespace kelvora
