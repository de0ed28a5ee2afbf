#include "panes/LoginItemsView.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kelvora {

LoginItemsView::LoginItemsView(AppModel&, QWidget* parent) : QWidget(parent) {
    setObjectName("LoginItemsView");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Login items", this), 0, Qt::AlignCenter);
}

} // namespace kelvora
