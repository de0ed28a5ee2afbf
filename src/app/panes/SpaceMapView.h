#pragma once

#include <QWidget>

namespace kelvora {

class AppModel;

// A plain placeholder for the space map pane until it is drawn.
class SpaceMapView : public QWidget {
    Q_OBJECT

public:
    explicit SpaceMapView(AppModel& model, int maxTiles, QWidget* parent = nullptr);
};

} // namespace kelvora
