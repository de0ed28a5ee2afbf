#pragma once

#include <QWidget>

namespace kelvora {

class AppModel;

// A plain placeholder for the detailed view's sidebar until it is drawn.
class DetailSidebar : public QWidget {
    Q_OBJECT

public:
    explicit DetailSidebar(AppModel& model, QWidget* parent = nullptr);
};

} // namespace kelvora
