#include "onboarding/SettingsView.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kelvora {

SettingsView::SettingsView(AppModel&, QWidget* parent) : QWidget(parent) {
    setObjectName("SettingsView");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Settings", this), 0, Qt::AlignCenter);
}

} // namespace kelvora
