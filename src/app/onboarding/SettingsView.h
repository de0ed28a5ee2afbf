#pragma once

#include <QWidget>

namespace kelvora {

class AppModel;

// A plain placeholder for the settings window's content until it is drawn.
class SettingsView : public QWidget {
    Q_OBJECT

public:
    explicit SettingsView(AppModel& model, QWidget* parent = nullptr);
};

} // namespace kelvora
