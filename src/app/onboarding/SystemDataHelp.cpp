#include "onboarding/SystemDataHelp.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kelvora {

SystemDataHelp::SystemDataHelp(std::function<void()>, QWidget* parent) : QWidget(parent) {
    setObjectName("SystemDataHelp");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("What is System Data?", this), 0, Qt::AlignCenter);
}

} // namespace kelvora
