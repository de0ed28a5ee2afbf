#include "window/PickFooter.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kelvora {

PickFooter::PickFooter(AppModel&, QWidget* parent) : QWidget(parent) {
    setObjectName("PickFooter");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Pick footer", this), 0, Qt::AlignCenter);
}

} // namespace kelvora
