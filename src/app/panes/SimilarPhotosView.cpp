#include "panes/SimilarPhotosView.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kelvora {

SimilarPhotosView::SimilarPhotosView(AppModel&, QWidget* parent) : QWidget(parent) {
    setObjectName("SimilarPhotosView");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Similar photos", this), 0, Qt::AlignCenter);
}

} // namespace kelvora
