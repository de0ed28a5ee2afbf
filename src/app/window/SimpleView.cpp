#include "window/SimpleView.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kelvora {

SimpleView::SimpleView(AppModel&, QWidget* parent) : QWidget(parent) {
    setObjectName("SimpleView");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Simple view", this), 0, Qt::AlignCenter);
}

} // namespace kelvora
