#include "window/OverviewList.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kelvora {

OverviewList::OverviewList(AppModel&, QWidget* parent) : QWidget(parent) {
    setObjectName("OverviewList");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Overview", this), 0, Qt::AlignCenter);
}

} // namespace kelvora
