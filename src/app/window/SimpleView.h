#pragma once

#include <QWidget>

namespace kelvora {

class AppModel;

// A plain placeholder for the simple view until it is drawn.
class SimpleView : public QWidget {
    Q_OBJECT

public:
    explicit SimpleView(AppModel& model, QWidget* parent = nullptr);
};

} // namespace kelvora
