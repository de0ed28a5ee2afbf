#pragma once

#include <QWidget>

namespace kelvora {

class AppModel;

// A plain placeholder for the first-run welcome until it is drawn.
class WelcomeView : public QWidget {
    Q_OBJECT

public:
    explicit WelcomeView(AppModel& model, int step, QWidget* parent = nullptr);
};

} // namespace kelvora
