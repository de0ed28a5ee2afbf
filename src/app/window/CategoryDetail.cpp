#include "window/CategoryDetail.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kelvora {

CategoryDetail::CategoryDetail(AppModel&, QWidget* parent) : QWidget(parent) {
    setObjectName("CategoryDetail");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Category", this), 0, Qt::AlignCenter);
}

} // namespace kelvora
