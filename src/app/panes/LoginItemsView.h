#pragma once

#include <QWidget>

namespace kelvora {

class AppModel;

// A plain placeholder for the login items pane until it is drawn.
class LoginItemsView : public QWidget {
    Q_OBJECT

public:
    explicit LoginItemsView(AppModel& model, QWidget* parent = nullptr);
};

} // namespace kelvora
