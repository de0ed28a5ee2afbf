#include "panes/SpaceMapView.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kelvora {

SpaceMapView::SpaceMapView(AppModel&, int, QWidget* parent) : QWidget(parent) {
    setObjectName("SpaceMapView");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Space map", this), 0, Qt::AlignCenter);
}

} // namespace kelvora
