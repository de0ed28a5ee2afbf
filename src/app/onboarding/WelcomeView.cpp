#include "onboarding/WelcomeView.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kelvora {

WelcomeView::WelcomeView(AppModel&, int, QWidget* parent) : QWidget(parent) {
    setObjectName("WelcomeView");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Welcome", this), 0, Qt::AlignCenter);
}

} // namespace kelvora
