#include "panes/ShelfView.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kelvora {

ShelfView::ShelfView(AppModel&, QWidget* parent) : QWidget(parent) {
    setObjectName("ShelfView");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Undo Shelf", this), 0, Qt::AlignCenter);
}

} // namespace kelvora
