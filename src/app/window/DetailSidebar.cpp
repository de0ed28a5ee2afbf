#include "window/DetailSidebar.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kelvora {

DetailSidebar::DetailSidebar(AppModel&, QWidget* parent) : QWidget(parent) {
    setObjectName("DetailSidebar");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Sidebar", this), 0, Qt::AlignCenter);
}

} // namespace kelvora
