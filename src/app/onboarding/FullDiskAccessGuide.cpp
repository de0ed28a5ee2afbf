#include "onboarding/FullDiskAccessGuide.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kelvora {

FullDiskAccessGuide::FullDiskAccessGuide(AppModel&, const QString&, QWidget* parent)
    : QWidget(parent) {
    setObjectName("FullDiskAccessGuide");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Access", this), 0, Qt::AlignCenter);
}

} // namespace kelvora
